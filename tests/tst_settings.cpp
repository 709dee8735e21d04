#include "engine/failure.h"
#include "settings/document.h"
#include "settings/flags.h"
#include "settings/keys.h"
#include "settings/settingsfile.h"
#include "support.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The main window's way with keys, in small: a text box, one box for three
// addresses, a yes/no box.
settings::Document window()
{
    using settings::ValueKind;
    return settings::Document({{"AddExperience", ValueKind::Text, 0},
                               {"ChaosEventServer", ValueKind::Text, 1},
                               {"EventChipServerIp", ValueKind::Text, 1},
                               {"DevilSquareEventServer", ValueKind::Text, 1},
                               {"Trade", ValueKind::Flag, 2}});
}

const QString kPath = QStringLiteral("/srv/jogo/Data/commonserver.cfg");

QByteArray file(const char *lines)
{
    return QByteArray("[GameServerInfo]\r\n") + lines;
}

// "Key=value" for each change, "!Key" for each conflict, in order.
QString said(const settings::Document::Decision &decision)
{
    QStringList parts;
    for (const settings::ValueChange &change : decision.changes)
        parts << change.key + QLatin1Char('=') + change.after;
    for (const settings::Conflict &conflict : decision.conflicts)
        parts << QLatin1Char('!') + conflict.key;
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void flagFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 1 yes, 0 no, -1 not a number

        QTest::newRow("1") << QStringLiteral("1") << 1;
        QTest::newRow("blank and 1, as the program writes it") << QStringLiteral(" 1") << 1;
        QTest::newRow("01") << QStringLiteral("01") << 1;
        QTest::newRow("1.0") << QStringLiteral("1.0") << 1;
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("blank and 0") << QStringLiteral(" 0") << 0;
        QTest::newRow("2") << QStringLiteral("2") << 0;
        QTest::newRow("-1") << QStringLiteral("-1") << 0;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("blanks only") << QStringLiteral("  ") << -1;
        QTest::newRow("letters") << QStringLiteral("yes") << -1;
        QTest::newRow("digit and letters") << QStringLiteral("1a") << -1;
    }

    void flagFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<bool> value = settings::flags::fromText(text);
        QCOMPARE(value.has_value(), expected >= 0);
        if (expected >= 0) {
            QCOMPARE(*value, expected == 1);
            QCOMPARE(settings::flags::fromTextOrFail(text, QStringLiteral("Trade")), expected == 1);
            return;
        }
        try {
            settings::flags::fromTextOrFail(text, QStringLiteral("Trade"));
            QFAIL("no failure for a value that is not a number");
        } catch (const engine::Failure &failure) {
            QCOMPARE(failure.number, engine::FailureNumber::TypeMismatch);
            QVERIFY(failure.description.contains(QStringLiteral("Trade")));
        }
    }

    // A yes or a no given to be written: a digit or a word for it, nothing else.
    void flagFromInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("true, as a module passes a YAML yes") << "True" << "1";
        QTest::newRow("sim") << "SIM" << "1";
        QTest::newRow("não") << "Não" << "0";
        QTest::newRow("false") << "false" << "0";
        QTest::newRow("01 is a stored form, not an input") << "01" << "";
        QTest::newRow("2") << "2" << "";
        QTest::newRow("empty") << "" << "";
    }

    void flagFromInput()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        try {
            QCOMPARE(settings::flags::fromInput(text, QStringLiteral("Trade")), stored);
        } catch (const engine::Failure &failure) {
            QVERIFY2(stored.isEmpty(), qPrintable(failure.description));
            QCOMPARE(failure.number, engine::FailureNumber::InvalidValue);
        }
    }

    // What a save writes, by the one rule windows and tool share: the boxes
    // edited since the file filled them (or, never filled, those that differ
    // from the file), a conflict for a key the file changed meanwhile to
    // something else, and nothing at all while there is one.
    void documentDecides_data()
    {
        QTest::addColumn<QByteArray>("filled"); // the file when the document read it; null: never
        QTest::addColumn<QStringList>("typed"); // "box=value"; "box=?" an unknown flag
        QTest::addColumn<QByteArray>("now");    // the file as the save finds it
        QTest::addColumn<QString>("path");      // where the save goes; empty: where it was read
        QTest::addColumn<QString>("decided");

        const QByteArray read = file("AddExperience = 50\r\nChaosEventServer = 10.0.0.1\r\nEventChipServerIp = 10.0.0.1\r\n"
                                     "DevilSquareEventServer = 10.0.0.1\r\nTrade = 1\r\n");
        QTest::newRow("nothing edited: nothing written") << read << QStringList() << read << "" << "";
        QTest::newRow("an edited box, the others not")
            << read << QStringList{"0=80"} << read << "" << "AddExperience=80";
        QTest::newRow("typed back to what the file gave: nothing")
            << read << QStringList{"0=80", "0=50"} << read << "" << "";
        QTest::newRow("one box for three keys writes each of them")
            << read << QStringList{"1=10.0.0.2"} << read << ""
            << "ChaosEventServer=10.0.0.2 EventChipServerIp=10.0.0.2 DevilSquareEventServer=10.0.0.2";
        QTest::newRow("the file changed since, typed otherwise: a conflict, nothing written")
            << read << QStringList{"0=80", "2=0"} << QByteArray(read).replace("= 50", "= 70") << "" << "!AddExperience";
        QTest::newRow("the file changed since to what was typed: no conflict")
            << read << QStringList{"0=70"} << QByteArray(read).replace("= 50", "= 70") << "" << "AddExperience=70";
        QTest::newRow("the file changed a key not edited: it is not written")
            << read << QStringList{"2=0"} << QByteArray(read).replace("= 50", "= 70") << "" << "Trade=0";
        QTest::newRow("saved to another file: what was read is no basis for conflicts")
            << read << QStringList{"0=80"} << QByteArray(read).replace("= 50", "= 70") << "/other.cfg" << "AddExperience=80";
        QTest::newRow("an unknown flag is left alone")
            << file("Trade = sim\r\n") << QStringList{"0=1"} << file("Trade = sim\r\n") << "" << "AddExperience=1";
        QTest::newRow("a flag read as 01 is yes, and is not written as 1")
            << file("Trade = 01\r\n") << QStringList{"0=1"} << file("Trade = 01\r\n") << "" << "AddExperience=1";
        QTest::newRow("never filled: what differs from the file")
            << QByteArray() << QStringList{"0=50", "2=0"} << read << "" << "Trade=0";
        QTest::newRow("never filled: a missing key set empty is added")
            << QByteArray() << QStringList{"0="} << file("Trade = 1\r\n") << "" << "AddExperience=";
        QTest::newRow("never filled: blanks around the file's value do not count")
            << QByteArray() << QStringList{"0=50"} << file("AddExperience =\t50 \r\n") << "" << "";
    }

    void documentDecides()
    {
        QFETCH(QByteArray, filled);
        QFETCH(QStringList, typed);
        QFETCH(QByteArray, now);
        QFETCH(QString, path);
        QFETCH(QString, decided);
        settings::Document document = window();
        if (!filled.isNull())
            document.fill(settings::valuesIn(filled, document.keys()), false, kPath);
        for (const QString &entry : typed) {
            const QString value = entry.section(QLatin1Char('='), 1);
            document.type(entry.section(QLatin1Char('='), 0, 0).toInt(),
                          value == QLatin1String("?") ? std::nullopt : std::optional<QString>(value));
        }
        QCOMPARE(said(document.decide(now, path.isEmpty() ? kPath : path)), decided);
    }

    // Filling the boxes: a shared box keeps its first non-empty value, an
    // edited box keeps what the user typed when only the unedited follow the
    // file, a flag that is not a number is unknown and said so.
    void documentFills_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("onlyUnedited");
        QTest::addColumn<QString>("boxes");  // box 0, 1, 2 after; "?" unknown
        QTest::addColumn<bool>("unknownFlag");
        QTest::newRow("three addresses, the later ones empty")
            << file("ChaosEventServer = 10.0.0.1\r\nEventChipServerIp =\r\nTrade = 0\r\n") << false << "|10.0.0.1|0" << false;
        QTest::newRow("three different addresses: the second wins, the third being empty")
            << file("ChaosEventServer = 1\r\nEventChipServerIp = 2\r\nDevilSquareEventServer =\r\nTrade = 1\r\n") << false
            << "|2|1" << false;
        QTest::newRow("the second address missing keeps the third")
            << file("ChaosEventServer = 1\r\nDevilSquareEventServer = 3\r\nTrade = 1\r\n") << false << "|3|1" << false;
        QTest::newRow("no address empties the box") << file("Trade = 1\r\n") << false << "||1" << false;
        QTest::newRow("a flag that is not a number") << file("AddExperience = 5\r\nTrade = x\r\n") << false << "5||?" << true;
        QTest::newRow("following the file: the edited box stays")
            << file("AddExperience = 5\r\nChaosEventServer = a\r\nTrade = 1\r\n") << true << "typed|a|1" << false;
    }

    void documentFills()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, onlyUnedited);
        QFETCH(QString, boxes);
        QFETCH(bool, unknownFlag);
        settings::Document document = window();
        document.fill(settings::valuesIn(file(""), document.keys()), false, kPath);
        document.type(0, QStringLiteral("typed"));
        const std::optional<engine::Failure> unknown =
            document.fill(settings::valuesIn(bytes, document.keys()), onlyUnedited, kPath);
        QStringList shown;
        for (int box = 0; box < 3; ++box)
            shown << document.typed(box).value_or(QStringLiteral("?"));
        QCOMPARE(shown.join(QLatin1Char('|')), boxes);
        QCOMPARE(unknown.has_value(), unknownFlag);
        QCOMPARE(document.edited(0), onlyUnedited);
    }

    // The user's answers to a conflict: write over the file's value (then
    // that value is no conflict any more, another one still is), or take the
    // file's values into the boxes (then nothing is written for them). An
    // answer holds for that save only.
    void conflictAnswers_data()
    {
        QTest::addColumn<bool>("writeOver");
        QTest::addColumn<QByteArray>("readAgain"); // the file read back after the save, then "90" typed; null: neither
        QTest::addColumn<QByteArray>("later");     // the file at the next attempt
        QTest::addColumn<QString>("decided");
        const QByteArray changed = file("AddExperience = 70\r\n");
        QTest::newRow("write mine") << true << QByteArray() << changed << "AddExperience=80";
        QTest::newRow("write mine, but the file changed again")
            << true << QByteArray() << file("AddExperience = 90\r\n") << "!AddExperience";
        QTest::newRow("take the file's") << false << QByteArray() << changed << "";
        QTest::newRow("write mine, saved and read back: the same change again is a conflict again")
            << true << file("AddExperience = 80\r\n") << changed << "!AddExperience";
    }

    void conflictAnswers()
    {
        QFETCH(bool, writeOver);
        QFETCH(QByteArray, readAgain);
        QFETCH(QByteArray, later);
        QFETCH(QString, decided);
        settings::Document document = window();
        document.fill(settings::valuesIn(file("AddExperience = 50\r\n"), document.keys()), false, kPath);
        document.type(0, QStringLiteral("80"));
        const settings::Document::Decision first = document.decide(file("AddExperience = 70\r\n"), kPath);
        QCOMPARE(said(first), QStringLiteral("!AddExperience"));
        if (writeOver)
            document.writeOver(first.conflicts);
        else
            document.takeTheFiles(first.conflicts);
        if (!readAgain.isNull()) {
            document.fill(settings::valuesIn(readAgain, document.keys()), false, kPath);
            document.type(0, QStringLiteral("90"));
        }
        QCOMPARE(said(document.decide(later, kPath)), decided);
        QCOMPARE(document.typed(0), !readAgain.isNull() ? QStringLiteral("90") : writeOver ? QStringLiteral("80") : QStringLiteral("70"));
    }

    // Through the settings file: one blank before the text, read back without
    // it, so that an unchanged second save does not grow it.
    void savePutsOneBlankBeforeTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("number") << QStringLiteral("10") << QByteArray("AddExperience= 10");
        QTest::newRow("empty box keeps the key") << QString() << QByteArray("AddExperience= ");
        QTest::newRow("accents") << QStringLiteral("Criação") << QByteArray("AddExperience= Cria\xe7\xe3o");
    }

    void savePutsOneBlankBeforeTheText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nAddExperience=1\r\n");
        const settings::SettingsFile file(path);
        settings::Document document({{"AddExperience", settings::ValueKind::Text, 0}});
        document.fill(file.read(document.keys()).values, false, path);
        document.type(0, text);
        file.save(document);
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
        const QString read = file.read(document.keys()).values.constFirst();
        QCOMPARE(read, text);
        document.fill({read}, false, path);
        rest(path);
        QCOMPARE(file.save(document).changes.size(), std::size_t(0));
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
