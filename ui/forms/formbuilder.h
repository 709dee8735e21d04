#pragma once

#include "formdata/table.h"

#include <QWidget>

#include <cstddef>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QIcon;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

// Makes a window's controls and menu from its tables, so that a window class
// holds only its handlers.
namespace ui::forms {

class LinkLabel;

// The widget the builder makes for each kind of control.
template <formdata::ControlKind Kind>
struct WidgetOf;
template <>
struct WidgetOf<formdata::ControlKind::Label> { using Type = QLabel; };
template <>
struct WidgetOf<formdata::ControlKind::Link> { using Type = LinkLabel; };
template <>
struct WidgetOf<formdata::ControlKind::TextBox> { using Type = QLineEdit; };
template <>
struct WidgetOf<formdata::ControlKind::CheckBox> { using Type = QCheckBox; };
template <>
struct WidgetOf<formdata::ControlKind::Button> { using Type = QPushButton; };
template <>
struct WidgetOf<formdata::ControlKind::Picture> { using Type = QLabel; };
template <>
struct WidgetOf<formdata::ControlKind::Line> { using Type = QFrame; };

// What the builder made, one widget per table row, reached by typed handles.
class Controls
{
public:
    Controls() = default;
    explicit Controls(std::vector<QWidget *> widgets)
        : m_widgets(std::move(widgets))
    {
    }
    template <formdata::ControlKind Kind>
    typename WidgetOf<Kind>::Type *operator[](formdata::Ref<Kind> ref) const
    {
        return static_cast<typename WidgetOf<Kind>::Type *>(m_widgets.at(ref.row));
    }
    QWidget *at(std::size_t row) const { return m_widgets.at(row); }

private:
    std::vector<QWidget *> m_widgets;
};

// The menu's actions, one per item.
class Actions
{
public:
    Actions() = default;
    explicit Actions(std::vector<QAction *> actions)
        : m_actions(std::move(actions))
    {
    }
    QAction *operator[](formdata::MenuRef ref) const { return m_actions.at(ref.row); }

private:
    std::vector<QAction *> m_actions;
};

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
