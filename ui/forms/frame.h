#pragma once

#include <QString>

class QIcon;
class QWidget;

// A top-level window's frame: caption, icon, border, taskbar entry.
namespace ui::forms {

// The program's icon, in every size it is drawn in.
QIcon programIcon();

// Gives a top-level window its caption, the program's icon and a fixed border
// with a close box but no minimise or maximise button. An owned window has no
// taskbar entry. Screen readers announce it as a window. A window with boxes
// to edit shows Qt's modification mark after its caption while it has
// unsaved edits.
enum class Edits { None, Marked };
void fixWindow(QWidget *window, const QString &caption, Edits edits = Edits::None);

} // namespace ui::forms
