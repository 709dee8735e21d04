#include "ui/forms/frame.h"
#include "ui/info/creditswindow.h"

#include "formdata/creditstable.h"
#include "desktop/browser.h"
#include "ui/forms/linklabel.h"
#include "ui/binding/reporting.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace ui {

CreditsWindow::CreditsWindow(QWidget *owner)
    : QWidget(owner)
{
    m_controls = forms::buildControls(this, formdata::credits::kWindow);
    forms::fixWindow(this, QString::fromUtf8(formdata::credits::kWindow.caption));

    // A link lights up when the mouse moves over it and stays lit until the
    // mouse moves over the bare background; a click opens its page, and the
    // window stays open.
    for (const formdata::credits::Link &link : formdata::credits::kLinks) {
        forms::LinkLabel *label = m_controls[link.label];
        const QString address = QString::fromUtf8(link.address);
        connect(label, &forms::LinkLabel::hovered, label, [label] { label->setLit(true); });
        connect(label, &forms::LinkLabel::activated, this,
                [address] { binding::runReported([&address] { desktop::openInBrowser(address); }); });
        label->setAccessibleDescription(QStringLiteral("Link: abre %1 no navegador").arg(address));
    }
    // Only moves over the bare background reach the window: the other labels
    // do not track the mouse, and a link keeps its moves to itself.
    setMouseTracking(true);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen).topLeft());
}

void CreditsWindow::mouseMoveEvent(QMouseEvent *)
{
    clearLinks();
}

void CreditsWindow::clearLinks()
{
    for (const formdata::credits::Link &link : formdata::credits::kLinks)
        m_controls[link.label]->setLit(false);
}

} // namespace ui
