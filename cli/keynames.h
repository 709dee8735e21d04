#pragma once

#include "settings/keys.h"

#include <QStringList>
#include <QStringView>

// The game server's keys by the names a user types: matched without regard to
// case, as the file matches them.
namespace cli {

// The key of that name; nullptr when the program edits none.
const settings::Key *keyNamed(QStringView name);

// The known names nearest to a name that is none of them, nearest first: at
// most three, and only ones near enough to be what was meant.
QStringList nearestKeys(QStringView name);

// The key's name as the editor writes it; with `anyKey`, a name it does not
// know as typed (the engine refuses names a file cannot hold). Throws a
// UsageError naming the nearest keys for a name it does not know.
QString keyToUse(const QString &name, bool anyKey);

} // namespace cli
