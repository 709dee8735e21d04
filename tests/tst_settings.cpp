#include "catalogue.h"
#include "failure.h"
#include "flags.h"
#include "module1.h"
#include "support.h"

#include <QSet>
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
        const std::optional<bool> value = flags::fromText(text);
        QCOMPARE(value.has_value(), expected >= 0);
        if (expected >= 0) {
            QCOMPARE(*value, expected == 1);
            QCOMPARE(flags::fromTextOrFail(text, QStringLiteral("Trade")), expected == 1);
            return;
        }
        try {
            flags::fromTextOrFail(text, QStringLiteral("Trade"));
            QFAIL("no failure for a value that is not a number");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, FailureNumber::TypeMismatch);
            QVERIFY(failure.description.contains(QStringLiteral("Trade")));
        }
    }

    void writeIniPutsOneBlankBeforeTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("number") << QStringLiteral("10") << QByteArray("AddExperience= 10");
        QTest::newRow("empty box keeps the key") << QString() << QByteArray("AddExperience= ");
        QTest::newRow("accents") << QStringLiteral("Criação") << QByteArray("AddExperience= Cria\xe7\xe3o");
    }

    void writeIniPutsOneBlankBeforeTheText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nAddExperience=1\r\n");
        Module1::WriteIni(QStringLiteral("AddExperience"), text, path);
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
        // Reading trims the blank, so an unchanged second save does not grow it.
        const QString read = Module1::ReadIni(QStringLiteral("GameServerInfo"), QStringLiteral("AddExperience"),
                                              QString(), path);
        QCOMPARE(read, text);
        Module1::WriteIni(QStringLiteral("AddExperience"), read, path);
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\n") + line + "\r\n");
    }

    void catalogueHas36DistinctKeysAndControls()
    {
        QSet<QString> keys;
        QSet<QString> controls;
        for (const catalogue::Entry &entry : catalogue::entries()) {
            keys.insert(QLatin1String(entry.key));
            controls.insert(QString::number(int(entry.window)) + QLatin1String(entry.control));
        }
        QCOMPARE(keys.size(), 36);
        QCOMPARE(controls.size(), 34); // three address keys share one box
    }

    void windowOrders_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("load");
        QTest::addColumn<QStringList>("keys");

        const QStringList mainStart{"AddExperience", "MonsterHp", "ItemDropPer", "CharacterDeleteMinLevel",
                                    "GuildCreateLevel"};
        const QStringList mainFlags{"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"};
        QTest::newRow("main load")
            << int(catalogue::Window::Form1) << true
            << mainStart + QStringList{"ChaosEventServer", "DevilSquareEventServer", "EventChipServerIp"} + mainFlags;
        QTest::newRow("main save")
            << int(catalogue::Window::Form1) << false
            << mainStart + QStringList{"ChaosEventServer", "EventChipServerIp", "DevilSquareEventServer"} + mainFlags;
        const QStringList castle{"CastleCycleStartYear", "CastleCycleStartMonth", "CastleCycleStartDay",
                                 "CastleSpecificState", "CastleStateStartYear", "CastleStateStartMonth",
                                 "CastleStateStartDay", "CastleStateStartHour", "CastleStateStartMinute",
                                 "CastleSiegeRun"};
        QTest::newRow("castle load") << int(catalogue::Window::Form5) << true << castle;
        QTest::newRow("castle save") << int(catalogue::Window::Form5) << false << castle;
    }

    void windowOrders()
    {
        QFETCH(int, window);
        QFETCH(bool, load);
        QFETCH(QStringList, keys);
        const auto w = catalogue::Window(window);
        QStringList actual;
        for (const catalogue::Entry &entry : load ? catalogue::loadOrder(w) : catalogue::saveOrder(w))
            actual << QLatin1String(entry.key);
        QCOMPARE(actual, keys);
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
