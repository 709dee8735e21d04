#pragma once

#include "formdata/table.h"

#include <QWidget>

#include <cstddef>
#include <vector>

class QAction;
class QIcon;
class QMenuBar;

// Makes a window's controls and menu from its tables, so that a window class
// holds only its handlers.
namespace ui::forms {

// What the builder made, one object per table row, reached by typed handles.
template <typename Object>
class Built
{
public:
    Built() = default;
    explicit Built(std::vector<Object *> objects)
        : m_objects(std::move(objects))
    {
    }
    template <typename T>
    T *operator[](formdata::Ref<T> ref) const
    {
        return static_cast<T *>(m_objects.at(ref.row));
    }
    Object *at(std::size_t row) const { return m_objects.at(row); }

private:
    std::vector<Object *> m_objects;
};

using Controls = Built<QWidget>;
using Actions = Built<QAction>;

int pixels(int twips);

// Creates the window's controls on `client` in table order, names them,
// places, styles and orders them for the keyboard, names each field by its
// label for screen readers, and fixes the client area's size.
Controls buildControls(QWidget *client, const formdata::Window &window);

Actions buildMenu(QMenuBar *bar, std::span<const formdata::MenuItem> items);

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
