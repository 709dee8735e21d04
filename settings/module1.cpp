#include "module1.h"

#include "catalogue.h"
#include "profile.h"

namespace Module1 {

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue,
                const QString &path)
{
    return profile::readString(section, key, defaultValue, path);
}

QStringList ReadIniKeys(const QString &section, const QStringList &keys, const QString &path)
{
    return profile::readStrings(section, keys, QString(), path);
}

void WriteIni(const QString &key, const QString &text, const QString &path)
{
    WriteIniKeys({{key, text}}, path);
}

void WriteIniKeys(const std::vector<Setting> &settings, const QString &path)
{
    // The game server's own files carry a blank after '='; reading trims it.
    std::vector<profile::KeyValue> values;
    for (const Setting &setting : settings)
        values.push_back({setting.key, QLatin1Char(' ') + setting.text});
    profile::writeStrings(catalogue::kSection, values, path);
}

} // namespace Module1
