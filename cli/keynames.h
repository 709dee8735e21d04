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

} // namespace cli
