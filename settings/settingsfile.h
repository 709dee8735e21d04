#pragma once

#include "platform/inifile.h"
#include "settings/keys.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace settings {

// The settings file at one path, section "GameServerInfo": how every window
// reads its keys and writes the user's changes. Nothing is cached; each call
// goes to the file.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    // One value per key, blanks around it removed; empty when the file, the
    // section or the key is missing (fileExists tells which). Throws Failure
    // when the path names something that cannot be read, or a file this
    // program refuses to edit.
    inifile::ReadOutcome read(const std::vector<const Key *> &keys) const;

    // Writes every change as one blank followed by its text, in the given
    // order, as one transaction: all of them, or nothing when any is refused
    // or the file cannot be written (Failure).
    inifile::WriteOutcome write(const std::vector<inifile::KeyValue> &changes,
                                const inifile::WriteOptions &options = {}) const;

private:
    QString m_path;
};

} // namespace settings
