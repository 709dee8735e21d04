#include "ui/info/creditswindow.h"

#include "platform/gui/shell.h"
#include "ui/forms/linklabel.h"
#include "ui/forms/policies.h"
#include "ui/identity.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace {

using forms::Kind;
using forms::Style;

constexpr forms::Control kControls[] = {
    {.kind = Kind::Label, .name = "teamLabel", .text = "Equipe Vardok",
     .left = 600, .top = 120, .width = 1815, .height = 375, .style = Style::RedTitle},
    {.kind = Kind::Label, .name = "authorCaptionLabel", .text = "Programa Criado Por",
     .left = 120, .top = 720, .width = 1455, .height = 255},
    {.kind = Kind::Label, .name = "authorLabel", .text = identity::kAuthorName,
     .left = 1680, .top = 720, .width = 1215, .height = 255, .style = Style::BlueBold},
    {.kind = Kind::Label, .name = "visitLabel", .text = "Visite:",
     .left = 120, .top = 1200, .width = 615, .height = 255, .style = Style::Bold},
    {.kind = Kind::Link, .name = "makersLink", .text = "Equip-Vardok",
     .left = 120, .top = 1560, .width = 975, .height = 195, .tab = 4},
    {.kind = Kind::Link, .name = "programmingCommunityLink", .text = identity::kProgrammingCommunityName,
     .left = 120, .top = 1920, .width = 990, .height = 195, .tab = 5},
    {.kind = Kind::Link, .name = "gameServerCommunityLink", .text = identity::kGameServerCommunityName,
     .left = 120, .top = 2280, .width = 690, .height = 195, .tab = 6},
};

constexpr forms::Window kWindow{.caption = "Creditos", .width = 3255, .height = 2670, .controls = kControls};

struct Link
{
    forms::Ref<forms::LinkLabel> label;
    const char *address;
};

constexpr Link kLinks[] = {
    {forms::ref<forms::LinkLabel>(kControls, "makersLink"), identity::kMakersAddress},
    {forms::ref<forms::LinkLabel>(kControls, "programmingCommunityLink"), identity::kProgrammingCommunityAddress},
    {forms::ref<forms::LinkLabel>(kControls, "gameServerCommunityLink"), identity::kGameServerCommunityAddress},
};

} // namespace

CreditsWindow::CreditsWindow(QWidget *owner)
    : QWidget(owner)
{
    m_controls = forms::buildControls(this, kWindow);
    forms::fixWindow(this, QString::fromUtf8(kWindow.caption));

    // A link lights up when the mouse moves over it and stays lit until the
    // mouse moves over the bare background; a click opens its page, and the
    // window stays open.
    for (const Link &link : kLinks) {
        forms::LinkLabel *label = m_controls[link.label];
        const QString address = QString::fromUtf8(link.address);
        connect(label, &forms::LinkLabel::hovered, label, [label] { label->setLit(true); });
        connect(label, &forms::LinkLabel::activated, this,
                [address] { forms::runReported([&address] { platform::openInBrowser(address); }); });
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
    for (const Link &link : kLinks)
        m_controls[link.label]->setLit(false);
}
