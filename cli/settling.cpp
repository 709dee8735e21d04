// The commands about copies of the file: restore, which settles an
// interrupted save, and backups, which lists the copies --backup kept.

#include "cli/commands.h"

#include "cli/output.h"
#include "cli/report.h"
#include "cli/unifieddiff.h"
#include "engine/failure.h"
#include "engine/inifile.h"

#include <QDir>
#include <QFile>

namespace cli {

int restore(const QString &file, engine::filebytes::Resolution resolution, const SettleOptions &options,
            const engine::filebytes::Patience &patience, Streams io)
{
    const bool keep = resolution == engine::filebytes::Resolution::Keep;
    try {
        const engine::filebytes::Settlement settled =
            engine::filebytes::resolveInterrupted(file, resolution, patience, options.dryRun);
        const bool aside = settled.kind == engine::FailureKind::FinishedAside;
        if (options.json) {
            const QByteArray before = settled.before.value_or(QByteArray());
            const QByteArray after = settled.after.value_or(QByteArray());
            const std::optional<QByteArray> diff =
                before == after || before.startsWith("\xFF\xFE")
                    ? std::nullopt
                    : unifiedDiff(QFile::encodeName(QDir::toNativeSeparators(file)), before, after);
            io.out << "{\"changed\": true, \"copy\": " << jsonString(QDir::toNativeSeparators(settled.copy))
                   << ", \"diff\": "
                   << jsonOrNull(diff ? std::optional<QString>(engine::inifile::decodedAs(before.isEmpty() ? after : before, *diff))
                                      : std::nullopt)
                   << '}' << Qt::endl;
            return kExitDone;
        }
        const QString native = QDir::toNativeSeparators(file);
        QString said;
        if (aside && keep)
            said = options.dryRun ? QStringLiteral("O conteúdo que ficou ao lado de \"%1\" seria apagado; o arquivo continuaria sem existir.")
                                  : QStringLiteral("O conteúdo que ficou ao lado de \"%1\" foi apagado; o arquivo continua sem existir.");
        else if (aside)
            said = options.dryRun ? QStringLiteral("O arquivo \"%1\" seria restaurado com o conteúdo que ficou ao lado dele.")
                                  : QStringLiteral("O arquivo \"%1\" foi restaurado com o conteúdo que ficou ao lado dele.");
        else if (keep)
            said = options.dryRun ? QStringLiteral("O arquivo \"%1\" ficaria como está, e a cópia do conteúdo anterior seria apagada.")
                                  : QStringLiteral("O arquivo \"%1\" ficou como está; a cópia do conteúdo anterior foi apagada.");
        else
            said = options.dryRun ? QStringLiteral("O arquivo \"%1\" seria restaurado com o conteúdo anterior.")
                                  : QStringLiteral("O arquivo \"%1\" foi restaurado com o conteúdo anterior.");
        io.out << said.arg(native) << Qt::endl;
        return kExitDone;
    } catch (const engine::Failure &failure) {
        // Nothing to settle is no failure to a module that settles when needed.
        if (options.json && failure.kind == engine::FailureKind::NothingToSettle) {
            io.out << "{\"changed\": false, \"copy\": null, \"diff\": null, \"msg\": " << jsonString(failure.description)
                   << '}' << Qt::endl;
            return kExitDone;
        }
        return report(failure, io, options.json);
    }
}

int listBackups(const QString &file, bool json, const QString &diff, Streams io)
{
    try {
        const std::vector<engine::filebytes::Backup> backups = engine::filebytes::backupsOf(file);
        if (!diff.isEmpty()) {
            const std::optional<QByteArray> now = engine::inifile::readFile(file);
            const std::optional<QByteArray> kept = engine::inifile::readFile(diff);
            if (!kept)
                throw engine::Failure{engine::FailureNumber::FileAccess,
                                      QStringLiteral("A cópia \"%1\" não existe.").arg(QDir::toNativeSeparators(diff))};
            // What putting it back would change in the file.
            const std::optional<QByteArray> shown =
                unifiedDiff(QFile::encodeName(QDir::toNativeSeparators(file)), now.value_or(QByteArray()), *kept);
            io.out.flush();
            if (shown)
                io.out.device()->write(*shown);
            return kExitDone;
        }
        if (json) {
            io.out << '[';
            for (std::size_t i = 0; i < backups.size(); ++i)
                io.out << (i ? ",\n " : "\n ") << "{\"path\": " << jsonString(backups[i].path)
                       << ", \"time\": " << jsonString(backups[i].made.toString(Qt::ISODate))
                       << ", \"size\": " << backups[i].size << '}';
            io.out << (backups.empty() ? "]" : "\n]") << Qt::endl;
            return kExitDone;
        }
        for (const engine::filebytes::Backup &backup : backups)
            io.out << backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
                   << QString::number(backup.size).rightJustified(10) << "  " << escaped(backup.path) << Qt::endl;
        return kExitDone;
    } catch (const engine::Failure &failure) {
        return report(failure, io, json);
    }
}

} // namespace cli
