#pragma once

#include <QLabel>

namespace ui::forms {

// A label that stands for a web page: on one line and as wide as its text,
// reached with Tab, lit (blue and underlined) or not, and opened by a click,
// Enter or Space, or a screen reader's press action. Where it leads is the
// window's business: it only says when it is hovered and when it is opened.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    LinkLabel(const QString &text, QWidget *parent);

    void setLit(bool lit);

    // Opens the link, as a click does.
    void activate();

signals:
    void hovered(); // the mouse moved over it, or Tab reached it
    void activated();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace ui::forms
