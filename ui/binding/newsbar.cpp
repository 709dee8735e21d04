#include "ui/binding/newsbar.h"

#include <QAccessible>
#include <QMouseEvent>

namespace ui::binding {

NewsBar::NewsBar(QWidget *window)
    : QLabel(window)
{
    setObjectName(QStringLiteral("newsBar"));
    setFocusPolicy(Qt::NoFocus);
    setWordWrap(true);
    setMargin(4);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 225)); // the classic tooltip yellow
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAccessibleName(QStringLiteral("Aviso"));
    hide();
}

void NewsBar::tell(const QString &news)
{
    setText(news);
    QWidget *window = parentWidget();
    const int height = heightForWidth(window->width());
    setGeometry(0, window->height() - height, window->width(), height);
    raise();
    show();
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void NewsBar::mousePressEvent(QMouseEvent *event)
{
    hide();
    event->accept();
}

} // namespace ui::binding
