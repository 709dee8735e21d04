#pragma once

#include <QString>

// Asks the desktop to open a web address in the user's browser. Like the
// system shell call it stands in for, the outcome is not looked at.
void openInBrowser(const QString &address);
