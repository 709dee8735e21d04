#include "settings/settingsfile.h"

namespace settings {
namespace {

// The value as the game server's files hold it: one blank before the text.
inifile::KeyValue stored(const QString &key, const QString &text)
{
    return {key, QLatin1Char(' ') + text};
}

std::vector<inifile::KeyValue> storedChanges(const std::vector<ValueChange> &changes)
{
    std::vector<inifile::KeyValue> values;
    for (const ValueChange &change : changes)
        values.push_back(stored(change.key, change.after));
    return values;
}

} // namespace

std::vector<ValueChange> differingIn(const QByteArray &file, const std::vector<inifile::KeyValue> &wanted)
{
    QStringList keys;
    for (const inifile::KeyValue &pair : wanted)
        keys << pair.key;
    const QStringList current = inifile::valuesIn(file, kSection, keys);
    std::vector<ValueChange> changes;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (current[qsizetype(i)] != wanted[i].value.trimmed())
            changes.push_back({wanted[i].key, current[qsizetype(i)], wanted[i].value});
    }
    return changes;
}

QStringList valuesIn(const QByteArray &file, const std::vector<const Key *> &keys)
{
    QStringList names;
    for (const Key *key : keys)
        names << QLatin1String(key->name);
    return inifile::valuesIn(file, kSection, names);
}

SettingsFile::SettingsFile(QString path, filebytes::Patience patience)
    : m_path(std::move(path))
    , m_patience(std::move(patience))
{
}

inifile::WriteOptions SettingsFile::withPatience(inifile::WriteOptions options) const
{
    options.patience = m_patience;
    return options;
}

inifile::ReadOutcome SettingsFile::read(const std::vector<const Key *> &keys) const
{
    QStringList names;
    for (const Key *key : keys)
        names << QLatin1String(key->name);
    return inifile::read(m_path, kSection, names, QString(), m_patience);
}

inifile::WriteOutcome SettingsFile::write(const std::vector<inifile::KeyValue> &changes,
                                          const inifile::WriteOptions &options) const
{
    // The game server's own files carry a blank after '='; reading trims it.
    std::vector<inifile::KeyValue> values;
    for (const inifile::KeyValue &change : changes)
        values.push_back(stored(change.key, change.value));
    return inifile::write(m_path, kSection, values, withPatience(options));
}

inifile::WriteOutcome SettingsFile::writeChosen(const Choice &choose, const inifile::WriteOptions &options) const
{
    return inifile::write(
        m_path, kSection,
        [&](const QByteArray &file) {
            std::vector<inifile::KeyValue> values;
            for (const inifile::KeyValue &chosen : choose(file))
                values.push_back(stored(chosen.key, chosen.value));
            return values;
        },
        withPatience(options));
}

Written SettingsFile::writeDiffering(const std::vector<inifile::KeyValue> &wanted,
                                     const inifile::WriteOptions &options) const
{
    Written written;
    written.backup = writeChosen(
                         [&](const QByteArray &file) {
                             written.changes = differingIn(file, wanted);
                             std::vector<inifile::KeyValue> texts;
                             for (const ValueChange &change : written.changes)
                                 texts.push_back({change.key, change.after});
                             return texts;
                         },
                         options)
                         .backup;
    return written;
}

Preview SettingsFile::preview(const std::vector<inifile::KeyValue> &wanted) const
{
    Preview preview;
    preview.before = inifile::readFile(m_path, m_patience).value_or(QByteArray());
    preview.changes = differingIn(preview.before, wanted);
    preview.after =
        inifile::withValues(preview.before, kSection, storedChanges(preview.changes)).value_or(preview.before);
    return preview;
}

} // namespace settings
