#include "cli/validation.h"

#include "engine/failure.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>

namespace cli {
namespace {

[[noreturn]] void refuse(const QString &command, const QString &file, const QString &what)
{
    throw engine::Failure{engine::FailureNumber::InvalidValue,
                          QStringLiteral("A validação \"%1\" recusou o conteúdo novo de \"%2\": %3. Nada foi gravado.")
                              .arg(command, QDir::toNativeSeparators(file), what)};
}

// The command's words as a POSIX shell splits them (as Ansible's own
// validate does): blanks between words, '...' taken literally, "..." with
// backslash escapes, a backslash outside quotes escaping the next character.
// Nothing is expanded: no variables, no globs, no shell runs it.
QStringList wordsOf(const QString &command)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype close = command.indexOf(QLatin1Char('\''), i + 1);
            word += command.mid(i + 1, (close < 0 ? command.size() : close) - i - 1);
            i = close < 0 ? command.size() : close;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < command.size() && command.at(i) != QLatin1Char('"'); ++i) {
                if (command.at(i) == QLatin1Char('\\') && i + 1 < command.size()
                    && QStringLiteral("\\\"$`").contains(command.at(i + 1)))
                    ++i;
                word += command.at(i);
            }
        } else if (c == QLatin1Char('\\') && i + 1 < command.size()) {
            word += command.at(++i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

} // namespace

bool namesTheContent(const QString &command)
{
    return wordsOf(command).join(QLatin1Char('\n')).contains(QLatin1String("%s"));
}

void validate(const QString &command, const QByteArray &content, const QString &file)
{
    QTemporaryFile checked(QDir::temp().filePath(QStringLiteral("commonserver-cfg-XXXXXX.cfg")));
    if (!checked.open() || checked.write(content) != content.size() || !checked.flush())
        refuse(command, file, QStringLiteral("o conteúdo não pôde ser guardado para ela (%1)").arg(checked.errorString()));
    checked.close();
    QStringList words = wordsOf(command);
    for (QString &word : words)
        word.replace(QLatin1String("%s"), QDir::toNativeSeparators(checked.fileName()));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(words.value(0), words.mid(1));
    if (!process.waitForStarted(-1))
        refuse(command, file, QStringLiteral("o programa não pôde ser executado (%1)").arg(process.errorString()));
    process.waitForFinished(-1);
    const QString said = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit)
        refuse(command, file, QStringLiteral("o programa terminou sem sair normalmente%1")
                                  .arg(said.isEmpty() ? QString() : QStringLiteral(" e disse: ") + said));
    if (process.exitCode() != 0)
        refuse(command, file, QStringLiteral("saiu com %1%2")
                                  .arg(process.exitCode())
                                  .arg(said.isEmpty() ? QString() : QStringLiteral(" e disse: ") + said));
}

} // namespace cli
