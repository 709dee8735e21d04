#pragma once

#include <QString>

// Asks the desktop to open a web address in the user's browser. Throws a
// Failure showing the address, for the user to copy, when nothing can open it
// (no browser installed).
namespace desktop {

void openInBrowser(const QString &address);

} // namespace desktop
