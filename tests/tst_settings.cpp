#include "engine/failure.h"
#include "settings/flags.h"
#include "settings/keys.h"
#include "settings/settingsfile.h"
#include "support.h"

#include <QTemporaryDir>
#include <QTest>

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

    void writePutsOneBlankBeforeTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("number") << QStringLiteral("10") << QByteArray("AddExperience= 10");
        QTest::newRow("empty box keeps the key") << QString() << QByteArray("AddExperience= ");
        QTest::newRow("accents") << QStringLiteral("Criação") << QByteArray("AddExperience= Cria\xe7\xe3o");
    }

    void writePutsOneBlankBeforeTheText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nAddExperience=1\r\n");
        const settings::SettingsFile file(path);
        file.write({{QStringLiteral("AddExperience"), text}});
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
        // Reading trims the blank, so an unchanged second save does not grow it.
        const QString read = file.read({&settings::keys::AddExperience}).values.constFirst();
        QCOMPARE(read, text);
        file.write({{QStringLiteral("AddExperience"), read}});
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
