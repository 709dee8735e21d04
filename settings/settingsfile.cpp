#include "settings/settingsfile.h"

namespace settings {

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

inifile::ReadOutcome SettingsFile::read(const std::vector<const Key *> &keys) const
{
    QStringList names;
    for (const Key *key : keys)
        names << QLatin1String(key->name);
    return inifile::read(m_path, kSection, names);
}

inifile::WriteOutcome SettingsFile::write(const std::vector<inifile::KeyValue> &changes,
                                          const inifile::WriteOptions &options) const
{
    // The game server's own files carry a blank after '='; reading trims it.
    std::vector<inifile::KeyValue> values;
    for (const inifile::KeyValue &change : changes)
        values.push_back({change.key, QLatin1Char(' ') + change.value});
    return inifile::write(m_path, kSection, values, options);
}

} // namespace settings
