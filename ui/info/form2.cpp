#include "form2.h"

#include "formbuilder.h"
#include "handlers.h"
#include "identity.h"
#include "shell.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>

namespace {

using forms::Kind;
using forms::Style;

const forms::Control kControls[] = {
    {Kind::Label, "Label1", "Equipe Vardok", 600, 120, 1815, 375, 0, Style::RedTitle},
    {Kind::Label, "Label2", "Programa Criado Por", 120, 720, 1455, 255, 1},
    {Kind::Label, "Label4", identity::kAuthorName, 1680, 720, 1215, 255, 3, Style::BlueBold},
    {Kind::Label, "Label3", "Visite:", 120, 1200, 615, 255, 2, Style::Bold},
    {Kind::Label, "Label5", "Equip-Vardok", 120, 1560, 975, 195, 4, Style::Link},
    {Kind::Label, "Label6", identity::kProgrammingCommunityName, 120, 1920, 990, 195, 5, Style::Link},
    {Kind::Label, "Label7", identity::kGameServerCommunityName, 120, 2280, 690, 195, 6, Style::Link},
};
constexpr int kClientWidth = 3255;
constexpr int kClientHeight = 2670;

// Link colours, given as the classic blue-green-red values 0 and FF0000.
const QColor kLinkIdle(0, 0, 0);
const QColor kLinkLit(0, 0, 255);

void light(QLabel *link, const QColor &colour, bool underline)
{
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, colour);
    link->setPalette(palette);
    QFont font = link->font();
    font.setUnderline(underline);
    link->setFont(font);
}

} // namespace

Form2::Form2(QWidget *owner)
    : QWidget(owner)
{
    forms::buildControls(this, kControls, kClientWidth, kClientHeight);
    forms::fixWindow(this, QStringLiteral("Creditos"));
    Label5 = forms::child<QLabel>(this, "Label5");
    Label6 = forms::child<QLabel>(this, "Label6");
    Label7 = forms::child<QLabel>(this, "Label7");

    // Moves over the background clear the links. A move over a label that
    // does not track the mouse stops at that label, so only the bare
    // background reaches mouseMoveEvent.
    setMouseTracking(true);
    const std::pair<QLabel *, const char *> links[] = {{Label5, identity::kMakersAddress},
                                                       {Label6, identity::kProgrammingCommunityAddress},
                                                       {Label7, identity::kGameServerCommunityAddress}};
    for (const auto &[link, address] : links) {
        link->setMouseTracking(true);
        link->installEventFilter(this);
        link->setAccessibleDescription(QStringLiteral("Link: abre %1 no navegador").arg(QString::fromUtf8(address)));
    }

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen).topLeft());
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    const auto handlers = {
        std::make_tuple(Label5, &Form2::Label5_MouseMove, &Form2::Label5_Click),
        std::make_tuple(Label6, &Form2::Label6_MouseMove, &Form2::Label6_Click),
        std::make_tuple(Label7, &Form2::Label7_MouseMove, &Form2::Label7_Click),
    };
    for (const auto &[link, mouseMove, click] : handlers) {
        if (watched != link)
            continue;
        if (event->type() == QEvent::MouseMove) {
            (this->*mouseMove)();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && link->rect().contains(mouse->position().toPoint()))
                (this->*click)();
            return true;
        }
        // From the keyboard: Tab lights the link as the mouse does, Enter or
        // Space opens it.
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                (this->*click)();
                return true;
            }
        }
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                (this->*mouseMove)(); // not when the window opens: links start unlit
        }
        if (event->type() == QEvent::FocusOut)
            light(link, kLinkIdle, false);
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::mouseMoveEvent(QMouseEvent *)
{
    Form_MouseMove();
}

void Form2::Label5_MouseMove()
{
    light(Label5, kLinkLit, true);
}

void Form2::Label6_MouseMove()
{
    light(Label6, kLinkLit, true);
}

void Form2::Label7_MouseMove()
{
    light(Label7, kLinkLit, true);
}

void Form2::Form_MouseMove()
{
    for (QLabel *link : {Label5, Label6, Label7})
        light(link, kLinkIdle, false);
}

void Form2::Label5_Click()
{
    forms::runReported([] { openInBrowser(QString::fromUtf8(identity::kMakersAddress)); });
}

void Form2::Label6_Click()
{
    forms::runReported([] { openInBrowser(QString::fromUtf8(identity::kProgrammingCommunityAddress)); });
}

void Form2::Label7_Click()
{
    forms::runReported([] { openInBrowser(QString::fromUtf8(identity::kGameServerCommunityAddress)); });
}
