#include "ui/forms/linklabel.h"

#include "ui/forms/accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace ui::forms {
namespace {

// The classic link colours: black at rest, pure blue when lit.
const QColor kIdle(0, 0, 0);
const QColor kLit(0, 0, 255);

} // namespace

LinkLabel::LinkLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setWordWrap(false);
    setFocusPolicy(Qt::StrongFocus); // reached with Tab like a button
    // Moves over the link reach it (and stop there) even with no button down.
    setMouseTracking(true);
    installAccessibleRoles();
}

void LinkLabel::setLit(bool lit)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, lit ? kLit : kIdle);
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(lit);
    setFont(underlined);
}

void LinkLabel::activate()
{
    emit activated();
}

void LinkLabel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit hovered();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        activate();
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    // Tab shows where the keyboard is, as the mouse does; not when the window
    // opens, so that links start unlit.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        emit hovered();
}

void LinkLabel::focusOutEvent(QFocusEvent *event)
{
    QLabel::focusOutEvent(event);
    setLit(false);
}

} // namespace ui::forms
