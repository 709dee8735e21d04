#pragma once

#include <QString>

class QApplication;

namespace desktop {

// What the whole program shares, set before its first window: Qt's own texts
// (the file dialog, message box buttons, text box menus) in Brazilian
// Portuguese like the windows, whatever the system's language; the windows'
// fonts and style, chosen rather than left to the machine; and the desktop
// file name, by which Wayland sessions find the program's icon.
void setUpApplication(QApplication &app, const QString &desktopFileName);

} // namespace desktop
