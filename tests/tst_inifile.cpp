#include "engine/failure.h"
#include "helpers/faultseams.h"
#include "engine/filebytes.h"
#include "engine/filebytes/system.h"
#include "engine/inifile.h"
#include "engine/systemerror.h"
#include "support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
const QString kSection = QStringLiteral("GameServerInfo");

// A second name of the file: saves then rewrite it in place.
bool hardLink(const QString &file, const QString &name)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(name).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(file).utf16()), nullptr);
#else
    return ::link(QFile::encodeName(file).constData(), QFile::encodeName(name).constData()) == 0;
#endif
}
} // namespace

class TestIniFile : public QObject
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
        QTest::newRow("bytes 0x80-0xFF elsewhere stay")
            << QByteArray("; Configura\xe7\xe3o \x81\x8d\x8f\x90\x9d\xff\r\n[GameServerInfo]\r\n"
                          "Name=\x80x\r\nTrade=1\r\n")
            << trade << off
            << QByteArray("; Configura\xe7\xe3o \x81\x8d\x8f\x90\x9d\xff\r\n[GameServerInfo]\r\n"
                          "Name=\x80x\r\nTrade= 0\r\n");
        QTest::newRow("brackets inside lines are no headers")
            << QByteArray("[Other]\r\nA=[GameServerInfo]\r\n; [GameServerInfo]\r\n \t[GameServerInfo]\r\nTrade=1\r\n")
            << trade << off
            << QByteArray("[Other]\r\nA=[GameServerInfo]\r\n; [GameServerInfo]\r\n \t[GameServerInfo]\r\nTrade= 0\r\n");
        QTest::newRow("UTF-8: a stray byte in the value is written back as that byte")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZen=2 ; m\xE1ximo\r\n") << QStringLiteral("MaxZen")
            << QStringLiteral(" 3 ; m") + QChar(0xDCE1) + QStringLiteral("ximo \u00E1")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZen= 3 ; m\xE1ximo \xC3\xA1\r\n");
        QTest::newRow("UTF-8: stray and cut-off bytes on other lines stay")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nA=m\xE1ximo \xE2\x9C\r\nTrade=1\r\n") << trade << off
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nA=m\xE1ximo \xE2\x9C\r\nTrade= 0\r\n");
        QTest::newRow("value in Windows-1252")
            << QByteArray("[GameServerInfo]\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QStringLiteral(" Criação € ´") << QByteArray("[GameServerInfo]\r\nMotd= Cria\xe7\xe3o \x80 \xb4\r\n");
        QTest::newRow("a value of 300 characters")
            << QByteArray("[GameServerInfo]\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QString(300, QLatin1Char('z'))
            << QByteArray("[GameServerInfo]\r\nMotd=") + QByteArray(300, 'z') + QByteArray("\r\n");
        QTest::newRow("UTF-8 without a mark: written as UTF-8, no mark added")
            << QByteArray("[GameServerInfo]\nMaxZenMessage = Voc\xC3\xAA atingiu\n") << QStringLiteral("MaxZenMessage")
            << QStringLiteral(" Você atingiu o máximo de zen")
            << QByteArray("[GameServerInfo]\nMaxZenMessage = Voc\xC3\xAA atingiu o m\xC3\xA1ximo de zen\n");
        QTest::newRow("one byte that is not UTF-8 keeps a file Windows-1252")
            << QByteArray("; Configura\xe7\xe3o\r\n[GameServerInfo]\r\nMotd=Voc\xC3\xAA\r\n") << QStringLiteral("Motd")
            << QStringLiteral(" á") << QByteArray("; Configura\xe7\xe3o\r\n[GameServerInfo]\r\nMotd= \xe1\r\n");
        QTest::newRow("a lone 0x80 (the euro sign) beside UTF-8-like bytes keeps a file Windows-1252")
            << QByteArray("[GameServerInfo]\r\nA=Voc\xC3\xAA 10 \x80\r\nMotd=x\r\n") << QStringLiteral("Motd")
            << QStringLiteral(" á") << QByteArray("[GameServerInfo]\r\nA=Voc\xC3\xAA 10 \x80\r\nMotd= \xe1\r\n");
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
        QCOMPARE(withValue(before, kSection, key, value), after);
        // Reading the key back gives the value, blanks around it removed.
        QCOMPARE(valueIn(after, kSection, key), value.trimmed());
    }

    void writingTheSameValueChangesNothing_data() { write_data(); }
    void writingTheSameValueChangesNothing()
    {
        QFETCH(QByteArray, after);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(withValue(after, kSection, key, value), after);
    }

    void writeSeveral_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("pairs"); // key, value, key, value ...
        QTest::addColumn<QByteArray>("after");  // null: nothing changes

        QTest::newRow("one replaced, two inserted after the last key line")
            << QByteArray("[GameServerInfo]\r\nA=1\r\n\r\n[Other]\r\n") << QStringList{"B", "2", "A", "3", "C", "4"}
            << QByteArray("[GameServerInfo]\r\nA=3\r\nB=2\r\nC=4\r\n\r\n[Other]\r\n");
        QTest::newRow("missing section gets every key")
            << QByteArray("[Other]\nX=1") << QStringList{"A", "1", "B", "2"}
            << QByteArray("[Other]\nX=1\n[GameServerInfo]\nA=1\nB=2\n");
        QTest::newRow("after a last line without ending")
            << QByteArray("[GameServerInfo]\nA=1") << QStringList{"B", "2", "C", "3"}
            << QByteArray("[GameServerInfo]\nA=1\nB=2\nC=3");
        QTest::newRow("lone CR before an LF line")
            << QByteArray("junk\r[GameServerInfo]\n\n") << QStringList{"A", "1", "B", "2"}
            << QByteArray("junk\r[GameServerInfo]\nA=1\r\nB=2\r\n\n");
        QTest::newRow("one key twice: first place and spelling, last value")
            << QByteArray("[GameServerInfo]\r\n") << QStringList{"Trade", "1", "x", "2", "TRADE", "0"}
            << QByteArray("[GameServerInfo]\r\nTrade=0\r\nx=2\r\n");
        QTest::newRow("values already there change nothing")
            << QByteArray("[GameServerInfo]\r\nA= 1\r\nB=x\r\n") << QStringList{"A", " 1", "b", "x"} << QByteArray();
        QTest::newRow("no pairs") << QByteArray("[GameServerInfo]\r\n") << QStringList() << QByteArray();
    }

    void writeSeveral()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, pairs);
        QFETCH(QByteArray, after);
        std::vector<engine::inifile::KeyValue> values;
        QByteArray oneByOne = before;
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
            values.push_back({pairs[i], pairs[i + 1]});
            oneByOne = withValue(oneByOne, kSection, pairs[i], pairs[i + 1]);
        }
        const std::optional<QByteArray> changed = engine::inifile::withValues(before, kSection, values);
        QCOMPARE(changed.has_value(), !after.isNull());
        QCOMPARE(changed.value_or(before), after.isNull() ? before : after);
        QCOMPARE(oneByOne, changed.value_or(before));
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
        QTest::newRow("UTF-8 without a mark") << head + "AddExperience=Voc\xC3\xAA\r\n" << exp << QStringLiteral("Você");
        QTest::newRow("UTF-8 without a mark: the last lead bytes of two and four")
            << head + "AddExperience=\xC2\xA0\xDF\xBF\xF4\x8F\xBF\xBD\r\n" << exp << QStringLiteral("\u00A0\u07FF\U0010FFFD");
        QTest::newRow("UTF-8 without a mark from the file's first byte")
            << "\xC3\x89poca=1\r\n" + head + "AddExperience=Voc\xC3\xAA\r\n" << exp << QStringLiteral("Você");
        QTest::newRow("a stray byte: Windows-1252")
            << head + "AddExperience=Voc\xC3\xAA \xE9\r\n" << exp << QStringLiteral("VocÃª é");
        QTest::newRow("an encoded surrogate is no UTF-8: Windows-1252")
            << head + "AddExperience=\xED\xA0\x80\r\n" << exp << QStringLiteral("í\u00A0€");
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=Ol\xC3\xA1\r\n"
                                    << exp << QStringLiteral("Olá");
        QTest::newRow("UTF-8 value starting with U+FEFF")
            << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=\xEF\xBB\xBFx\r\n" << exp << QString(QChar(0xFEFF)) + 'x';
        QTest::newRow("UTF-16LE mark")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nAddExperience = ✓ 5\r\n")) << exp << QStringLiteral("✓ 5");
        QTest::newRow("UTF-8 stray byte kept as U+DCxx")
            << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=m\xE1ximo\r\n" << exp
            << QStringLiteral("m") + QChar(0xDCE1) + QStringLiteral("ximo");
        QTest::newRow("UTF-8 cut-off sequence at the end of the value")
            << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=ok \xE2\x9C\r\n" << exp
            << QStringLiteral("ok ") + QChar(0xDCE2) + QChar(0xDC9C);
        QTest::newRow("UTF-8 encoded surrogate is three stray bytes")
            << QByteArray("\xEF\xBB\xBF") + head + "AddExperience=\xED\xA0\x80\r\n" << exp
            << QString(QChar(0xDCED)) + QChar(0xDCA0) + QChar(0xDC80);
        QTest::newRow("UTF-16LE with odd last byte")
            << utf16File(QStringLiteral("[GameServerInfo]\r\nAddExperience=5")) + "\x01" << exp << QStringLiteral("5");
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(valueIn(file, kSection, key), expected);
        // Read in one pass with other keys, before and after it, the value is the same.
        const QStringList several =
            engine::inifile::valuesIn(file, kSection, {QStringLiteral("Trade"), key, QStringLiteral("A")});
        QCOMPARE(several.size(), 3);
        QCOMPARE(several.at(1), expected);
    }

    void missingKeyGivesTheDefault()
    {
        const QByteArray file("[GameServerInfo]\r\nA=\r\n");
        QCOMPARE(valueIn(file, kSection, QStringLiteral("B"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(valueIn(file, kSection, QStringLiteral("A"), QStringLiteral("d")), QString());
    }

    // ---- what is refused: values, names, files ----------------------------------

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("readRefused"); // a read of that name or file is refused too
        QTest::addColumn<QString>("names");    // what the report must show of the value; empty: nothing more

        const QByteArray ansi("[GameServerInfo]\r\nMotd=x\r\n");
        const QString motd = QStringLiteral("Motd");
        const QString ok = QStringLiteral(" 1");
        QTest::newRow("LF") << ansi << kSection << motd << QStringLiteral(" a\nb") << 5 << false << QString();
        QTest::newRow("CR") << ansi << kSection << motd << QStringLiteral(" a\rb") << 5 << false << QString();
        QTest::newRow("line break with a section") << ansi << kSection << motd << QStringLiteral(" x\r\n[Evil]\r\nK=1") << 5 << false << QString();
        QTest::newRow("NUL") << ansi << kSection << motd << QStringLiteral(" a") + QChar(0) + QStringLiteral("b") << 5 << false << QString();
        QTest::newRow("check mark in Windows-1252") << ansi << kSection << motd << QStringLiteral(" ok ✓") << 5 << false
                                                    << QStringLiteral("\"✓\" (U+2713)");
        QTest::newRow("emoji in Windows-1252") << ansi << kSection << motd << QStringLiteral(" 😀") << 5 << false
                                               << QStringLiteral("\"😀\" (U+1F600)");
        QTest::newRow("lone high surrogate ending a Windows-1252 value")
            << ansi << kSection << motd << QStringLiteral(" ok") + QChar(0xD83D) << 5 << false << QStringLiteral("(U+D83D)");
        QTest::newRow("escape sequence pasted from a terminal")
            << ansi << kSection << motd << QStringLiteral(" 5\x01\x1b[2J") << 5 << false << QStringLiteral("U+0001");
        QTest::newRow("escape") << ansi << kSection << motd << QStringLiteral(" \x1b") << 5 << false << QStringLiteral("U+001B");
        QTest::newRow("delete") << ansi << kSection << motd << QStringLiteral(" a\x7f") << 5 << false << QStringLiteral("U+007F");
        const QByteArray utf8("[GameServerInfo]\r\nMotd=Voc\xC3\xAA\r\n");
        QTest::newRow("C1 control sequence introducer in UTF-8")
            << utf8 << kSection << motd << QStringLiteral(" 5") + QChar(0x9B) + QStringLiteral("2J") << 5 << false
            << QStringLiteral("U+009B");
        QTest::newRow("line separator") << utf8 << kSection << motd << QStringLiteral(" a") + QChar(0x2028) << 5 << false
                                        << QStringLiteral("U+2028");
        QTest::newRow("right-to-left override") << utf8 << kSection << motd << QStringLiteral(" 1") + QChar(0x202E) + "0"
                                                << 5 << false << QStringLiteral("U+202E");
        QTest::newRow("left-to-right isolate, the first isolate")
            << utf8 << kSection << motd << QStringLiteral(" 1") + QChar(0x2066) << 5 << false << QStringLiteral("U+2066");
        QTest::newRow("pop directional isolate, the last")
            << utf8 << kSection << motd << QStringLiteral(" 1") + QChar(0x2069) << 5 << false << QStringLiteral("U+2069");
        QTest::newRow("lone low surrogate in UTF-8 without a mark")
            << QByteArray("[GameServerInfo]\r\nMotd=m\xC3\xA1ximo\r\n") << kSection << motd << QString(QChar(0xDCE1)) << 5
            << false << QStringLiteral("(U+DCE1)");
        QTest::newRow("line break in UTF-16") << utf16File(QStringLiteral("[GameServerInfo]\r\n")) << kSection << motd
                                              << QStringLiteral("a\nb") << 5 << false << QString();
        QTest::newRow("lone high surrogate in UTF-8")
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\n") << kSection << motd << QString(QChar(0xD800)) << 5 << false << QString();
        QTest::newRow("empty key") << ansi << kSection << QString() << ok << 5 << true << QString();
        QTest::newRow("blank around the key") << ansi << kSection << QStringLiteral("Motd ") << ok << 5 << true << QString();
        QTest::newRow("equals sign in the key") << ansi << kSection << QStringLiteral("A=B") << ok << 5 << true << QString();
        QTest::newRow("key starting a comment") << ansi << kSection << QStringLiteral(";Motd") << ok << 5 << true << QString();
        QTest::newRow("key starting a header") << ansi << kSection << QStringLiteral("[Motd") << ok << 5 << true << QString();
        QTest::newRow("line break in the key") << ansi << kSection << QStringLiteral("A\nB") << ok << 5 << true << QString();
        QTest::newRow("empty section") << ansi << QString() << motd << ok << 5 << true << QString();
        QTest::newRow("tab around the section") << ansi << QStringLiteral("\tGameServerInfo") << motd << ok << 5 << true << QString();
        QTest::newRow("bracket in the section") << ansi << QStringLiteral("Game]Server") << motd << ok << 5 << true << QString();
        QTest::newRow("UTF-16 big-endian file") << QByteArray("\xFE\xFF\0[\0G\0]", 8) << kSection << motd << ok << 75 << true << QString();
        QTest::newRow("UTF-32 file") << QByteArray("\xFF\xFE\0\0[\0\0\0", 8) << kSection << motd << ok << 75 << true << QString();
        QTest::newRow("UTF-16 without a mark") << QByteArray("[\0G\0]\0\r\0\n\0", 10) << kSection << motd << ok << 75 << true << QString();
        QTest::newRow("NUL after the first 8 KB: read, but not written")
            << QByteArray("[GameServerInfo]\r\n") + QByteArray(9000, ' ') + QByteArray("\r\nA=\0\r\n", 7) << kSection << motd << ok
            << 75 << false << QString();
        QTest::newRow("binary file") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << kSection << motd << ok << 75 << true << QString();
    }

    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, number);
        QFETCH(bool, readRefused);
        QFETCH(QString, names);
        // Alone, or after a pair that is fine: nothing is applied either way.
        for (const auto &pairs : {std::vector<engine::inifile::KeyValue>{{key, value}},
                                  std::vector<engine::inifile::KeyValue>{{QStringLiteral("Trade"), QStringLiteral(" 0")}, {key, value}}}) {
            try {
                engine::inifile::withValues(file, section, pairs);
                QFAIL("the write was accepted");
            } catch (const engine::Failure &failure) {
                QCOMPARE(failure.number, number);
                QVERIFY(!failure.description.isEmpty());
                if (number == 5) { // the message names the value's key, or the name refused
                    QVERIFY2(failure.description.contains('"' + key + '"')
                                 || failure.description.contains('"' + section + '"'),
                             qPrintable(failure.description));
                }
                QVERIFY2(failure.description.contains(names), qPrintable(failure.description));
            }
        }
        // On disk, through the write that chooses its pairs from the file as
        // it finds it: refused too, and the file keeps every byte.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, file);
        QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::inifile::write(path, section, [&](const QByteArray &) {
            return std::vector<engine::inifile::KeyValue>{{key, value}};
        }));
        QCOMPARE(fileBytes(path), file);
        // A listing of the file's lines is refused where the file is.
        if (readRefused && number == engine::FailureNumber::FileAccess)
            QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::inifile::linesOf(file));
        // A removal of the key is refused where the name or the file is.
        if (readRefused) {
            QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::inifile::withoutKeys(file, section, {key}));
            QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::inifile::remove(path, section, {key}));
            QCOMPARE(fileBytes(path), file);
        }
        try {
            engine::inifile::valuesIn(file, section, {QStringLiteral("Trade"), key});
            QVERIFY2(!readRefused, "the read was accepted");
        } catch (const engine::Failure &failure) {
            QVERIFY2(readRefused, qPrintable(failure.description));
            QCOMPARE(failure.number, number);
        }
    }

    // ---- on disk ------------------------------------------------------------------

    void missingFileReadsEmptyAndIsCreatedOnWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        QCOMPARE(readValue(path, kSection, QStringLiteral("Trade"), QString()), QString());
        QVERIFY(!QFileInfo::exists(path));
        writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1"));
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\nTrade= 1\r\n"));
        QCOMPARE(readValue(path, kSection, QStringLiteral("Trade"), QString()), QStringLiteral("1"));
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
        writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1"));
        QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
        writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 0"));
        QVERIFY(QFileInfo(path).lastModified() > past);
    }

    // A chain of symbolic links is followed as far as the system itself
    // follows one, 40 links, and refused past that.
    void chainsOfLinks_data()
    {
        QTest::addColumn<int>("links");
        QTest::newRow("40 links") << 40;
        QTest::newRow("41 links") << 41;
    }

    void chainsOfLinks()
    {
#ifdef Q_OS_UNIX
        QFETCH(int, links);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray before("[GameServerInfo]\r\nTrade=1\r\n");
        putFile(target, before);
        QString path = target;
        for (int i = 1; i <= links; ++i) {
            const QString link = dir.filePath(QStringLiteral("link%1.cfg").arg(i));
            QVERIFY(QFile::link(path, link));
            path = link;
        }
        try {
            writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 0"));
            QCOMPARE(fileBytes(target), QByteArray("[GameServerInfo]\r\nTrade= 0\r\n"));
            QCOMPARE(links, 40);
        } catch (const engine::Failure &failure) {
            QVERIFY2(links > 40 && failure.description.contains(QStringLiteral("links simbólicos")),
                     qPrintable(failure.description));
            QCOMPARE(fileBytes(target), before);
        }
#else
        QSKIP("symbolic links in a folder are Unix things here");
#endif
    }

    // Reported as what they are, with nothing written: no file is left
    // beside the others, none changed.
    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("readRefused"); // a read of the path fails too; else it reads as no file

        QTest::newRow("read-only file") << "readonly/commonserver.cfg" << "somente leitura" << false;
        QTest::newRow("missing folder") << "missing/commonserver.cfg" << "pasta do arquivo" << false;
        QTest::newRow("folder is a regular file") << "plain.txt/commonserver.cfg" << "não é uma pasta" << false;
        QTest::newRow("path names a folder") << "readonly" << "é uma pasta" << true;
        QTest::newRow("path names a folder by \"..\"") << "readonly/.." << "é uma pasta" << true;
        QTest::newRow("path names a pipe") << "pipe" << "não é um arquivo comum" << true;
        QTest::newRow("a loop of symbolic links") << "loop.cfg" << "links simbólicos" << true;
        QTest::newRow("a symbolic link to nothing: no file is made through it")
            << "dangling.cfg" << "através de um link" << false;
        QTest::newRow("a name longer than the system allows") << QString(300, QLatin1Char('c')) << "longo demais" << true;
        QTest::newRow("empty path") << "" << "Procurar" << false;
    }

    void failedWritesChangeNothing()
    {
        QFETCH(QString, where);
        QFETCH(QString, reason);
        QFETCH(bool, readRefused);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("readonly")));
        const QString readOnly = dir.filePath(QStringLiteral("readonly/commonserver.cfg"));
        putFile(readOnly, "[GameServerInfo]\r\nTrade=1\r\n");
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        putFile(dir.filePath(QStringLiteral("plain.txt")), "plain");
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("loop.cfg")), dir.filePath(QStringLiteral("loop.cfg"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere.cfg")), dir.filePath(QStringLiteral("dangling.cfg"))));
#else
        if (where == QLatin1String("pipe") || where == QLatin1String("loop.cfg") || where == QLatin1String("dangling.cfg"))
            QSKIP("named pipes and symbolic links in a folder are Unix things here");
#endif
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);

        const QString path = where.isEmpty() ? QString() : dir.filePath(where);
        try {
            writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 0"));
            QFAIL("the write did not fail");
        } catch (const engine::Failure &failure) {
            QCOMPARE(failure.number, engine::FailureNumber::FileAccess);
            QVERIFY2(failure.description.contains(QDir::toNativeSeparators(path)) && failure.description.contains(reason),
                     qPrintable(failure.description));
        }
        QCOMPARE(fileBytes(readOnly), QByteArray("[GameServerInfo]\r\nTrade=1\r\n"));
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("plain"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System), before);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("readonly"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("commonserver.cfg")});
        QVERIFY(!QFileInfo::exists(QStringLiteral("commonserver.cfg")));
        // A read neither blocks (a pipe) nor takes a path it cannot read for no file.
        try {
            QCOMPARE(readValue(path, kSection, QStringLiteral("Trade"), QStringLiteral("none")),
                     where.startsWith(QLatin1String("readonly/")) ? QStringLiteral("1") : QStringLiteral("none"));
            QVERIFY2(!readRefused, "the read did not fail");
        } catch (const engine::Failure &failure) {
            QVERIFY2(readRefused && failure.description.contains(reason), qPrintable(failure.description));
        }
    }

    // A flush that fails, as a disk does once the data was accepted: the
    // report says what the file holds then, having looked, and nothing is
    // left behind.
    void failedFlushes_data()
    {
        QTest::addColumn<QString>("how"); // a save replacing the file or rewriting it in place, a finished save
                                          // put back, or a rewrite in place cut off halfway restored
        QTest::addColumn<int>("kind"); // faultseams::Flushed
        QTest::addColumn<int>("which"); // the failing one of that kind, from 1
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("backup"); // --backup asked for
        using faultseams::Flushed;
        QTest::newRow("the new content, before the rename") << "replace" << int(Flushed::File) << 1 << false
                                                              << "O arquivo ficou como estava." << false;
        QTest::newRow("the folder, after the rename") << "replace" << int(Flushed::Folder) << 1 << true
                                                      << "foi gravado, mas o sistema não confirmou" << false;
        QTest::newRow("the journal, before the file is touched") << "in place" << int(Flushed::File) << 1 << false
                                                                   << "Nada foi gravado." << false;
        QTest::newRow("the file rewritten in place: the old content back") << "in place" << int(Flushed::File) << 2
                                                                             << false << "O arquivo ficou como estava." << false;
        QTest::newRow("the backup, before the change") << "replace" << int(Flushed::File) << 1 << false
                                                       << "Nada foi gravado." << true;
        QTest::newRow("the folder, a finished save put back in place") << "put back" << int(Flushed::Folder) << 1
                                                                         << true << "foi gravado, mas o sistema não confirmou"
                                                                         << false;
        QTest::newRow("the file restored from its journal") << "restore" << int(Flushed::File) << 1 << false
                                                            << "O arquivo ficou como estava." << false;
    }

    void failedFlushes()
    {
        QFETCH(QString, how);
        QFETCH(int, kind);
        QFETCH(int, which);
        QFETCH(bool, written);
        QFETCH(QString, said);
        QFETCH(bool, backup);
#ifdef Q_OS_WIN
        if (kind == int(faultseams::Flushed::Folder))
            QSKIP("Windows writes a folder's entries through with the file: there is no folder to flush");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray tail = QByteArray(60, ';') + "\r\nMaxZen = 0\r\n";
        const QByteArray before = "[GameServerInfo]\r\nTrade = 0\r\n" + tail;
        const QByteArray after = "[GameServerInfo]\r\nTrade = 1\r\n" + tail;
        if (how == QLatin1String("put back")) // the file gone, its new content beside it
            putFile(besideTemporary(path, QStringLiteral("-abcdef-%1").arg(after.size())), after);
        else
            putFile(path, before);
        if (how == QLatin1String("in place") || how == QLatin1String("restore"))
            QVERIFY(hardLink(path, dir.filePath(QStringLiteral("second.cfg"))));
        if (how == QLatin1String("restore")) {
            faultseams::setStepHook([](faultseams::Step step) {
                if (step == faultseams::Step::FileHalfWritten)
                    throw step;
            });
            const auto unhook = qScopeGuard([] { faultseams::setStepHook(nullptr); });
            // A change in either half, so that the file is neither version.
            QVERIFY_THROWS_EXCEPTION(faultseams::Step, writePairs(path, kSection,
                                                                  {{QStringLiteral("Trade"), QStringLiteral(" 1")},
                                                                   {QStringLiteral("MaxZen"), QStringLiteral(" 1")}}));
        }
        static int failing;
        static int kindFailing;
        static int seen;
        failing = which;
        kindFailing = kind;
        seen = 0;
        faultseams::setFlushHook([](faultseams::Flushed what, int result) {
            return int(what) == kindFailing && ++seen == failing ? int(EIO) : result;
        });
        const auto unhook = qScopeGuard([] { faultseams::setFlushHook(nullptr); });
        try {
            engine::inifile::WriteOptions options;
            options.backup = backup;
            if (how == QLatin1String("put back") || how == QLatin1String("restore"))
                engine::filebytes::resolveInterrupted(path, engine::filebytes::Resolution::Restore);
            else
                writePairs(path, kSection, {{QStringLiteral("Trade"), QStringLiteral(" 1")}}, options);
            QFAIL("the save did not fail");
        } catch (const engine::Failure &failure) {
            QVERIFY2(failure.description.contains(said), qPrintable(failure.description));
        }
        QCOMPARE(fileBytes(path), written ? after : before);
        // Neither a temporary, nor a journal, nor a partial backup stays,
        // but the journal of a restore that failed.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(QStringLiteral("^\\.cse-|\\.bak$"))),
                 how == QLatin1String("restore") ? QStringList{QFileInfo(besideJournal(path)).fileName()} : QStringList());
    }

    // A file system without locks (NFS without its lock service, some
    // network and FUSE file systems) answers a lock with one of three
    // errors: reads and saves go on, guarded by the identity checks. Any
    // other error refuses the save.
    void fileSystemWithoutLocks_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("saved");
        QTest::newRow("no locks (ENOLCK)") << int(ENOLCK) << true;
        QTest::newRow("locks not supported (EOPNOTSUPP)") << int(EOPNOTSUPP) << true;
        QTest::newRow("a file that cannot be locked (EINVAL)") << int(EINVAL) << true;
        QTest::newRow("an input/output error") << int(EIO) << false;
    }

    void fileSystemWithoutLocks()
    {
        QFETCH(int, error);
        QFETCH(bool, saved);
#ifdef Q_OS_WIN
        QSKIP("on Windows the lock is a named mutex, not a lock on the file");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray before("[GameServerInfo]\r\nTrade = 0\r\n");
        putFile(path, before);
        static int answer;
        answer = error;
        faultseams::setLockHook([](int) { return answer; });
        const auto unhook = qScopeGuard([] { faultseams::setLockHook(nullptr); });
        try {
            writePairs(path, kSection, {{QStringLiteral("Trade"), QStringLiteral(" 1")}});
            QVERIFY2(saved, "the save went on");
            QCOMPARE(readValue(path, kSection, QStringLiteral("Trade")), QStringLiteral("1"));
        } catch (const engine::Failure &failure) {
            QVERIFY2(!saved, qPrintable(failure.description));
            QVERIFY2(failure.description.contains(engine::systemErrorText(error)), qPrintable(failure.description));
            QCOMPARE(fileBytes(path), before);
        }
    }

    // A file with two names is rewritten in place: both names show the new
    // content, longer or shorter than the old.
    void rewriteInPlace_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("longer") << " 1234567";
        QTest::newRow("shorter") << " 1";
    }

    void rewriteInPlace()
    {
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray before("[GameServerInfo]\r\nAddExperience = 101\r\nTrade = 0\r\n");
        putFile(path, before);
        QVERIFY(hardLink(path, dir.filePath(QStringLiteral("second.cfg"))));
        writeValue(path, kSection, QStringLiteral("AddExperience"), value);
        const QByteArray expected = withValue(before, kSection, QStringLiteral("AddExperience"), value);
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("second.cfg"))), expected);
    }

    // This program's own saves are not another program's changes: saves in a
    // row do not wait for the file to stay unchanged for a second each.
    void savesInARowDoNotWait()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nAddExperience = 101\r\n");
        {
            QFile aged(path);
            QVERIFY(aged.open(QIODevice::ReadWrite)
                    && aged.setFileTime(QDateTime::currentDateTimeUtc().addDays(-3), QFileDevice::FileModificationTime));
        }
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 5; ++i)
            writeValue(path, kSection, QStringLiteral("AddExperience"), QStringLiteral(" %1").arg(i));
        QVERIFY2(timer.elapsed() < 2500, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    }

    // Another program that rewrites the file in place while a save is under
    // way keeps its change: same file, same size, only its times tell; the
    // save reads it again and applies its own key to the new content.
    void changeInPlaceDuringASaveIsKept_data()
    {
        QTest::addColumn<bool>("inPlace"); // the save rewrites a file with two names in place
        QTest::newRow("a replacement, once half written") << false;
        QTest::newRow("a rewrite in place, once the backup is written") << true;
    }

    void changeInPlaceDuringASaveIsKept()
    {
        QFETCH(bool, inPlace);
        QTemporaryDir dir;
        static QString path;
        static int wrote; // -1: not yet, 0: could not, 1: did
        path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\nTrade = 0\r\nMaxZen = 1\r\n");
        if (inPlace)
            QVERIFY(hardLink(path, dir.filePath(QStringLiteral("second.cfg"))));
        wrote = -1;
        static const auto otherProgram = [] {
            if (wrote != -1)
                return;
            QFile file(path);
            wrote = file.open(QIODevice::ReadWrite) && file.seek(file.readAll().indexOf("MaxZen = 1") + 9)
                    && file.write("9") == 1;
        };
        if (inPlace) {
            faultseams::setFlushHook([](faultseams::Flushed what, int result) {
                if (what == faultseams::Flushed::File)
                    otherProgram(); // the backup's flush, the first of a save in place
                return result;
            });
        } else {
            faultseams::setStepHook([](faultseams::Step step) {
                if (step == faultseams::Step::TemporaryHalfWritten)
                    otherProgram();
            });
        }
        const auto unhook = qScopeGuard([] {
            faultseams::setStepHook(nullptr);
            faultseams::setFlushHook(nullptr);
        });
        engine::inifile::WriteOptions withBackup;
        withBackup.backup = true;
        writePairs(path, kSection, {{QStringLiteral("Trade"), QStringLiteral(" 1")}}, withBackup);
        if (wrote == 0)
            QSKIP("the system lets no other program write the file during a save");
        QCOMPARE(wrote, 1);
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\nTrade = 1\r\nMaxZen = 9\r\n"));
        // One backup: of what the save read again, not of what it read first.
        const QStringList backups = QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral(".bak"));
        QCOMPARE(backups.size(), 1);
        QCOMPARE(fileBytes(dir.filePath(backups.constFirst())), QByteArray("[GameServerInfo]\r\nTrade = 0\r\nMaxZen = 9\r\n"));
    }

#ifdef Q_OS_LINUX
    // A program started without standard input (as some services are) has
    // descriptor 0 free: the watcher that takes it for a save closes it again.
    void watcherClosesDescriptorZero()
    {
        using namespace engine::filebytes;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\n");
        const system::Place place = *system::locate(path, system::Purpose::Read);
        const std::optional<system::File> file = system::openToRead(place, path);
        QVERIFY(file);
        const int input = ::dup(0);
        ::close(0);
        bool tookZero = false;
        {
            const system::Watcher watcher(*file);
            tookZero = ::fcntl(0, F_GETFD) != -1;
        }
        const bool leftOpen = ::fcntl(0, F_GETFD) != -1;
        ::dup2(input, 0);
        ::close(input);
        if (!tookZero)
            QSKIP("no inotify instance to be had here");
        QVERIFY(!leftOpen);
    }

    // Where the system cannot watch the file (no descriptor left for an
    // inotify instance), a wait looks again every few milliseconds and
    // sleeps in between: it does not hold a processor.
    void waitWithoutInotifySleeps()
    {
        using namespace engine::filebytes;
        using namespace std::chrono_literals;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, "[GameServerInfo]\r\n");
        const system::Place place = *system::locate(path, system::Purpose::Read);
        const std::optional<system::File> file = system::openToRead(place, path);
        QVERIFY(file);
        // Every descriptor below a lowered limit taken: inotify gets none.
        rlimit limit = {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        const rlimit before = limit;
        int highest = 0;
        for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System))
            highest = std::max(highest, fd.toInt());
        limit.rlim_cur = rlim_t(highest) + 8;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        std::vector<int> taken;
        const auto release = qScopeGuard([&] {
            for (const int fd : taken)
                ::close(fd);
            ::setrlimit(RLIMIT_NOFILE, &before);
        });
        int fd = -1;
        while ((fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0)
            taken.push_back(fd);
        QCOMPARE(errno, EMFILE);
        bool changed = true;
        timespec start = {};
        timespec end = {};
        QElapsedTimer waited;
        {
            system::Watcher watcher(*file);
            const settling::Patience patience; // a waiting keeps a reference to it
            const settling::Waiting waiting(path, patience);
            waited.start();
            ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
            changed = watcher.waitForChange(300ms, waiting);
            ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        }
        QVERIFY(!changed);
        QVERIFY2(waited.elapsed() >= 290, qPrintable(QString::number(waited.elapsed())));
        const qint64 cpuMs = (qint64(end.tv_sec) - start.tv_sec) * 1000 + (end.tv_nsec - start.tv_nsec) / 1000000;
        QVERIFY2(cpuMs < 100, qPrintable(QStringLiteral("%1 ms of processor in a 300 ms wait").arg(cpuMs)));
    }

    // A file the system opens but cannot read (EIO) ends in a report that
    // says so, at once.
    void unreadableFileIsReported()
    {
        try {
            engine::inifile::readFile(QStringLiteral("/proc/self/mem"));
            QFAIL("read");
        } catch (const engine::Failure &failure) {
            QVERIFY2(failure.description.contains(engine::systemErrorText(EIO)), qPrintable(failure.description));
        }
    }
#endif

    // A reason the system gives in a code this program has no text for, or
    // no reason at all, still reads as one (the known ones show in the
    // reports of the real failures above).
    void systemReasons_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no reason given") << 0 << "o sistema não informou o motivo";
        QTest::newRow("a code without a text") << 123456 << "erro do sistema 123456";
    }

    void systemReasons()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(engine::systemErrorText(code), text);
    }
};

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
