// The commands that change the file: set, apply, unset, restore --from.
// Each changes it as one locked update, or with --dry-run shows what would
// change; --validate runs the administrator's check on the new content first.

#include "cli/commands.h"

#include "cli/keynames.h"
#include "cli/preset.h"
#include "cli/report.h"
#include "cli/validation.h"
#include "engine/failure.h"
#include "engine/inifile.h"
#include "settings/flags.h"
#include "settings/keys.h"
#include "settings/settingsfile.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace cli {
namespace {

[[noreturn]] void noFile(const QString &file)
{
    throw engine::Failure{engine::FailureNumber::FileAccess,
                          QStringLiteral("O arquivo \"%1\" não existe. Nada foi lido nem gravado.")
                              .arg(QDir::toNativeSeparators(file))};
}

// The tool never makes a settings file: a path that names none is a mistake.
// A path the system refuses to look at (a folder the user may not enter, a
// name too long) is not called missing: the engine's read reports its reason.
void requireFile(const QString &file)
{
    if (!QFileInfo::exists(file) && !engine::inifile::readFile(file))
        noFile(file);
}

engine::inifile::WriteOptions writeOptions(const QString &file, const ChangeOptions &options)
{
    engine::inifile::WriteOptions write;
    write.mustExist = true;
    write.backup = options.backup;
    write.keepBackups = options.keepBackups;
    write.force = options.force;
    if (!options.validate.isEmpty())
        write.beforeReplace = [command = options.validate, file](const std::optional<QByteArray> &, const QByteArray &after) {
            validate(command, after, file);
        };
    return write;
}

Changed changedBy(const settings::Written &written)
{
    return {written.changes, written.backup, written.notices, written.before, written.after};
}

Changed foreseen(const QString &file, const settings::Preview &preview, const ChangeOptions &options)
{
    if (!options.validate.isEmpty() && preview.after != preview.before)
        validate(options.validate, preview.after, file);
    return {preview.changes, QString(), QStringList(), preview.before, preview.after};
}

// The values given, as a document of their own: a box for each key, which
// the file never filled, so that a save writes those that differ from what
// the file holds as it reads it, by the windows' own rule.
settings::Document documentOf(const std::vector<engine::inifile::KeyValue> &wanted)
{
    std::vector<settings::Document::Field> fields;
    for (const engine::inifile::KeyValue &pair : wanted) {
        const settings::Key *key = keyNamed(pair.key);
        fields.push_back({pair.key, key ? key->kind : settings::ValueKind::Text, int(fields.size())});
    }
    settings::Document document(fields);
    for (std::size_t box = 0; box < wanted.size(); ++box) {
        const QString &value = wanted[box].value;
        document.type(int(box), fields[box].kind == settings::ValueKind::Flag
                                    ? settings::flags::fromInput(value, wanted[box].key)
                                    : value);
    }
    return document;
}

int change(const QString &file, const std::vector<engine::inifile::KeyValue> &wanted, const ChangeOptions &options,
           const engine::filebytes::Patience &patience, Streams io)
{
    try {
        const settings::Document document = documentOf(wanted);
        requireFile(file);
        const settings::SettingsFile settingsFile(file, patience);
        const Changed changed = options.dryRun ? foreseen(file, settingsFile.preview(document), options)
                                               : changedBy(settingsFile.save(document, writeOptions(file, options)));
        return printChanged(file, changed, options, io);
    } catch (const engine::Failure &failure) {
        return report(failure, io, options.json);
    }
}

} // namespace

int set(const QString &file, const QStringList &assignments, const ChangeOptions &options,
        const engine::filebytes::Patience &patience, Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError{QStringLiteral("\"%1\" não é CHAVE=VALOR.").arg(assignment)};
        const QString key = keyToUse(engine::inifile::withoutBlanks(assignment.left(equals)), options.anyKey);
        for (const engine::inifile::KeyValue &earlier : wanted) {
            if (engine::inifile::sameName(earlier.key, key))
                throw UsageError{QStringLiteral("A chave \"%1\" aparece duas vezes.").arg(key)};
        }
        // Read back, a value has no spaces or tabs around it: without them the
        // same value twice changes nothing the second time.
        wanted.push_back({key, engine::inifile::withoutBlanks(assignment.mid(equals + 1))});
    }
    return change(file, wanted, options, patience, io);
}

int apply(const QString &file, const QString &preset, const ChangeOptions &options,
          const engine::filebytes::Patience &patience, Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    try {
        if (preset == QLatin1String("-")) {
            const QByteArray bytes = io.in ? io.in->readAll() : QByteArray();
            wanted = presetIn(bytes, QStringLiteral("da entrada padrão"), options.anyKey);
        } else {
            wanted = readPreset(preset, options.anyKey);
        }
    } catch (const engine::Failure &failure) {
        return report(failure, io, options.json);
    }
    return change(file, wanted, options, patience, io);
}

int unset(const QString &file, const QStringList &names, const ChangeOptions &options,
          const engine::filebytes::Patience &patience, Streams io)
{
    QStringList keys;
    for (const QString &name : names)
        keys << keyToUse(name, options.anyKey);
    try {
        requireFile(file);
        const settings::SettingsFile settingsFile(file, patience);
        const Changed changed = options.dryRun ? foreseen(file, settingsFile.previewRemoval(keys), options)
                                               : changedBy(settingsFile.remove(keys, writeOptions(file, options)));
        return printChanged(file, changed, options, io);
    } catch (const engine::Failure &failure) {
        return report(failure, io, options.json);
    }
}

int restoreBackup(const QString &file, const QString &backup, const ChangeOptions &options,
                  const engine::filebytes::Patience &patience, Streams io)
{
    try {
        requireFile(file);
        const std::optional<QByteArray> kept = engine::inifile::readFile(backup, patience);
        if (!kept)
            noFile(backup);
        ChangeOptions keeping = options; // what it replaces is kept, always
        keeping.backup = true;
        Changed changed;
        if (options.dryRun) {
            changed.before = engine::inifile::readFile(file, patience).value_or(QByteArray());
            changed.after = *kept;
            foreseen(file, {changed.before, changed.after, {}, {}}, options);
        } else {
            const engine::filebytes::Outcome outcome = engine::filebytes::update(
                file, [&](const std::optional<QByteArray> &now) { return now == *kept ? std::nullopt : kept; },
                writeOptions(file, keeping));
            changed.before = outcome.before.value_or(QByteArray());
            changed.after = outcome.written ? outcome.after : changed.before;
            changed.backup = outcome.backup;
            changed.notices = outcome.notices;
        }
        if (!options.json && !options.dryRun && changed.before != changed.after)
            io.out << QStringLiteral("O conteúdo de \"%1\" foi posto no arquivo \"%2\".")
                          .arg(QDir::toNativeSeparators(backup), QDir::toNativeSeparators(file))
                   << Qt::endl;
        return printChanged(file, changed, options, io);
    } catch (const engine::Failure &failure) {
        return report(failure, io, options.json);
    }
}

} // namespace cli
