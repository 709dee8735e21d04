#pragma once

#include <QPointer>
#include <QWidget>

namespace ui::forms {

// Shows the one window a guarded pointer holds, creating it first when it
// does not exist (it destroys itself on close), and brings it forward.
template <typename Window, typename Create>
Window *showSingle(QPointer<Window> &window, Create create)
{
    if (!window) {
        window = create();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace ui::forms
