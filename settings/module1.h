#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The operations through which every window reads and writes the settings
// file. None caches anything: each call goes to the file.
namespace Module1 {

// The value of the key in the section, blanks around it removed; the default
// when the file, the section or the key is missing. Throws Failure when the
// path names something that cannot be read.
QString ReadIni(const QString &section, const QString &key, const QString &defaultValue,
                const QString &path);

// The same for several keys in one read of the file, one value per key.
QStringList ReadIniKeys(const QString &section, const QStringList &keys, const QString &path);

// Writes the key of section "GameServerInfo" as one blank followed by the
// text. Throws Failure when the file cannot be written or cannot hold the
// text; the file is then unchanged.
void WriteIni(const QString &key, const QString &text, const QString &path);

struct Setting
{
    QString key;
    QString text;
};

// Writes every setting like WriteIni, in the given order, as one transaction:
// all of them, or nothing when any is refused or the file cannot be written.
void WriteIniKeys(const std::vector<Setting> &settings, const QString &path);

} // namespace Module1
