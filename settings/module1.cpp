#include "module1.h"

#include "catalogue.h"
#include "profile.h"

namespace Module1 {

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue,
                const QString &path)
{
    return profile::readString(section, key, defaultValue, path);
}

void WriteIni(const QString &key, const QString &text, const QString &path)
{
    // The game server's own files carry a blank after '='; reading trims it.
    profile::writeString(catalogue::kSection, key, QLatin1Char(' ') + text, path);
}

} // namespace Module1
