// commonserver-cfg run as a process, as a script or an administrator runs it:
// every command, the exit statuses, what it prints, and what it leaves in the
// file.

#include "support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <string_view>

#ifdef Q_OS_UNIX
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kFixture = fileBytes(fixture("commonserver.cfg"));

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// The tool, as this user or, given setpriv's options, as another (root only).
Run run(const QStringList &arguments, const QByteArray &input = QByteArray(), const QStringList &as = QStringList())
{
    QProcess tool;
    if (as.isEmpty())
        tool.start(QStringLiteral(COMMONSERVER_CFG), arguments);
    else
        tool.start(QStringLiteral("setpriv"), as + QStringList{QStringLiteral("--"), QStringLiteral(COMMONSERVER_CFG)} + arguments);
    tool.write(input);
    tool.closeWriteChannel();
    Run result;
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = tool.exitCode();
    result.out = QString::fromUtf8(tool.readAllStandardOutput()).remove(QLatin1Char('\r'));
    result.err = QString::fromUtf8(tool.readAllStandardError()).remove(QLatin1Char('\r'));
    return result;
}

// An environment variable set for the tool until the end of a scope, then
// as it was before, set or not.
class Setting
{
public:
    Setting(const char *name, const QString &value)
        : m_name(name)
        , m_before(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~Setting() { m_before ? qputenv(m_name, *m_before) : qunsetenv(m_name); }
    Setting(const Setting &) = delete;
    Setting &operator=(const Setting &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_before;
};

QByteArray changed(QByteArray file, const char *from, const char *to)
{
    return file.replace(from, to);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments"); // {file} and {preset} stand for the two files
        QTest::addColumn<QByteArray>("file");       // null: no file
        QTest::addColumn<QByteArray>("preset");     // null: no preset
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");           // what standard output holds; "~..." : contains
        QTest::addColumn<QString>("err");           // what standard error contains
        QTest::addColumn<QByteArray>("after");      // the file after; null: as it was, untouched

        const QByteArray none;
        const QByteArray weekend("[GameServerInfo]\r\n; fim de semana com o dobro\r\naddexperience = 202\r\n"
                                 "ItemDropPer=80\r\nTrade = 1\r\n");
        QTest::newRow("get one key") << QStringList{"get", "{file}", "Trade"} << kFixture << none << 0 << "Trade=0\n"
                                     << "" << none;
        QTest::newRow("get names in any case, shown as the file's list spells them")
            << QStringList{"get", "{file}", "addEXPERIENCE", "maxzenmessage"} << kFixture << none << 0
            << "AddExperience=101\nMaxZenMessage=207\n" << "" << none;
        QTest::newRow("get every key, in the windows' order")
            << QStringList{"get", "{file}"} << kFixture << none << 0 << "~AddExperience=101\nMonsterHp=102\n" << ""
            << none;
        QTest::newRow("get as JSON") << QStringList{"get", "--json", "{file}", "Trade", "MaxZenMessage"} << kFixture
                                     << none << 0 << "{\n  \"Trade\": \"0\",\n  \"MaxZenMessage\": \"207\"\n}\n" << ""
                                     << none;
        const QByteArray sparse("[GameServerInfo]\nMotd = Ol\xC3\xA1\nTrade = 1\nmotd = shadowed\n[Other]\nPort = 1\n"
                                "[GameServerInfo]\nLater = 2\n");
        QTest::newRow("get --json: a missing key is null, an empty one empty")
            << QStringList{"get", "--json", "{file}", "Trade", "MaxZen"} << QByteArray("[GameServerInfo]\nTrade =\n")
            << none << 0 << "{\n  \"Trade\": \"\",\n  \"MaxZen\": null\n}\n" << "" << none;
        QTest::newRow("get --json: a missing section gives null")
            << QStringList{"get", "--json", "{file}", "Trade"} << QByteArray("[Other]\nTrade = 1\n") << none << 0
            << "{\n  \"Trade\": null\n}\n" << "" << none;
        QTest::newRow("get --missing-exit: the status when a key is missing")
            << QStringList{"get", "--missing-exit", "4", "{file}", "Trade", "MaxZen"} << sparse << none << 4
            << "Trade=1\nMaxZen=\n" << "" << none;
        QTest::newRow("get --missing-exit: 0 when every key is there")
            << QStringList{"get", "--missing-exit", "4", "{file}", "Trade"} << sparse << none << 0 << "Trade=1\n" << ""
            << none;
        QTest::newRow("get --all: the first section's keys in file order, each once")
            << QStringList{"get", "--all", "--json", "{file}"} << sparse << none << 0
            << "{\n  \"Motd\": \"Olá\",\n  \"Trade\": \"1\"\n}\n" << "" << none;
        QTest::newRow("get --all leaves out a line no read can name")
            << QStringList{"get", "--all", "{file}"} << QByteArray("[GameServerInfo]\n = v\nTrade = 1\n") << none << 0
            << "Trade=1\n" << "" << none;
        QTest::newRow("get --any-key: a key the editor does not show")
            << QStringList{"get", "--any-key", "{file}", "MOTD"} << sparse << none << 0 << "MOTD=Olá\n" << "" << none;
        QTest::newRow("get an unknown key: the nearest named")
            << QStringList{"get", "{file}", "MaxZenMesage"} << kFixture << none << 2 << "" << "quis dizer MaxZenMessage"
            << none;
        const QByteArray planted("[GameServerInfo]\nMaxZenMessage = a\x1b]2;x\x07\x7f\xc2\x9b" "2Jb\n");
        QTest::newRow("get escapes the control characters the file's owner planted")
            << QStringList{"get", "{file}", "MaxZenMessage"} << planted << none << 0
            << "MaxZenMessage=a\\x1b]2;x\\x07\\x7f\\x9b" "2Jb\n" << "" << none;
        QTest::newRow("get escapes the characters that reorder or break the line")
            << QStringList{"get", "{file}", "MaxZenMessage"}
            << QByteArray("[GameServerInfo]\nMaxZenMessage = a\xe2\x80\xa8" "b\xe2\x80\xaa" "c\xe2\x80\xae" "d\xe2\x81\xa6" "e\xe2\x81\xa9" "f\n")
            << none << 0 << "MaxZenMessage=a\\u2028b\\u202ac\\u202ed\\u2066e\\u2069f\n" << "" << none;
        QTest::newRow("get --raw prints them as they are")
            << QStringList{"get", "--raw", "{file}", "MaxZenMessage"} << planted << none << 0
            << "MaxZenMessage=a\x1b]2;x\x07\x7f\u009b" "2Jb\n" << "" << none;
        QTest::newRow("get --json escapes C0 and C1 controls")
            << QStringList{"get", "--json", "{file}", "MaxZenMessage"} << planted << none << 0
            << "{\n  \"MaxZenMessage\": \"a\\u001b]2;x\\u0007\\u007f\\u009b" "2Jb\"\n}\n" << "" << none;
        QTest::newRow("get from a missing file") << QStringList{"get", "{file}"} << none << none << 1 << ""
                                                 << "não existe" << none;
        QTest::newRow("get from a file the editor refuses")
            << QStringList{"get", "{file}"} << QByteArray("\xFE\xFF\0[\0G", 6) << none << 1 << ""
            << "UTF-16 big-endian" << none;

        QTest::newRow("set two keys: one line each")
            << QStringList{"set", "{file}", "Trade=1", "maxzen= 3000 "} << kFixture << none << 0
            << "Trade: \"0\" -> \"1\"\nMaxZen: \"206\" -> \"3000\"\n" << ""
            << changed(changed(kFixture, "Trade = 0", "Trade = 1"), "MaxZen = 206", "MaxZen = 3000");
        QTest::newRow("set what the file holds: nothing written")
            << QStringList{"set", "{file}", "Trade=0", "AddExperience=101"} << kFixture << none << 0 << "" << "" << none;
        QTest::newRow("set with --changed-exit, changed") << QStringList{"set", "--changed-exit", "7", "{file}", "Trade=1"}
                                                          << kFixture << none << 7 << "~Trade" << ""
                                                          << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("--changed-exit cannot be a status that already means something")
            << QStringList{"set", "--changed-exit", "1", "{file}", "Trade=1"} << kFixture << none << 2 << ""
            << "de 3 a 255" << none;
        QTest::newRow("--changed-exit 3, the lowest it takes")
            << QStringList{"set", "--changed-exit", "3", "{file}", "Trade=1"} << kFixture << none << 3 << "~Trade" << ""
            << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("--changed-exit 256, past what a status holds")
            << QStringList{"set", "--changed-exit", "256", "{file}", "Trade=1"} << kFixture << none << 2 << ""
            << "de 3 a 255" << none;
        QTest::newRow("get --missing-exit 255, the highest it takes")
            << QStringList{"get", "--missing-exit", "255", "{file}", "MaxZen"} << QByteArray("[GameServerInfo]\n") << none
            << 255 << "MaxZen=\n" << "" << none;
        QTest::newRow("--changed-exit takes a number only")
            << QStringList{"set", "--changed-exit", "abc", "{file}", "Trade=1"} << kFixture << none << 2 << ""
            << "de 3 a 255" << none;
        QTest::newRow("set with --changed-exit, nothing to change")
            << QStringList{"set", "--changed-exit", "7", "{file}", "Trade=0"} << kFixture << none << 0 << "" << "" << none;
        QTest::newRow("set --dry-run: a unified diff, nothing written")
            << QStringList{"set", "--dry-run", "{file}", "Trade=1"} << kFixture << none << 0
            << "~@@ -14,7 +14,7 @@\n CreateCharacter = 1\n GuildCreate = 0\n GuildDestroy = 1\n-Trade = 0\n+Trade = 1\n"
               " NumberOfMaxUser = 201\n MaxLevel = 202\n ExcellentItemsDropRate = 203\n"
            << "" << none;
        QTest::newRow("set --dry-run on a section of one line: the hunk starts at line 1")
            << QStringList{"set", "--dry-run", "{file}", "Trade=1"} << QByteArray("[GameServerInfo]\n") << none << 0
            << "~\n@@ -1,1 +1,2 @@\n [GameServerInfo]\n+Trade= 1\n" << "" << none;
        QTest::newRow("set --dry-run on lone CR line endings: no diff can be shown")
            << QStringList{"set", "--dry-run", "{file}", "Trade=1"} << QByteArray("[GameServerInfo]\rTrade = 0\r") << none
            << 0 << "" << "não podem ser mostradas como diff" << none;
        QTest::newRow("set --dry-run on CR LF lines but a lone CR at the very end: no diff")
            << QStringList{"set", "--dry-run", "{file}", "Trade=1"} << QByteArray("[GameServerInfo]\r\nTrade = 0\r")
            << none << 0 << "" << "não podem ser mostradas como diff" << none;
        QTest::newRow("set --json: before is null for a key the write adds")
            << QStringList{"set", "--json", "--any-key", "{file}", "Trade=1", "Motd=Oi"}
            << QByteArray("[GameServerInfo]\nTrade = 0\n") << none << 0
            << "~{\n  \"changed\": true,\n  \"changes\": [\n    {\"key\": \"Trade\", \"before\": \"0\", \"after\": \"1\"},\n"
               "    {\"key\": \"Motd\", \"before\": null, \"after\": \"Oi\"}\n  ],\n  \"backup\": null,\n  \"diff\": \"---"
            << "" << QByteArray("[GameServerInfo]\nTrade = 1\nMotd= Oi\n");
        QTest::newRow("set: a key the write adds was absent, as JSON says")
            << QStringList{"set", "--any-key", "{file}", "Motd=Oi"} << QByteArray("[GameServerInfo]\nTrade = 0\n") << none << 0
            << "Motd: (ausente) -> \"Oi\"\n" << "" << QByteArray("[GameServerInfo]\nTrade = 0\nMotd= Oi\n");
        QTest::newRow("set --json: a missing key set empty is added")
            << QStringList{"set", "--json", "{file}", "MaxZen="} << QByteArray("[GameServerInfo]\nTrade = 0\n") << none << 0
            << "~{\n  \"changed\": true,\n  \"changes\": [\n    {\"key\": \"MaxZen\", \"before\": null, \"after\": \"\"}\n  ],\n"
               "  \"backup\": null,\n  \"diff\": \"--- "
            << "" << QByteArray("[GameServerInfo]\nTrade = 0\nMaxZen= \n");
        QTest::newRow("set --json: nothing to change")
            << QStringList{"set", "--json", "{file}", "Trade=0"} << kFixture << none << 0
            << "{\n  \"changed\": false,\n  \"changes\": [],\n  \"backup\": null,\n  \"diff\": null,\n  \"notices\": []\n}\n"
            << "" << none;
        QTest::newRow("set --json --dry-run: the diff as text, in the file's code page")
            << QStringList{"set", "--json", "--dry-run", "{file}", "MaxZenMessage=Você"}
            << QByteArray("[GameServerInfo]\nMaxZenMessage = Ol\xE1\n") << none << 0
            << "~\"diff\": \"--- " << "" << none;
        QTest::newRow("set a key the editor does not show, without --any-key")
            << QStringList{"set", "{file}", "ServerName=x"} << kFixture << none << 2 << "" << "--any-key" << none;
        QTest::newRow("set --dry-run on a missing file: no diff that makes one")
            << QStringList{"set", "--dry-run", "{file}", "Trade=1"} << none << none << 1 << "" << "não existe" << none;
#ifndef Q_OS_WIN // Windows limits whole paths, and Wine in its own way
        const QString tooLong = QStringLiteral("{file}.") + QString(260, QLatin1Char('x'));
        QTest::newRow("get a name longer than the system allows: its reason")
            << QStringList{"get", tooLong, "Trade"} << none << none << 1 << "" << "o nome é longo demais" << none;
        QTest::newRow("set a name longer than the system allows: its reason, not missing")
            << QStringList{"set", tooLong, "Trade=1"} << none << none << 1 << "" << "o nome é longo demais" << none;
#endif
        QTest::newRow("set an unknown key") << QStringList{"set", "{file}", "Trades=1"} << kFixture << none << 2 << ""
                                            << "quis dizer Trade" << none;
        QTest::newRow("set an unknown key three letters off") << QStringList{"set", "{file}", "MaxZenMsg=1"} << kFixture
                                                              << none << 2 << "" << "(quis dizer MaxZen?)" << none;
        QTest::newRow("set an unknown key two letters short") << QStringList{"set", "{file}", "Trd=1"} << kFixture
                                                              << none << 2 << "" << "(quis dizer Trade?)" << none;
        QTest::newRow("set an unknown key two letters wrong") << QStringList{"set", "{file}", "Trxdx=1"} << kFixture
                                                              << none << 2 << "" << "(quis dizer Trade?)" << none;
        QTest::newRow("set a part of many names: three guesses, the nearest")
            << QStringList{"set", "{file}", "Castle=1"} << kFixture << none << 2 << ""
            << "(quis dizer ChaosCastleMinPlayers, CastleSiegeRun, CastleCycleStartYear?)" << none;
        QTest::newRow("set an unknown key four letters off: no guess")
            << QStringList{"set", "{file}", "Tradewxyz=1"} << kFixture << none << 2 << ""
            << "A chave \"Tradewxyz\" não é uma das que este programa edita; " << none;
        QTest::newRow("set a key whose letters match only beyond ASCII case: not that key")
            << QStringList{"set", "{file}", "MaxZenMe\u017F\u017Fage=1"} << kFixture << none << 2 << ""
            << "A chave \"MaxZenMe\u017F\u017Fage\" não é uma das" << none;
        QTest::newRow("set a flag to something but yes or no")
            << QStringList{"set", "{file}", "Trade=talvez"} << kFixture << none << 1 << "" << "0 ou 1" << none;
        QTest::newRow("set a flag to a word for yes: stored as 1")
            << QStringList{"set", "{file}", "Trade=Sim"} << kFixture << none << 0 << "Trade: \"0\" -> \"1\"\n" << ""
            << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("set a value with a control character: nothing written, not even the other key")
            << QStringList{"set", "{file}", "MaxZen=1", "MaxZenMessage=\x1b[2J"} << kFixture << none << 1 << ""
            << "caractere de controle U+001B" << none;
        QTest::newRow("set a character Windows-1252 has not")
            << QStringList{"set", "{file}", "MaxZenMessage=ok ✓"} << kFixture << none << 1 << "" << "U+2713" << none;
        QTest::newRow("set in a missing file: none is made")
            << QStringList{"set", "{file}", "Trade=1"} << none << none << 1 << "" << "não existe" << none;
        QTest::newRow("set without a pair") << QStringList{"set", "{file}"} << kFixture << none << 2 << ""
                                            << "argumentos errados" << none;
        QTest::newRow("set a pair without a key") << QStringList{"set", "{file}", "=1"} << kFixture << none << 2 << ""
                                                  << "não é CHAVE=VALOR" << none;
        QTest::newRow("apply a preset that gives a key twice")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nTrade=1\nMaxZen=2\ntrade=0\n")
            << 1 << "" << "dá a chave \"Trade\" duas vezes, nas linhas 2 e 4" << none;
        QTest::newRow("set a key twice") << QStringList{"set", "{file}", "Trade=1", "TRADE=0"} << kFixture << none << 2
                                         << "" << "duas vezes" << none;

        // Only the spaces and tabs a read drops go from a value's ends; what a
        // write refuses is refused there too, never trimmed away into an
        // empty value; anything else stays.
        const struct
        {
            const char *name;
            const char *value;
            const char *refused;
        } ends[] = {{"NEL", "\u0085", "U+0085"},          {"CR", "\r", "quebra de linha"},
                    {"vertical tab", "\v", "U+000B"},   {"form feed", "\f", "U+000C"},
                    {"line separator", "\u2028", "U+2028"}, {"paragraph separator", "\u2029", "U+2029"}};
        for (const auto &end : ends) {
            for (const char *where : {"alone", "at the end", "inside"}) {
                const QString value = QString::fromUtf8(where == std::string_view("alone") ? "" : "x")
                                      + QString::fromUtf8(end.value)
                                      + QString::fromUtf8(where == std::string_view("inside") ? "y" : "");
                QTest::newRow(qPrintable(QStringLiteral("set a %1 %2: refused, nothing emptied").arg(end.name, where)))
                    << QStringList{"set", "{file}", "MaxZenMessage=" + value} << kFixture << none << 1 << ""
                    << end.refused << none;
            }
        }
        QTest::newRow("set a no-break space alone: kept")
            << QStringList{"set", "{file}", "MaxZenMessage=\u00A0"} << kFixture << none << 0 << "~MaxZenMessage" << ""
            << changed(kFixture, "MaxZenMessage = 207", "MaxZenMessage = \xA0");
        QTest::newRow("set x and a no-break space: both kept")
            << QStringList{"set", "{file}", "MaxZenMessage=x\u00A0"} << kFixture << none << 0 << "~MaxZenMessage" << ""
            << changed(kFixture, "MaxZenMessage = 207", "MaxZenMessage = x\xA0");
        QTest::newRow("set: spaces and tabs around a value go")
            << QStringList{"set", "{file}", "MaxZenMessage= \tx \t"} << kFixture << none << 0 << "~MaxZenMessage" << ""
            << changed(kFixture, "MaxZenMessage = 207", "MaxZenMessage = x");
        QTest::newRow("apply a preset whose value ends in a vertical tab: refused")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nMaxZenMessage = x\v\n")
            << 1 << "" << "U+000B" << none;
        QTest::newRow("set keys that differ beyond ASCII case are two keys")
            << QStringList{"set", "--any-key", "{file}", "\u00C4=1", "\u00E4=2"} << QByteArray("[GameServerInfo]\n") << none
            << 0 << "~(ausente) -> \"2\"" << "" << QByteArray("[GameServerInfo]\n\xC4= 1\n\xE4= 2\n");

        const QByteArray twice("\xEF\xBB\xBF[GameServerInfo]\r\nTrade = 0\r\n  Motd = x\r\nMOTD=z\r\n[Other]\r\nMotd = y");
        QTest::newRow("unset a key: every line of it in the section, nothing else")
            << QStringList{"unset", "--any-key", "{file}", "motd"} << twice << none << 0 << "motd: \"x\" -> (removida)\n" << ""
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nTrade = 0\r\n[Other]\r\nMotd = y");
        QTest::newRow("unset a key the section has not: no change")
            << QStringList{"unset", "{file}", "MaxZen"} << QByteArray("[GameServerInfo]\nTrade = 0\n[Other]\nMaxZen = 1\n")
            << none << 0 << "" << "" << none;
        QTest::newRow("unset --json: after is null")
            << QStringList{"unset", "--json", "{file}", "Trade"} << kFixture << none << 0
            << "~{\"key\": \"Trade\", \"before\": \"0\", \"after\": null}" << "" << changed(kFixture, "Trade = 0\r\n", "");
        QTest::newRow("unset --dry-run --changed-exit: the diff, nothing written")
            << QStringList{"unset", "--dry-run", "--changed-exit", "5", "{file}", "Trade"} << kFixture << none << 5
            << "~-Trade = 0\n" << "" << none;
        QTest::newRow("unset without a key") << QStringList{"unset", "{file}"} << kFixture << none << 2 << ""
                                             << "argumentos errados" << none;
        QTest::newRow("get --value: the values alone")
            << QStringList{"get", "--value", "{file}", "Trade", "AddExperience"} << kFixture << none << 0 << "0\n101\n" << ""
            << none;
#ifdef Q_OS_UNIX
        QTest::newRow("--validate that refuses: nothing written, what it said shown")
            << QStringList{"set", "--validate", "sh -c 'echo ruim; exit 3' %s", "{file}", "Trade=1"} << kFixture << none
            << 1 << "" << "saiu com 3 e disse: ruim" << none;
        QTest::newRow("--validate with a program that cannot be run")
            << QStringList{"set", "--validate", "./no-such-checker %s", "{file}", "Trade=1"} << kFixture << none << 1 << ""
            << "o programa não pôde ser executado" << none;
        QTest::newRow("--validate that passes, given the new content")
            << QStringList{"set", "--validate", "grep -q 'Trade = 1' %s", "{file}", "Trade=1"} << kFixture << none << 0
            << "~Trade" << "" << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("unset --validate that refuses: the key stays")
            << QStringList{"unset", "--validate", "sh -c 'exit 4' %s", "{file}", "Trade"} << kFixture << none << 1 << ""
            << "saiu com 4" << none;
        QTest::newRow("--validate: a backslash that ends the command is a word of its own")
            << QStringList{"set", "--validate", "sh -c 'echo \"[$2]\"; exit 1' - %s \\", "{file}", "Trade=1"} << kFixture
            << none << 1 << "" << "disse: [\\]" << none;
        QTest::newRow("--validate: a backslash that ends an open double quote is kept")
            << QStringList{"set", "--validate", "sh -c 'echo \"[$2]\"; exit 1' - %s \"x\\", "{file}", "Trade=1"} << kFixture
            << none << 1 << "" << "disse: [x\\]" << none;
        QTest::newRow("--validate: blanks between words, however many, part them once")
            << QStringList{"set", "--validate", "sh -c 'echo \"[$#]\"; exit 1'  -  %s \t x  ", "{file}", "Trade=1"} << kFixture
            << none << 1 << "" << "disse: [2]" << none;
        QTest::newRow("--validate: blanks before the command")
            << QStringList{"set", "--validate", "  grep -q 'Trade = 1' %s", "{file}", "Trade=1"} << kFixture << none << 0
            << "~Trade" << "" << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("--validate: blanks and quotes inside quotes are kept")
            << QStringList{"set", "--validate", "sh -c 'echo \"[$2]\"; exit 1' - %s 'a  b'\" \\\"c\\\\\"", "{file}", "Trade=1"}
            << kFixture << none << 1 << "" << "disse: [a  b \"c\\]" << none;
        QTest::newRow("--validate with --dry-run checks what would be written")
            << QStringList{"set", "--dry-run", "--validate", "grep -q 'Trade = 0' %s", "{file}", "Trade=1"} << kFixture
            << none << 1 << "" << "saiu com 1" << none;
#endif
        QTest::newRow("--validate without %s") << QStringList{"set", "--validate", "true", "{file}", "Trade=1"} << kFixture
                                               << none << 2 << "" << "%s" << none;

        QTest::newRow("apply a preset") << QStringList{"apply", "{file}", "{preset}"} << kFixture << weekend << 0
                                        << "AddExperience: \"101\" -> \"202\"\nItemDropPer: \"103\" -> \"80\"\nTrade: \"0\" -> \"1\"\n"
                                        << ""
                                        << changed(changed(changed(kFixture, "AddExperience = 101", "AddExperience = 202"),
                                                           "ItemDropPer = 103", "ItemDropPer = 80"),
                                                   "Trade = 0", "Trade = 1");
        QTest::newRow("apply a preset with a mark and a comment in Windows-1252")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture
            << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\n; caf\xe9\r\nTrade = 1\r\n") << 0 << "Trade: \"0\" -> \"1\"\n"
            << "" << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("apply a preset in Windows-1252")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nMaxZenMessage = a\xe7\xe3o\n")
            << 0 << "MaxZenMessage: \"207\" -> \"ação\"\n" << "" << changed(kFixture, "MaxZenMessage = 207", "MaxZenMessage = a\xe7\xe3o");
        QTest::newRow("apply a preset with a key before its section")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("Trade=1\n[GameServerInfo]\nMaxZen=2\n")
            << 1 << "" << "antes da seção" << none;
        QTest::newRow("apply a preset with a key the editor does not edit")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture
            << QByteArray("[GameServerInfo]\nAddExperience=2\nMaxZenn=3\n") << 1 << "" << "linha 3 a chave \"MaxZenn\""
            << none;
        QTest::newRow("apply --any-key: the preset's other keys as text")
            << QStringList{"apply", "--any-key", "{file}", "{preset}"} << kFixture
            << QByteArray("[GameServerInfo]\nservername = Outro\nTrade = 1\n") << 0 << "~servername: \"Fixture\" -> \"Outro\"" << ""
            << changed(changed(kFixture, "ServerName = Fixture", "ServerName = Outro"), "Trade = 0", "Trade = 1");
        QTest::newRow("apply a preset with a broken line")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nAddExperience 2\n")
            << 1 << "" << "na linha 2 algo que não é chave" << none;
        QTest::newRow("apply a preset that is not there")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << none << 1 << "" << "\" não existe. Nada foi gravado."
            << none;
        QTest::newRow("apply a preset without the section")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("; s\xf3 um coment\xe1rio\n") << 1 << ""
            << "não tem a seção [GameServerInfo]" << none;
        QTest::newRow("apply a preset with another section")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nTrade=1\n[Other]\n")
            << 1 << "" << "seção [Other]" << none;
        QTest::newRow("apply a preset with a flag but 0 or 1")
            << QStringList{"apply", "{file}", "{preset}"} << kFixture << QByteArray("[GameServerInfo]\nTrade=2\n") << 1 << ""
            << "0 ou 1" << none;

        QTest::newRow("keys: the 36, with kind, window and label")
            << QStringList{"keys"} << none << none << 0
            << "~\nTrade                      sim ou não  janela principal  Trade:\n" << "" << none;
        QTest::newRow("keys: in the order of the windows' boxes")
            << QStringList{"keys"} << none << none << 0 << "~rótulo\nAddExperience  " << "" << none;
        QTest::newRow("version") << QStringList{"--version"} << none << none << 0
                                 << QStringLiteral("commonserver-cfg " COMMONSERVER_VERSION "\n") << "" << none;
        QTest::newRow("help") << QStringList{"--help"} << none << none << 0 << "~  2  uso errado" << "" << none;
        QTest::newRow("an unknown option, in Qt's Portuguese") << QStringList{"--bogus", "get", "{file}"} << kFixture << none
                                                               << 2 << "" << "Opção desconhecida 'bogus'" << none;
        QTest::newRow("no command") << QStringList{} << none << none << 2 << "" << "falta o comando" << none;
        QTest::newRow("an unknown command") << QStringList{"put", "{file}"} << kFixture << none << 2 << ""
                                            << "\"put\" não é um comando" << none;
        QTest::newRow("an option of another command") << QStringList{"set", "--raw", "{file}", "Trade=1"} << kFixture
                                                      << none << 2 << "" << "--raw" << none;
        QTest::newRow("--keep-backups 0") << QStringList{"set", "--backup", "--keep-backups", "0", "{file}", "Trade=1"}
                                          << kFixture << none << 2 << "" << "1 ou mais" << none;
        QTest::newRow("restore with an empty path") << QStringList{"restore", ""} << none << none << 1 << ""
                                                    << "Nenhum arquivo de configuração foi indicado" << none;
        QTest::newRow("restore --from a backup that does not exist: nothing written")
            << QStringList{"restore", "--from", "{preset}", "{file}"} << kFixture << none << 1 << "" << "não existe" << none;
        QTest::newRow("restore --from --dry-run onto a file that does not exist: no diff that makes one")
            << QStringList{"restore", "--dry-run", "--from", "{preset}", "{file}"} << none << QByteArray("[GameServerInfo]\nTrade = 1\n")
            << 1 << "" << "não existe" << none;
        QTest::newRow("restore with a second file") << QStringList{"restore", "{file}", "{file}"} << kFixture << none << 2
                                                    << "" << "argumentos errados" << none;
        QTest::newRow("--wait with a decimal comma") << QStringList{"set", "--wait", "0,5", "{file}", "Trade=1"} << kFixture
                                                     << none << 0 << "~Trade" << "" << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("--wait a whole day") << QStringList{"set", "--wait", "86400", "{file}", "Trade=1"} << kFixture << none
                                            << 0 << "~Trade" << "" << changed(kFixture, "Trade = 0", "Trade = 1");
        QTest::newRow("--json with --raw") << QStringList{"get", "--json", "--raw", "{file}", "Trade"} << kFixture << none << 2
                                           << "" << "não vão juntas" << none;
        QTest::newRow("--json with --value") << QStringList{"get", "--json", "--value", "{file}", "Trade"} << kFixture << none
                                             << 2 << "" << "não vão juntas" << none;
        QTest::newRow("--raw with --value") << QStringList{"get", "--raw", "--value", "{file}", "Trade"} << kFixture << none
                                            << 2 << "" << "não vão juntas" << none;
        QTest::newRow("get --all with a key") << QStringList{"get", "--all", "{file}", "Trade"} << kFixture << none << 2 << ""
                                              << "não vai com CHAVE" << none;
        QTest::newRow("restore --discard with --from") << QStringList{"restore", "--discard", "--from", "{preset}", "{file}"}
                                                       << kFixture << kFixture << 2 << "" << "não vão juntas" << none;
        QTest::newRow("keys --json: an option of other commands") << QStringList{"keys", "--json"} << none << none << 2 << ""
                                                                  << "--json é uma opção de" << none;
        QTest::newRow("--wait below 0") << QStringList{"set", "--wait", "-1", "{file}", "Trade=1"} << kFixture << none << 2
                                        << "" << "--wait precisa" << none;
        QTest::newRow("--wait longer than a day") << QStringList{"set", "--wait", "86401", "{file}", "Trade=1"} << kFixture
                                                  << none << 2 << "" << "--wait precisa" << none;
        QTest::newRow("--keep-backups without --backup")
            << QStringList{"set", "--keep-backups", "2", "{file}", "Trade=1"} << kFixture << none << 2 << ""
            << "vai com --backup" << none;
        QTest::newRow("an unknown option") << QStringList{"get", "--jsno", "{file}"} << kFixture << none << 2 << ""
                                           << "jsno" << none;
    }

    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, preset);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QString presetPath = dir.filePath(QStringLiteral("preset.cfg"));
        if (!file.isNull())
            putFile(path, file);
        if (!preset.isNull())
            putFile(presetPath, preset);
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        if (!file.isNull()) {
            QFile aged(path);
            QVERIFY(aged.open(QIODevice::ReadWrite) && aged.setFileTime(past, QFileDevice::FileModificationTime));
        }
        arguments.replaceInStrings(QStringLiteral("{file}"), path);
        arguments.replaceInStrings(QStringLiteral("{preset}"), presetPath);

        const Run result = run(arguments);
        QCOMPARE(result.status, status);
        if (out.startsWith(QLatin1Char('~')))
            QVERIFY2(result.out.contains(out.mid(1)), qPrintable(result.out));
        else
            QCOMPARE(result.out, out);
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        // A report is its reason, first: no run-time error's heading.
        QVERIFY2(!result.err.contains(QStringLiteral("Erro em tempo")), qPrintable(result.err));
        if ((status == 0 || status == 7) && err.isEmpty())
            QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        if (file.isNull()) {
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        QCOMPARE(fileBytes(path), after.isNull() ? file : after);
        if (after.isNull()) // not even rewritten
            QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".bak")), QStringList());
    }

    // --dry-run shows what set would write, as a diff in the file's own
    // bytes and line endings that GNU patch applies.
    void dryRunDiffAppliesWithPatch_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("pairs");
        QTest::addColumn<QByteArray>("backup"); // restore --from it, instead of set

        QTest::newRow("LF") << QByteArray("[GameServerInfo]\nAddExperience = 1\nTrade = 0\n") << QStringList{"Trade=1"} << QByteArray();
        QTest::newRow("CRLF, as the shipped example") << kFixture << QStringList{"Trade=1", "MaxZen=9"} << QByteArray();
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZenMessage = Ol\xC3\xA1\r\n")
                                           << QStringList{"MaxZenMessage=Você"} << QByteArray();
        QTest::newRow("UTF-8 without a mark") << QByteArray("[GameServerInfo]\nMaxZenMessage = Ol\xC3\xA1\n")
                                              << QStringList{"MaxZenMessage=Você"} << QByteArray();
        QTest::newRow("Windows-1252 with accents")
            << QByteArray("; configura\xe7\xe3o\r\n[GameServerInfo]\r\nMaxZenMessage = n\xe3o\r\n")
            << QStringList{"MaxZenMessage=ação"} << QByteArray();
        QTest::newRow("no line break at the end") << QByteArray("[GameServerInfo]\r\nTrade = 0") << QStringList{"Trade=1"} << QByteArray();
        QTest::newRow("a key added to a section that ends the file")
            << QByteArray("[GameServerInfo]\r\nTrade = 0\r\n") << QStringList{"MaxZen=5"} << QByteArray();
        QTest::newRow("a key added after a last line without a break")
            << QByteArray("[GameServerInfo]\nTrade = 0") << QStringList{"MaxZen=5"} << QByteArray();
        QTest::newRow("a missing section appended") << QByteArray("[Other]\r\nA=1") << QStringList{"Trade=1"} << QByteArray();
        QTest::newRow("an empty file: no line before") << QByteArray() << QStringList{"Trade=1"} << QByteArray();
        QByteArray apart("[GameServerInfo]\r\nTrade = 0\r\n");
        for (int i = 0; i < 12; ++i)
            apart += "; " + QByteArray::number(i) + "\r\n";
        QTest::newRow("changes far apart: two hunks") << apart + "MaxZen = 1\r\n" << QStringList{"Trade=1", "MaxZen=2"} << QByteArray();
        QByteArray near("[GameServerInfo]\r\nTrade = 0\r\n");
        for (int i = 0; i < 6; ++i)
            near += "; " + QByteArray::number(i) + "\r\n";
        QTest::newRow("changes whose contexts meet: one hunk") << near + "MaxZen = 1\r\n" << QStringList{"Trade=1", "MaxZen=2"} << QByteArray();
        // Any two versions of a file, as restore --from shows them.
        QTest::newRow("restore --from: a line moved up")
            << QByteArray("[GameServerInfo]\r\nA = 1\r\nB = 2\r\nC = 3\r\n") << QStringList()
            << QByteArray("[GameServerInfo]\r\nC = 3\r\nA = 1\r\nB = 2\r\n");
        QTest::newRow("restore --from: lines added around a kept one")
            << QByteArray("[GameServerInfo]\nA = 1\nB = 2\n") << QStringList()
            << QByteArray("[GameServerInfo]\nX = 0\nA = 1\nY = 9\n");
        QTest::newRow("restore --from an empty copy: no line after")
            << QByteArray("[GameServerInfo]\r\nTrade = 0\r\n") << QStringList() << QByteArray("");
    }

    void dryRunDiffAppliesWithPatch()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, pairs);
        QFETCH(QByteArray, backup);
        const QString patch = QStandardPaths::findExecutable(QStringLiteral("patch"));
        if (patch.isEmpty())
            QSKIP("GNU patch is not installed");
        QTemporaryDir dir;
        const QString previewed = dir.filePath(QStringLiteral("previewed.cfg"));
        const QString set = dir.filePath(QStringLiteral("set.cfg"));
        putFile(previewed, file);
        putFile(set, file);
        const QString backupPath = dir.filePath(QStringLiteral("backup.cfg"));
        putFile(backupPath, backup);
        const QStringList preview = backup.isNull() ? QStringList{"set", "--dry-run", previewed} + pairs
                                                    : QStringList{"restore", "--dry-run", "--from", backupPath, previewed};
        QProcess diff;
        diff.start(QStringLiteral(COMMONSERVER_CFG), preview);
        QVERIFY(diff.waitForFinished(30000));
        const QByteArray printed = diff.readAllStandardOutput();
        QVERIFY2(printed.startsWith("--- "), printed.constData()); // the diff, and nothing before it
        QCOMPARE(run(backup.isNull() ? QStringList{"set", set} + pairs : QStringList{"restore", "--from", backupPath, set}).status, 0);
        QVERIFY2(fileBytes(set) != file, "set changed nothing");
        QCOMPARE(fileBytes(previewed), file); // the dry run wrote nothing

        QProcess patching;
        patching.start(patch, {"-s", "-o", dir.filePath(QStringLiteral("patched.cfg")), previewed});
        patching.write(printed);
        patching.closeWriteChannel();
        QVERIFY(patching.waitForFinished(30000));
        QVERIFY2(patching.exitCode() == 0, printed + patching.readAll());
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("patched.cfg"))), fileBytes(set));

        // Hunk for hunk what GNU diff -u prints (the lines after the names).
        QProcess gnu;
        gnu.start(QStringLiteral("diff"), {"-u", previewed, set});
        QVERIFY(gnu.waitForFinished(30000));
        const QByteArray expected = gnu.readAllStandardOutput();
        QCOMPARE(printed.mid(printed.indexOf("\n@@")), expected.mid(expected.indexOf("\n@@")));
    }

    // The diff of a large file needs about three times its size in memory:
    // the bytes before and after, and lines only where they changed.
    void dryRunOfALargeFileFitsInThreeTimesItsSize()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer's shadow memory is no measure of the tool's");
#endif
#ifdef Q_OS_LINUX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        QByteArray big = kFixture;
        for (int i = 0; big.size() < (60 << 20); ++i)
            big += "Filler" + QByteArray::number(i) + " = valor de enchimento\r\n";
        putFile(path, big);
        QCOMPARE(run({"set", "--dry-run", path, "Trade=1"}).status, 0);
        struct rusage usage;
        QCOMPARE(::getrusage(RUSAGE_CHILDREN, &usage), 0);
        const qint64 peak = qint64(usage.ru_maxrss) * 1024; // the largest of this test's processes
        qInfo("--dry-run of a %lld MB file: %lld MB at most", big.size() >> 20, peak >> 20);
        QVERIFY2(peak < 5 * big.size() / 2 + (32 << 20), qPrintable(QString::number(peak >> 20)));
#else
        QSKIP("the peak memory of a child process is read with getrusage");
#endif
    }

    // A save cut off halfway (in place, behind its journal), or between the
    // two steps of a replacement (no file, its finished content beside it):
    // get and set refuse the file and say how to settle it; restore settles
    // it as asked, or with --dry-run says what it would do; afterwards there
    // is nothing left to settle, which --json says without failing.
    void interruptedSaveIsRefusedUntilSettled_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("after"); // old, torn, saved, missing
        QTest::newRow("restore: the content before") << "file-half-written" << QStringList() << "restaurado com o conteúdo anterior" << "old";
        QTest::newRow("restore --discard: the file as it is")
            << "file-half-written" << QStringList{"--discard"} << "ficou como está; a cópia do conteúdo anterior foi apagada" << "torn";
        QTest::newRow("restore --dry-run --json: what it would do")
            << "file-half-written" << QStringList{"--dry-run", "--json"} << "\"changed\": true" << "torn";
        QTest::newRow("restore --discard --json: no diff to show")
            << "file-half-written" << QStringList{"--discard", "--json"} << "\"diff\": null" << "torn";
        QTest::newRow("between the steps of a replacement: restore puts the content in place")
            << "temporary-written" << QStringList() << "restaurado com o conteúdo que ficou ao lado" << "saved";
        QTest::newRow("between the steps: --discard removes it")
            << "temporary-written" << QStringList{"--discard"} << "continua sem existir" << "missing";
        QTest::newRow("between the steps: --dry-run")
            << "temporary-written" << QStringList{"--dry-run"} << "seria restaurado com o conteúdo que ficou ao lado" << "missing";
    }

    void interruptedSaveIsRefusedUntilSettled()
    {
        QFETCH(QString, step);
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        QFETCH(QString, after);
#ifdef Q_OS_WIN
        QSKIP("a second name of a file for the test is made with link(2) here");
#else
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray old = kFixture + QByteArray(64 << 10, ';') + "\r\n";
        putFile(path, old);
        const bool inPlace = step == QLatin1String("file-half-written");
        if (inPlace)
            QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath("second.cfg")).constData()), 0);
        QProcess cut;
        cut.start(QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter"),
                  {"set", path, "AddExperience", "1234567", "--stop-after", step});
        QVERIFY(cut.waitForFinished(30000));
        QCOMPARE(cut.exitCode(), 9);
        if (!inPlace)
            QVERIFY(QFile::remove(path)); // the old file moved aside, the new one not yet in place
        const QByteArray before = fileBytes(path);
        for (const QStringList &refused : {QStringList{"get", path}, QStringList{"set", path, "Trade=1"}}) {
            const Run result = run(refused);
            QCOMPARE(result.status, 1);
            QVERIFY2(result.err.contains(QStringLiteral("restore")) && result.err.contains(QStringLiteral(".cse-")),
                     qPrintable(result.err));
        }
        const Run settled = run(QStringList{"restore"} + options + QStringList{path});
        QCOMPARE(settled.status, 0);
        QVERIFY2(settled.out.contains(said), qPrintable(settled.out));
        const QByteArray saved = changed(old, "AddExperience = 101", "AddExperience = 1234567");
        if (after == QLatin1String("missing"))
            QVERIFY(!QFileInfo::exists(path));
        else
            QCOMPARE(fileBytes(path), after == QLatin1String("old") ? old : after == QLatin1String("saved") ? saved : before);
        if (options.contains(QStringLiteral("--dry-run"))) {
            QCOMPARE(run({"get", path}).status, 1); // still to settle
            return;
        }
        // Settled once: nothing is left to settle (a file that stays missing is said to be so).
        const Run again = run({"restore", path});
        QCOMPARE(again.status, 1);
        const bool missing = after == QLatin1String("missing");
        QVERIFY2(again.err.contains(missing ? QStringLiteral("não existe") : QStringLiteral("Não há gravação interrompida")),
                 qPrintable(again.err));
        if (!missing)
            QVERIFY(run({"restore", "--json", path}).out.startsWith(QStringLiteral("{\"changed\": false")));
#endif
    }

    // --validate where no copy for it can be made: refused, nothing written.
    void validateWithoutATemporaryFolder()
    {
#ifndef Q_OS_UNIX
        QSKIP("the temporary folder is named by TMPDIR here");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        const QString notAFolder = dir.filePath(QStringLiteral("a file"));
        putFile(notAFolder, QByteArray());
        const Setting temporaryFolder("TMPDIR", notAFolder);
        const Run refused = run({"set", "--validate", "true %s", path, "Trade=1"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("não pôde ser guardado")), qPrintable(refused.err));
        QCOMPARE(fileBytes(path), kFixture);
    }

    // Another program holding a lock on the file, or holding it open for
    // writing without changing it: the save waits as long as --wait says,
    // then names who holds it; --force writes past an idle writer.
    void holdersAreNamed_data()
    {
        QTest::addColumn<QString>("holder"); // a shell command that holds the file "$1"
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("who");
        QTest::newRow("a lock") << "exec flock \"$1\" sleep 30" << "bloqueado" << "\"flock\" (PID ";
        QTest::newRow("a lock of another copy of this program")
            << "(exec 3>>\"$1\"; exec sleep 8) & sleep 0.1; exec {cfg} set --wait 20 \"$1\" Trade=1" << "bloqueado"
            << "outra cópia deste programa, \"commonserver-cf"; // the system keeps 15 letters of a name
        QTest::newRow("open for writing, never changed") << "exec 3>>\"$1\"; exec sleep 30"
                                                         << "aberto para gravação" << "\"sleep\" (PID ";
        QTest::newRow("open for writing and changing") << "exec 3>>\"$1\"; while :; do touch \"$1\"; sleep 0.2; done"
                                                       << "não parou de mudar" << "\"sh\" (PID ";
    }

    void holdersAreNamed()
    {
        QFETCH(QString, holder);
        QFETCH(QString, said);
        QFETCH(QString, who);
        holder.replace(QStringLiteral("{cfg}"), QStringLiteral(COMMONSERVER_CFG));
#ifdef Q_OS_LINUX
        if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
            QSKIP("flock (util-linux) is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        QProcess holding;
        holding.start(QStringLiteral("sh"), {"-c", holder, "sh", path});
        QVERIFY(holding.waitForStarted());
        QTest::qWait(300);
        QElapsedTimer timer;
        timer.start();
        rusage before{};
        QCOMPARE(::getrusage(RUSAGE_CHILDREN, &before), 0);
        const Run waited = run({"set", "--wait", "1", path, "Trade=1"});
        const qint64 took = timer.elapsed();
        rusage after{};
        QCOMPARE(::getrusage(RUSAGE_CHILDREN, &after), 0);
        // It waits asleep: the processor is not held for the second it waits.
        const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
        const qint64 busy = ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime);
        qInfo("waited %lld ms, busy %lld ms", took, busy);
        QVERIFY2(busy < took / 2, qPrintable(QString::number(busy)));
        QCOMPARE(waited.status, 1);
        QVERIFY2(waited.err.contains(said) && waited.err.contains(who), qPrintable(waited.err));
        QVERIFY2(took >= 1000 && took < 5000, qPrintable(QString::number(took)));
        // The report says how long it waited, in seconds with a decimal comma.
        const QRegularExpressionMatch waitedFor =
            QRegularExpression(QStringLiteral("durante (\\d+),(\\d) s de espera")).match(waited.err);
        QVERIFY2(waitedFor.hasMatch(), qPrintable(waited.err));
        const int tenths = waitedFor.captured(1).toInt() * 10 + waitedFor.captured(2).toInt();
        QVERIFY2(tenths >= 10 && tenths * 100 <= took + 50, qPrintable(waited.err));
        QCOMPARE(fileBytes(path), kFixture);
        if (said.startsWith(QLatin1String("aberto"))) {
            QCOMPARE(run({"set", "--force", path, "Trade=1"}).status, 0);
            QCOMPARE(fileBytes(path), changed(kFixture, "Trade = 0", "Trade = 1"));
        }
        holding.kill();
        holding.waitForFinished();
#else
        QSKIP("flock and a shell holding a file open are Linux tools here");
#endif
    }

    // Sets in a row, as a script or an Ansible loop makes them: each finds
    // the file exactly as the one before left it, which is no other writer,
    // and waits for nothing. A change by another program a moment ago is
    // still waited for, and with --wait 0 said to be that.
    void savesInARow_data()
    {
        QTest::addColumn<bool>("otherProgram"); // another program changed the file just before
        QTest::addColumn<bool>("stateFolderMade"); // the user's state folder is there before the first set
        QTest::newRow("four sets in a row") << false << true;
        QTest::newRow("four sets in a row, the first to make the state folder") << false << false;
        QTest::newRow("--wait 0 right after another program's change") << true << true;
    }

    void savesInARow()
    {
        QFETCH(bool, otherProgram);
        QFETCH(bool, stateFolderMade);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        std::optional<Setting> state;
        if (!stateFolderMade)
            state.emplace("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")));
        if (otherProgram) {
            QFile touched(path);
            QVERIFY(touched.open(QIODevice::ReadWrite)
                    && touched.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime));
            touched.close();
            const Run refused = run({"set", "--wait", "0", path, "Trade=1"});
            QCOMPARE(refused.status, 1);
            QVERIFY2(refused.err.contains(QStringLiteral("Outro programa mudou o arquivo")), qPrintable(refused.err));
            QCOMPARE(fileBytes(path), kFixture);
            return;
        }
        QElapsedTimer timer;
        timer.start();
        for (const char *value : {"1", "2", "3", "4"})
            QCOMPARE(run({"set", path, QStringLiteral("AddExperience=") + QLatin1String(value)}).status, 0);
        // Three quiet seconds would be waited for without it; a process's
        // start takes a quarter of a second under Wine.
        QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(fileBytes(path), changed(kFixture, "AddExperience = 101", "AddExperience = 4"));
    }

    // A member of the file's group saves it, in a folder only its owner may
    // write: the system shows that user no other program holding the file
    // open, and the safety copy of the rewrite can only go to the user's own
    // folder. The save says both, in its JSON as on standard error. A user
    // outside the group, who may not read the file, is told so.
    void noticesOfAGroupMembersSave()
    {
#ifdef Q_OS_LINUX
        if (::geteuid() != 0)
            QSKIP("giving files to other users and dropping to them need root");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) is not installed");
        QTemporaryDir dir; // where the user makes a state folder
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString data = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(data));
        QCOMPARE(::chown(QFile::encodeName(data).constData(), 1500, 1500), 0);
        const QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        {
            QFile old(path); // quiet for long enough: nothing to wait for
            QVERIFY(old.open(QIODevice::ReadWrite)
                    && old.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60), QFileDevice::FileModificationTime));
        }
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 1500, 1500), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0660), 0);
        const Setting state("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")));
        const Setting journals("COMMONSERVER_EDITOR_JOURNALS", dir.filePath(QStringLiteral("none"))); // none shared
        const Run saved = run({"set", "--json", path, "AddExperience=5"}, {}, {"--reuid=1600", "--regid=1600", "--groups=1500"});
        QCOMPARE(saved.status, 0);
        QCOMPARE(fileBytes(path), changed(kFixture, "AddExperience = 101", "AddExperience = 5"));
        QJsonParseError parsed{};
        const QJsonArray notices =
            QJsonDocument::fromJson(saved.out.toUtf8(), &parsed).object().value(QStringLiteral("notices")).toArray();
        QVERIFY2(parsed.error == QJsonParseError::NoError, qPrintable(saved.out));
        QCOMPARE(notices.size(), 2);
        const QStringList said{QStringLiteral("não mostra a este usuário"), QStringLiteral("só este usuário a encontrará")};
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(notices.at(i).toString().contains(said.at(i)), qPrintable(saved.out));
            QVERIFY2(saved.err.contains(QStringLiteral("Aviso: ") + notices.at(i).toString()), qPrintable(saved.err));
        }
        const Run refused = run({"get", path, "Trade"}, {}, {"--reuid=1700", "--regid=1700", "--clear-groups"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("Não foi possível ler o arquivo")), qPrintable(refused.err));
#else
        QSKIP("owners and setpriv of Linux");
#endif
    }

    // A file dated ahead of this machine's clock (another machine wrote it)
    // cannot age: a quiet second without a change is enough.
    void fileDatedInTheFutureIsSaved()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        QFile dated(path);
        QVERIFY(dated.open(QIODevice::ReadWrite)
                && dated.setFileTime(QDateTime::currentDateTimeUtc().addSecs(3600), QFileDevice::FileModificationTime));
        dated.close();
        QCOMPARE(run({"set", "--wait", "5", path, "Trade=1"}).status, 0);
        QCOMPARE(fileBytes(path), changed(kFixture, "Trade = 0", "Trade = 1"));
    }

    // An argument that is not UTF-8 would decode into another command, path
    // or value: refused, naming its place, before anything is read.
    void argumentsThatAreNotUtf8AreRefused_data()
    {
        QTest::addColumn<QString>("arguments"); // as sh reads them
        QTest::addColumn<int>("position");
        QTest::newRow("the command") << "\"$(printf 'g\\377t')\" \"$1\" Trade" << 1;
        QTest::newRow("a value in Windows-1252") << "set \"$1\" \"MaxZenMessage=caf$(printf '\\351')\"" << 3;
    }

    void argumentsThatAreNotUtf8AreRefused()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, arguments);
        QFETCH(int, position);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        QProcess tool;
        tool.start(QStringLiteral("sh"), {"-c", "exec \"$0\" " + arguments, QStringLiteral(COMMONSERVER_CFG), path});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("o argumento %1 não é texto UTF-8").arg(position)), qPrintable(err));
        QCOMPARE(fileBytes(path), kFixture);
#else
        QSKIP("Windows passes arguments as UTF-16");
#endif
    }

    void getListsEveryKeyOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        const Run result = run({"get", path});
        QCOMPARE(result.status, 0);
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 36);
        for (const QString &line : lines) // each as the file has it
            QCOMPARE(readValue(path, QStringLiteral("GameServerInfo"), line.section(QLatin1Char('='), 0, 0)),
                     line.section(QLatin1Char('='), 1));
    }

    // The same set again changes nothing, not even the file's time; with
    // --backup, the first keeps the old bytes beside the file, with the
    // file's permissions, the second keeps nothing.
    void secondSetLeavesTheFileAloneAndBackupKeepsTheOldBytes_data()
    {
        QTest::addColumn<bool>("withoutAttributes");
        QTest::newRow("a file system with extended attributes") << false;
        QTest::newRow("one without them, nor ACLs (ramfs)") << true;
    }

    void secondSetLeavesTheFileAloneAndBackupKeepsTheOldBytes()
    {
        QFETCH(bool, withoutAttributes);
        QTemporaryDir dir;
#ifdef Q_OS_LINUX
        if (withoutAttributes && ::geteuid() != 0)
            QSKIP("mounting a file system needs root");
        if (withoutAttributes && ::mount("none", QFile::encodeName(dir.path()).constData(), "ramfs", 0, nullptr) != 0)
            QSKIP("this machine does not let ramfs be mounted");
        const auto unmount = qScopeGuard([&] {
            if (withoutAttributes)
                ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
        });
#else
        if (withoutAttributes)
            QSKIP("ramfs is Linux's");
#endif
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        const Run first = run({"set", "--backup", path, "AddExperience=250", "Trade=1"});
        QCOMPARE(first.status, 0);
        const QStringList backups = QDir(dir.path()).entryList({QStringLiteral("commonserver.cfg.*.bak")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^commonserver\\.cfg\\.\\d{8}-\\d{6}\\.bak$")).match(backups.first()).hasMatch(),
                 qPrintable(backups.first()));
        QCOMPARE(fileBytes(dir.filePath(backups.first())), kFixture);
        QCOMPARE(QFileInfo(dir.filePath(backups.first())).permissions(), QFileInfo(path).permissions());
        QVERIFY2(first.out.contains(QDir::toNativeSeparators(dir.filePath(backups.first()))), qPrintable(first.out));

        const QByteArray saved = fileBytes(path);
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile aged(path);
            QVERIFY(aged.open(QIODevice::ReadWrite) && aged.setFileTime(past, QFileDevice::FileModificationTime));
        }
        const Run second = run({"set", "--backup", path, "AddExperience=250", "Trade=1"});
        QCOMPARE(second.status, 0);
        QCOMPARE(second.out, QString());
        QCOMPARE(fileBytes(path), saved);
        QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.bak")}, QDir::Files).size(), 1);

        // A third change in the same second keeps its own copy, never over another.
        QCOMPARE(run({"set", "--backup", path, "AddExperience=251"}).status, 0);
        QCOMPARE(run({"set", "--backup", path, "AddExperience=252"}).status, 0);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.bak")}, QDir::Files).size(), 3);

        // --keep-backups keeps the copy just made and the newest others, by
        // the time and number in their names; other files stay.
        const QStringList planted{"commonserver.cfg.20991231-235959.bak", "commonserver.cfg.20991231-235959-2.bak",
                                  "commonserver.cfg.20200101-000000.bak", "other.cfg.20200101-000000.bak",
                                  "commonserver.cfg.20200101-000000.bak.txt", "commonserver.cfg.bak"};
        for (const QString &name : planted)
            putFile(dir.filePath(name), "x");
        const Run pruning = run({"set", "--backup", "--keep-backups", "2", "--json", path, "AddExperience=253"});
        QCOMPARE(pruning.status, 0);
        QString made = QRegularExpression(QStringLiteral("\"backup\": \"([^\"]+)\"")).match(pruning.out).captured(1);
        QVERIFY2(QFileInfo::exists(made.replace(QStringLiteral("\\\\"), QStringLiteral("\\"))), qPrintable(pruning.out));
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        left.removeOne(QFileInfo(made).fileName());
        QCOMPARE(left, (QStringList{"commonserver.cfg", "commonserver.cfg.20200101-000000.bak.txt",
                                    "commonserver.cfg.20991231-235959-2.bak", "commonserver.cfg.bak",
                                    "other.cfg.20200101-000000.bak"}));

        // Listed newest first, by the time and number in their names, and
        // the file's own only; one shown against the file, then put back,
        // keeping what it replaces.
        const Run listed = run({"backups", "--json", path});
        QCOMPARE(listed.status, 0);
        const QString madeName = QFileInfo(made).fileName();
        QVERIFY2(listed.out.contains(QStringLiteral("20991231-235959-2.bak")) && listed.out.contains(madeName)
                     && listed.out.indexOf(QStringLiteral("20991231-235959-2.bak")) < listed.out.indexOf(madeName)
                     && !listed.out.contains(QStringLiteral("other.cfg")) && !listed.out.contains(QStringLiteral(".bak.txt")),
                 qPrintable(listed.out));
        // Each with the time its name says, and its size.
        QVERIFY2(listed.out.contains(QStringLiteral("20991231-235959-2.bak\", \"time\": \"2099-12-31T23:59:59\", \"size\": 1}")),
                 qPrintable(listed.out));
        const QStringList lines = run({"backups", path}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.constFirst().startsWith(QStringLiteral("2099-12-31 23:59:59           1  ")), qPrintable(lines.constFirst()));
        const QByteArray before = fileBytes(path);
        const Run shown = run({"backups", "--diff", made, path});
        QVERIFY2(shown.out.contains(QStringLiteral("-AddExperience = 253")) && shown.out.contains(QStringLiteral("+AddExperience = 252")),
                 qPrintable(shown.out));
        QCOMPARE(fileBytes(path), before);
        const Run restored = run({"restore", "--from", made, path});
        QCOMPARE(restored.status, 0);
        QVERIFY2(restored.out.startsWith(QStringLiteral("O conteúdo de \"%1\" foi posto no arquivo \"%2\".\n")
                                             .arg(QDir::toNativeSeparators(made), QDir::toNativeSeparators(path))),
                 qPrintable(restored.out));
        QCOMPARE(fileBytes(path), fileBytes(made));
        const QString keptNow = QRegularExpression(QStringLiteral("Cópia de segurança: (.+)")).match(restored.out).captured(1);
        QCOMPARE(fileBytes(keptNow), before);
    }

    // A preset given as "-" comes from standard input, as a pipe or a
    // module that holds the preset's content delivers it.
    void presetFromStandardInput()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, kFixture);
        const Run applied = run({"apply", path, "-"}, "[GameServerInfo]\nTrade = 1\n");
        QCOMPARE(applied.status, 0);
        QCOMPARE(applied.out, QStringLiteral("Trade: \"0\" -> \"1\"\n"));
        QCOMPARE(fileBytes(path), changed(kFixture, "Trade = 0", "Trade = 1"));
        const Run refused = run({"apply", path, "-"}, "Trade = 0\n");
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("entrada padrão")), qPrintable(refused.err));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
