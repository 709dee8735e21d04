#pragma once

#include "engine/inifile.h"

#include <QString>

#include <vector>

namespace cli {

// The keys a preset file sets, in the order it gives them, with their values
// as written (the spaces and tabs around them removed, nothing else). A
// preset is a settings file of its own: a "[GameServerInfo]" section holding
// some of the game server's keys, with comments and blank lines. Anything
// else (another section, a key the program does not edit unless `anyKey`, a
// key twice, a line that is no key) is refused with a Failure naming the
// line; so is a file that cannot be read. `name` names it in reports.
std::vector<engine::inifile::KeyValue> presetIn(const QByteArray &bytes, const QString &name, bool anyKey = false);

// The same for the preset file at `path`.
std::vector<engine::inifile::KeyValue> readPreset(const QString &path, bool anyKey = false);

} // namespace cli
