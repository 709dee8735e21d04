#include "engine/codepage.h"

#include <QTest>

class TestCodepage : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte)
            all.append(char(byte));
        const QString text = engine::codepage::decodeWindows1252(all);
        QCOMPARE(text.size(), 256);
        const auto back = engine::codepage::encodeWindows1252(text);
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void characters_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("byte"); // -1: Windows-1252 cannot store it

        QTest::newRow("ascii") << QStringLiteral("A") << 0x41;
        QTest::newRow("euro sign") << QStringLiteral("€") << 0x80;
        QTest::newRow("c cedilla") << QStringLiteral("ç") << 0xE7;
        QTest::newRow("acute accent of Ip´s") << QStringLiteral("´") << 0xB4;
        QTest::newRow("degree sign") << QStringLiteral("°") << 0xB0;
        QTest::newRow("undefined 0x81 kept as C1") << QString(QChar(0x81)) << 0x81;
        QTest::newRow("undefined 0x9D kept as C1") << QString(QChar(0x9D)) << 0x9D;
        QTest::newRow("C1 0x80 has no byte") << QString(QChar(0x80)) << -1;
        QTest::newRow("check mark") << QStringLiteral("✓") << -1;
        QTest::newRow("cyrillic") << QStringLiteral("Ж") << -1;
        QTest::newRow("emoji") << QStringLiteral("😀") << -1;
    }

    void characters()
    {
        QFETCH(QString, character);
        QFETCH(int, byte);
        const auto encoded = engine::codepage::encodeWindows1252(QStringLiteral("x") + character);
        if (byte < 0) {
            QVERIFY(!encoded.has_value());
            QCOMPARE(engine::codepage::firstUnencodable(QStringLiteral("x") + character),
                     character.toUcs4().constFirst());
            return;
        }
        QVERIFY(encoded.has_value());
        QCOMPARE(*encoded, QByteArray("x") + char(byte));
        QCOMPARE(engine::codepage::decodeWindows1252(*encoded), QStringLiteral("x") + character);
        QVERIFY(!engine::codepage::firstUnencodable(character).has_value());
    }
};

QTEST_APPLESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
