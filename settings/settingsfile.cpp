#include "settings/settingsfile.h"

namespace settings {
namespace {

// The value as the game server's files hold it: one blank before the text.
engine::inifile::KeyValue stored(const QString &key, const QString &text)
{
    return {key, QLatin1Char(' ') + text};
}

std::vector<engine::inifile::KeyValue> storedChanges(const std::vector<ValueChange> &changes)
{
    std::vector<engine::inifile::KeyValue> values;
    for (const ValueChange &change : changes)
        values.push_back(stored(change.key, change.after));
    return values;
}

} // namespace

std::vector<ValueChange> differingIn(const QByteArray &file, const std::vector<engine::inifile::KeyValue> &wanted)
{
    QStringList keys;
    for (const engine::inifile::KeyValue &pair : wanted)
        keys << pair.key;
    const std::vector<std::optional<QString>> current = engine::inifile::lookup(file, kSection, keys);
    std::vector<ValueChange> changes;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        // A missing key differs from an empty one: setting it empty adds it.
        const QString before = current[i].value_or(QString());
        if (before != engine::inifile::withoutBlanks(wanted[i].value) || !current[i])
            changes.push_back({wanted[i].key, before, wanted[i].value, current[i].has_value()});
    }
    return changes;
}

QStringList valuesIn(const QByteArray &file, const std::vector<const Key *> &keys)
{
    QStringList names;
    for (const Key *key : keys)
        names << QLatin1String(key->name);
    return engine::inifile::valuesIn(file, kSection, names);
}

SettingsFile::SettingsFile(QString path, engine::filebytes::Patience patience)
    : m_path(std::move(path))
    , m_patience(std::move(patience))
{
}

engine::inifile::WriteOptions SettingsFile::withPatience(engine::inifile::WriteOptions options) const
{
    options.patience = m_patience;
    return options;
}

engine::inifile::ReadOutcome SettingsFile::read(const std::vector<const Key *> &keys) const
{
    QStringList names;
    for (const Key *key : keys)
        names << QLatin1String(key->name);
    return engine::inifile::read(m_path, kSection, names, QString(), m_patience);
}

engine::inifile::WriteOutcome SettingsFile::write(const std::vector<engine::inifile::KeyValue> &changes,
                                          const engine::inifile::WriteOptions &options) const
{
    // The game server's own files carry a blank after '='; reading trims it.
    std::vector<engine::inifile::KeyValue> values;
    for (const engine::inifile::KeyValue &change : changes)
        values.push_back(stored(change.key, change.value));
    return engine::inifile::write(m_path, kSection, values, withPatience(options));
}

engine::inifile::WriteOutcome SettingsFile::writeChosen(const Choice &choose, const engine::inifile::WriteOptions &options) const
{
    return engine::inifile::write(
        m_path, kSection,
        [&](const QByteArray &file) {
            std::vector<engine::inifile::KeyValue> values;
            for (const engine::inifile::KeyValue &chosen : choose(file))
                values.push_back(stored(chosen.key, chosen.value));
            return values;
        },
        withPatience(options));
}

Written SettingsFile::writeDiffering(const std::vector<engine::inifile::KeyValue> &wanted,
                                     const engine::inifile::WriteOptions &options) const
{
    Written written;
    const engine::inifile::WriteOutcome outcome = writeChosen(
        [&](const QByteArray &file) {
            written.changes = differingIn(file, wanted);
            std::vector<engine::inifile::KeyValue> texts;
            for (const ValueChange &change : written.changes)
                texts.push_back({change.key, change.after});
            return texts;
        },
        options);
    written.backup = outcome.backup;
    written.notices = outcome.notices;
    written.before = outcome.before.value_or(QByteArray());
    written.after = outcome.written ? outcome.after : written.before;
    return written;
}

Preview SettingsFile::preview(const std::vector<engine::inifile::KeyValue> &wanted) const
{
    Preview preview;
    preview.before = engine::inifile::readFile(m_path, m_patience).value_or(QByteArray());
    preview.changes = differingIn(preview.before, wanted);
    preview.after =
        engine::inifile::withValues(preview.before, kSection, storedChanges(preview.changes)).value_or(preview.before);
    return preview;
}

namespace {

// The keys a removal takes away: those the file holds, with their values.
std::vector<ValueChange> removedFrom(const QByteArray &file, const QStringList &keys)
{
    const std::vector<std::optional<QString>> current = engine::inifile::lookup(file, kSection, keys);
    std::vector<ValueChange> changes;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (current[i])
            changes.push_back({keys[qsizetype(i)], *current[i], QString(), true, true});
    }
    return changes;
}

} // namespace

Written SettingsFile::remove(const QStringList &keys, const engine::inifile::WriteOptions &options) const
{
    Written written;
    engine::inifile::WriteOptions removal = withPatience(options);
    const auto chooser = removal.beforeReplace;
    removal.beforeReplace = [&](const std::optional<QByteArray> &before, const QByteArray &after) {
        written.changes = removedFrom(before.value_or(QByteArray()), keys);
        if (chooser)
            chooser(before, after);
    };
    const engine::inifile::WriteOutcome outcome = engine::inifile::remove(m_path, kSection, keys, removal);
    written.backup = outcome.backup;
    written.notices = outcome.notices;
    written.before = outcome.before.value_or(QByteArray());
    written.after = outcome.written ? outcome.after : written.before;
    if (!outcome.written)
        written.changes.clear();
    return written;
}

Preview SettingsFile::previewRemoval(const QStringList &keys) const
{
    Preview preview;
    preview.before = engine::inifile::readFile(m_path, m_patience).value_or(QByteArray());
    preview.changes = removedFrom(preview.before, keys);
    preview.after = engine::inifile::withoutKeys(preview.before, kSection, keys).value_or(preview.before);
    return preview;
}

} // namespace settings
