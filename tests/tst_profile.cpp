#include "failure.h"
#include "profile.h"
#include "support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kSection = QStringLiteral("GameServerInfo");
}

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    // ---- writing: bytes before and after one write --------------------------

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QString trade = QStringLiteral("Trade");
        const QString off = QStringLiteral(" 0");

        QTest::newRow("LF")
            << QByteArray("[GameServerInfo]\nTrade=1\nMaxZen=5\n") << trade << off
            << QByteArray("[GameServerInfo]\nTrade= 0\nMaxZen=5\n");
        QTest::newRow("CRLF")
            << QByteArray("[GameServerInfo]\r\nTrade = 1\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade = 0\r\n");
        QTest::newRow("mixed endings keep their own")
            << QByteArray("[GameServerInfo]\r\nA=1\nTrade=1\rB=2\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nA=1\nTrade= 0\rB=2\r\n");
        QTest::newRow("no final newline")
            << QByteArray("[GameServerInfo]\r\nTrade=1") << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade= 0");
        QTest::newRow("blanks around the equals sign")
            << QByteArray("[GameServerInfo]\r\n \tTrade \t=\t 1 \t\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\n \tTrade \t= 0\r\n");
        QTest::newRow("text after the value is part of it")
            << QByteArray("[GameServerInfo]\r\nTrade=1 ; on\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade= 0\r\n");
        QTest::newRow("names match in any case, spelling kept")
            << QByteArray("[gameserverINFO]\r\nTRADE=1\r\n") << trade << off
            << QByteArray("[gameserverINFO]\r\nTRADE= 0\r\n");
        QTest::newRow("header with blanks and trailing text")
            << QByteArray("  [ GameServerInfo ] ; main\r\nTrade=1\r\n") << trade << off
            << QByteArray("  [ GameServerInfo ] ; main\r\nTrade= 0\r\n");
        QTest::newRow("same key in another section is left alone")
            << QByteArray("[Other]\r\nTrade=7\r\n[GameServerInfo]\r\nTrade=1\r\n[Last]\r\nTrade=8\r\n")
            << trade << off
            << QByteArray("[Other]\r\nTrade=7\r\n[GameServerInfo]\r\nTrade= 0\r\n[Last]\r\nTrade=8\r\n");
        QTest::newRow("duplicate keys: the first one is written")
            << QByteArray("[GameServerInfo]\r\nTrade=1\r\nTrade=2\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade= 0\r\nTrade=2\r\n");
        QTest::newRow("duplicate sections: the first one is written")
            << QByteArray("[GameServerInfo]\r\nA=1\r\n[GameServerInfo]\r\nTrade=1\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nA=1\r\nTrade= 0\r\n[GameServerInfo]\r\nTrade=1\r\n");
        QTest::newRow("commented-out key is no key")
            << QByteArray("[GameServerInfo]\r\nA=1\r\n;Trade=1\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nA=1\r\nTrade= 0\r\n;Trade=1\r\n");
        QTest::newRow("missing key goes after the last key line, above comments and blanks")
            << QByteArray("[GameServerInfo]\r\nA=1\r\n\r\n; events\r\n\r\n[Other]\r\nB=2\r\n")
            << trade << off
            << QByteArray("[GameServerInfo]\r\nA=1\r\nTrade= 0\r\n\r\n; events\r\n\r\n[Other]\r\nB=2\r\n");
        QTest::newRow("key lines before any header belong to no section")
            << QByteArray("Trade=9\r\n[GameServerInfo]\r\nA=1\r\n") << trade << off
            << QByteArray("Trade=9\r\n[GameServerInfo]\r\nA=1\r\nTrade= 0\r\n");
        QTest::newRow("a line without equals sign is no key")
            << QByteArray("[GameServerInfo]\r\nA=1\r\nTrade\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nA=1\r\nTrade= 0\r\nTrade\r\n");
        QTest::newRow("section without keys: right under its header")
            << QByteArray("[GameServerInfo]\r\n\r\n[Other]\r\n") << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade= 0\r\n\r\n[Other]\r\n");
        QTest::newRow("last key line without line ending")
            << QByteArray("[GameServerInfo]\nA=1") << trade << off
            << QByteArray("[GameServerInfo]\nA=1\nTrade= 0");
        QTest::newRow("missing section appended with the file's line ending")
            << QByteArray("[Other]\nB=2\n") << trade << off
            << QByteArray("[Other]\nB=2\n[GameServerInfo]\nTrade= 0\n");
        QTest::newRow("missing section after a last line without ending")
            << QByteArray("[Other]\r\nB=2") << trade << off
            << QByteArray("[Other]\r\nB=2\r\n[GameServerInfo]\r\nTrade= 0\r\n");
        QTest::newRow("lone CR endings")
            << QByteArray("[GameServerInfo]\rA=1\r;end\r") << trade << off
            << QByteArray("[GameServerInfo]\rA=1\rTrade= 0\r;end\r");
        QTest::newRow("lone CR before a blank LF line does not fuse with it")
            << QByteArray("junk\r[GameServerInfo]\n\n[Other]\n") << trade << off
            << QByteArray("junk\r[GameServerInfo]\nTrade= 0\r\n\n[Other]\n");
        QTest::newRow("empty file")
            << QByteArray() << trade << off
            << QByteArray("[GameServerInfo]\r\nTrade= 0\r\n");
        QTest::newRow("bytes 0x80-0xFF and NUL elsewhere stay")
            << QByteArrayLiteral("; Configura\xe7\xe3o \x81\x8d\x8f\x90\x9d\xff\r\n[GameServerInfo]\r\n"
                                 "Name=\x80\0x\r\nTrade=1\r\n")
            << trade << off
            << QByteArrayLiteral("; Configura\xe7\xe3o \x81\x8d\x8f\x90\x9d\xff\r\n[GameServerInfo]\r\n"
                                 "Name=\x80\0x\r\nTrade= 0\r\n");
        QTest::newRow("value in Windows-1252")
            << QByteArray("[GameServerInfo]\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QStringLiteral(" Criação € ´") << QByteArray("[GameServerInfo]\r\nMotd= Cria\xe7\xe3o \x80 \xb4\r\n");
        QTest::newRow("a value of 300 characters")
            << QByteArray("[GameServerInfo]\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QString(300, QLatin1Char('z'))
            << QByteArray("[GameServerInfo]\r\nMotd=") + QByteArray(300, 'z') + QByteArray("\r\n");
        QTest::newRow("UTF-8 mark")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QStringLiteral(" Olá ✓") << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMotd= Ol\xC3\xA1 \xE2\x9C\x93\r\n");
        QTest::newRow("UTF-16LE mark, key replaced")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nTrade=1\r\n")) << trade << off
            << utf16File(QStringLiteral("[GameServerInfo]\r\nTrade= 0\r\n"));
        QTest::newRow("UTF-16LE mark, key inserted")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nA=ção\r\n")) << trade << QStringLiteral(" ✓")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nA=ção\r\nTrade= ✓\r\n"));
        QTest::newRow("UTF-16LE mark only")
            << utf16File(QString()) << trade << off
            << utf16File(QStringLiteral("[GameServerInfo]\r\nTrade= 0\r\n"));
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QCOMPARE(profile::withValue(before, kSection, key, value), after);
        // Reading the key back gives the value, blanks around it removed.
        QCOMPARE(profile::valueIn(after, kSection, key), value.trimmed());
    }

    void writingTheSameValueChangesNothing_data() { write_data(); }
    void writingTheSameValueChangesNothing()
    {
        QFETCH(QByteArray, after);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(profile::withValue(after, kSection, key, value), after);
    }

    // ---- reading -------------------------------------------------------------

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString exp = QStringLiteral("AddExperience");
        const QByteArray head("[GameServerInfo]\r\n");

        QTest::newRow("plain") << head + "AddExperience=10\r\n" << exp << QStringLiteral("10");
        QTest::newRow("blanks trimmed") << head + "  AddExperience \t=  10 \t\r\n" << exp << QStringLiteral("10");
        QTest::newRow("blanks inside kept") << head + "AddExperience= 1 0 \r\n" << exp << QStringLiteral("1 0");
        QTest::newRow("quotes kept") << head + "AddExperience=\"10\"\r\n" << exp << QStringLiteral("\"10\"");
        QTest::newRow("semicolon text kept") << head + "AddExperience=10 ; x\r\n" << exp << QStringLiteral("10 ; x");
        QTest::newRow("second equals sign is value") << head + "AddExperience=a=b\r\n" << exp << QStringLiteral("a=b");
        QTest::newRow("empty value") << head + "AddExperience=\r\n" << exp << QString();
        QTest::newRow("blanks-only value") << head + "AddExperience= \t \r\n" << exp << QString();
        QTest::newRow("missing key") << head + "Other=1\r\n" << exp << QString();
        QTest::newRow("missing section") << QByteArray("[Other]\r\nAddExperience=5\r\n") << exp << QString();
        QTest::newRow("empty file") << QByteArray() << exp << QString();
        QTest::newRow("case-insensitive") << QByteArray("[GAMESERVERINFO]\nADDEXPERIENCE=3\n") << exp << QStringLiteral("3");
        QTest::newRow("first duplicate wins") << head + "AddExperience=1\r\nAddExperience=2\r\n" << exp << QStringLiteral("1");
        QTest::newRow("first section wins")
            << head + "A=1\r\n[GameServerInfo]\r\nAddExperience=2\r\n" << exp << QString();
        QTest::newRow("other section's key invisible")
            << QByteArray("[Other]\r\nAddExperience=9\r\n") + head + "AddExperience=2\r\n" << exp << QStringLiteral("2");
        QTest::newRow("comment is no key") << head + "; AddExperience=9\r\n" << exp << QString();
        QTest::newRow("lone CR lines") << QByteArray("[GameServerInfo]\rA=1\rAddExperience=4\r") << exp << QStringLiteral("4");
        QTest::newRow("long value read whole")
            << head + "AddExperience=" + QByteArray(1000, '7') + "\r\n" << exp << QString(1000, QLatin1Char('7'));
        QTest::newRow("Windows-1252 decoded")
            << head + "AddExperience=Cria\xe7\xe3o \x80\x81\r\n" << exp << QStringLiteral("Criação €") + QChar(0x81);
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=Ol\xC3\xA1\r\n"
                                    << exp << QStringLiteral("Olá");
        QTest::newRow("UTF-8 value starting with U+FEFF")
            << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=\xEF\xBB\xBFx\r\n" << exp << QString(QChar(0xFEFF)) + 'x';
        QTest::newRow("UTF-16LE mark")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nAddExperience = ✓ 5\r\n")) << exp << QStringLiteral("✓ 5");
        QTest::newRow("UTF-16LE with odd last byte")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nAddExperience=5")) + "\x01" << exp << QStringLiteral("5");
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(profile::valueIn(file, kSection, key), expected);
    }

    void missingKeyGivesTheDefault()
    {
        const QByteArray file("[GameServerInfo]\r\nA=\r\n");
        QCOMPARE(profile::valueIn(file, kSection, QStringLiteral("B"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(profile::valueIn(file, kSection, QStringLiteral("A"), QStringLiteral("d")), QString());
    }

    // ---- values the file cannot hold -------------------------------------------

    void refusedValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value");

        const QByteArray ansi("[GameServerInfo]\r\nMotd=x\r\n");
        QTest::newRow("LF") << ansi << QStringLiteral(" a\nb");
        QTest::newRow("CR") << ansi << QStringLiteral(" a\rb");
        QTest::newRow("line break with a section") << ansi << QStringLiteral(" x\r\n[Evil]\r\nK=1");
        QTest::newRow("NUL") << ansi << QStringLiteral(" a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("check mark in Windows-1252") << ansi << QStringLiteral(" ok ✓");
        QTest::newRow("emoji in Windows-1252") << ansi << QStringLiteral(" 😀");
        QTest::newRow("line break in UTF-16") << utf16File(QStringLiteral("[GameServerInfo]\r\n")) << QStringLiteral("a\nb");
        QTest::newRow("lone surrogate in UTF-8")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\n") << QString(QChar(0xD800));
    }

    void refusedValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        try {
            profile::withValue(file, kSection, QStringLiteral("Motd"), value);
            QFAIL("the value was accepted");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, FailureNumber::InvalidValue);
            QVERIFY2(failure.description.contains(QStringLiteral("\"Motd\"")), qPrintable(failure.description));
        }
    }

    // ---- on disk ------------------------------------------------------------------

    void missingFileReadsEmptyAndIsCreatedOnWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        QCOMPARE(profile::readString(kSection, QStringLiteral("Trade"), QString(), path), QString());
        QVERIFY(!QFileInfo::exists(path));
        profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 1"), path);
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\nTrade= 1\r\n"));
        QCOMPARE(profile::readString(kSection, QStringLiteral("Trade"), QString(), path), QStringLiteral("1"));
    }

    void unchangedValueLeavesTheFileUntouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nTrade= 1\r\n");
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }
        profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 1"), path);
        QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
        profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 0"), path);
        QVERIFY(QFileInfo(path).lastModified() > past);
    }

    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("where");

        QTest::newRow("read-only file") << QStringLiteral("readonly/commonserver.cfg");
        QTest::newRow("missing folder") << QStringLiteral("missing/commonserver.cfg");
        QTest::newRow("folder is a regular file") << QStringLiteral("plain.txt/commonserver.cfg");
        QTest::newRow("path names a folder") << QStringLiteral("readonly");
        QTest::newRow("empty path") << QString();
    }

    void failedWritesChangeNothing()
    {
        QFETCH(QString, where);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("readonly")));
        const QString readOnly = dir.filePath(QStringLiteral("readonly/commonserver.cfg"));
        putFile(readOnly, "[GameServerInfo]\r\nTrade=1\r\n");
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        putFile(dir.filePath(QStringLiteral("plain.txt")), "plain");
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        const QString path = where.isEmpty() ? QString() : dir.filePath(where);
        try {
            profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 0"), path);
            QFAIL("the write did not fail");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, FailureNumber::FileAccess);
            if (!where.isEmpty()) {
                QVERIFY2(failure.description.contains(QDir::toNativeSeparators(path)),
                         qPrintable(failure.description));
            }
        }
        QCOMPARE(fileBytes(readOnly), QByteArray("[GameServerInfo]\r\nTrade=1\r\n"));
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("plain"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("readonly"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("commonserver.cfg")});
        QVERIFY(!QFileInfo::exists(QStringLiteral("commonserver.cfg")));
    }

    void unreadablePathIsAFailure()
    {
        QTemporaryDir dir;
        try {
            profile::readString(kSection, QStringLiteral("Trade"), QString(), dir.path());
            QFAIL("reading a folder did not fail");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, FailureNumber::FileAccess);
        }
        QCOMPARE(profile::readString(kSection, QStringLiteral("Trade"), QStringLiteral("d"), QString()),
                 QStringLiteral("d"));
    }

    void writeKeepsPermissionsAndSymbolicLinks()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.cfg"));
        const QString link = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(target, "[GameServerInfo]\r\nTrade=1\r\n");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(target, permissions));
        QVERIFY(QFile::link(target, link));

        profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 0"), link);

        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(target), QByteArray("[GameServerInfo]\r\nTrade= 0\r\n"));
        QCOMPARE(QFileInfo(target).permissions() & 0x7077, permissions & 0x7077);
    }
};

QTEST_APPLESS_MAIN(TestProfile)
#include "tst_profile.moc"
