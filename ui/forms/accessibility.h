#pragma once

class QWidget;

namespace ui::forms {

// Gives links the link role with a press action that opens them. Called by
// every link; installing twice does nothing.
void installAccessibleRoles();

// Screen readers announce the window as a window, whatever widget class it
// is built on (a plain widget would be announced as a filler).
void announceAsWindow(QWidget *window);

} // namespace ui::forms
