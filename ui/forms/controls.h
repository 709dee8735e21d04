#pragma once

#include "formdata/table.h"

#include <QWidget>

#include <cstddef>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Makes a window's controls from its table, so that a window class holds
// only its handlers: the widget of each kind, placed (twips to pixels),
// styled in the windows' fonts and colours, ordered for the keyboard and
// named for screen readers.
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

int pixels(int twips);

// Creates the window's controls on `client` in table order, names them,
// places, styles and orders them for the keyboard, names each field by its
// label for screen readers, and fixes the client area's size.
Controls buildControls(QWidget *client, const formdata::Window &window);

} // namespace ui::forms
