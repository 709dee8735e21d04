#include "cli/report.h"

#include "cli/output.h"
#include "cli/unifieddiff.h"
#include "engine/inifile.h"

#include <QDir>
#include <QFile>

namespace cli {
namespace {

QString kindName(engine::FailureKind kind)
{
    switch (kind) {
    case engine::FailureKind::Refused:
        return QStringLiteral("refused");
    case engine::FailureKind::InterruptedSave:
        return QStringLiteral("interrupted");
    case engine::FailureKind::FinishedAside:
        return QStringLiteral("finished-aside");
    case engine::FailureKind::HeldOpen:
        return QStringLiteral("held-open");
    case engine::FailureKind::Cancelled:
        return QStringLiteral("cancelled");
    case engine::FailureKind::NothingToSettle:
        return QStringLiteral("nothing-to-settle");
    }
    return QString();
}

// What the tool offers for a failure, in its own options.
QString advice(engine::FailureKind kind)
{
    switch (kind) {
    case engine::FailureKind::InterruptedSave:
        return QStringLiteral("Para pôr de volta o conteúdo de antes: commonserver-cfg restore ARQUIVO; para manter "
                              "o arquivo como está: commonserver-cfg restore --discard ARQUIVO.");
    case engine::FailureKind::FinishedAside:
        return QStringLiteral("Para pôr esse conteúdo no lugar do arquivo: commonserver-cfg restore ARQUIVO; para "
                              "apagá-lo e deixar o arquivo sem existir: commonserver-cfg restore --discard ARQUIVO.");
    case engine::FailureKind::HeldOpen:
        return QStringLiteral("Se esse programa não vai mais gravar o arquivo, grave mesmo assim com --force.");
    default:
        return QString();
    }
}

// Bytes as they are: a diff in the file's own bytes and line endings.
void writeBytes(QTextStream &stream, const QByteArray &bytes)
{
    stream.flush();
    stream.device()->write(bytes);
}

QString quoted(const std::optional<QString> &value, const QString &absent)
{
    return value ? QStringLiteral("\"%1\"").arg(escaped(*value)) : absent;
}

} // namespace

QString jsonOrNull(const std::optional<QString> &value)
{
    return value ? jsonString(*value) : QStringLiteral("null");
}

int report(const engine::Failure &failure, Streams io, bool json)
{
    io.err << failure.description << Qt::endl;
    const QString offered = advice(failure.kind);
    if (!offered.isEmpty())
        io.err << offered << Qt::endl;
    if (json)
        io.out << "{\"failed\": true, \"msg\": " << jsonString(failure.description)
               << ", \"kind\": " << jsonString(kindName(failure.kind)) << ", \"copy\": "
               << jsonOrNull(failure.copy.isEmpty() ? std::nullopt
                                                    : std::optional<QString>(QDir::toNativeSeparators(failure.copy)))
               << '}' << Qt::endl;
    return kExitRefused;
}

int printChanged(const QString &file, const Changed &changed, const ChangeOptions &options, Streams io)
{
    // A UTF-16 file, or one with lone CR line endings, has no lines diff can show.
    const std::optional<QByteArray> diff =
        changed.before.startsWith("\xFF\xFE") || changed.before == changed.after
            ? std::nullopt
            : unifiedDiff(QFile::encodeName(QDir::toNativeSeparators(file)), changed.before, changed.after);
    if (!diff && changed.before != changed.after && options.dryRun)
        io.err << QStringLiteral("As mudanças em \"%1\" não podem ser mostradas como diff: o arquivo está em "
                                 "UTF-16 ou tem linhas terminadas só por CR.")
                      .arg(QDir::toNativeSeparators(file))
               << Qt::endl;
    if (options.json) {
        io.out << "{\n  \"changed\": " << (changed.before == changed.after ? "false" : "true") << ",\n  \"changes\": [";
        for (std::size_t i = 0; i < changed.changes.size(); ++i) {
            const settings::ValueChange &c = changed.changes[i];
            io.out << (i ? ",\n" : "\n") << "    {\"key\": " << jsonString(c.key)
                   << ", \"before\": " << jsonOrNull(c.existed ? std::optional<QString>(c.before) : std::nullopt)
                   << ", \"after\": " << jsonOrNull(c.removed ? std::nullopt : std::optional<QString>(c.after)) << '}';
        }
        io.out << (changed.changes.empty() ? "],\n" : "\n  ],\n") << "  \"backup\": "
               << jsonOrNull(changed.backup.isEmpty() ? std::nullopt
                                                      : std::optional<QString>(QDir::toNativeSeparators(changed.backup)))
               << ",\n  \"diff\": "
               << jsonOrNull(diff ? std::optional<QString>(engine::inifile::decodedAs(changed.before, *diff)) : std::nullopt)
               << ",\n  \"notices\": [";
        for (qsizetype i = 0; i < changed.notices.size(); ++i)
            io.out << (i ? ", " : "") << jsonString(changed.notices.at(i));
        io.out << "]\n}" << Qt::endl;
    } else if (options.dryRun) {
        if (diff)
            writeBytes(io.out, *diff);
    } else {
        for (const settings::ValueChange &c : changed.changes)
            io.out << c.key << ": "
                   << quoted(c.existed ? std::optional<QString>(c.before) : std::nullopt, QStringLiteral("(ausente)"))
                   << " -> " << quoted(c.removed ? std::nullopt : std::optional<QString>(c.after), QStringLiteral("(removida)"))
                   << Qt::endl;
        if (!changed.backup.isEmpty())
            io.out << QStringLiteral("Cópia de segurança: %1").arg(QDir::toNativeSeparators(changed.backup)) << Qt::endl;
    }
    for (const QString &notice : changed.notices)
        io.err << QStringLiteral("Aviso: ") << notice << Qt::endl;
    return changed.before == changed.after ? kExitDone : options.changedExit.value_or(kExitDone);
}

} // namespace cli
