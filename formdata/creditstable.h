#pragma once

#include "formdata/table.h"
#include "formdata/identity.h"

// "Creditos": the makers, the author, and three links to web pages.
namespace formdata::credits {

using formdata::ControlKind;
using formdata::Style;

inline constexpr formdata::Control kControls[] = {
    {.kind = ControlKind::Label, .name = "teamLabel", .text = "Equipe Vardok",
     .left = 600, .top = 120, .width = 1815, .height = 375, .style = Style::RedTitle},
    {.kind = ControlKind::Label, .name = "authorCaptionLabel", .text = "Programa Criado Por",
     .left = 120, .top = 720, .width = 1455, .height = 255},
    {.kind = ControlKind::Label, .name = "authorLabel", .text = identity::kAuthorName,
     .left = 1680, .top = 720, .width = 1215, .height = 255, .style = Style::BlueBold},
    {.kind = ControlKind::Label, .name = "visitLabel", .text = "Visite:",
     .left = 120, .top = 1200, .width = 615, .height = 255, .style = Style::Bold},
    {.kind = ControlKind::Link, .name = "makersLink", .text = "Equip-Vardok",
     .left = 120, .top = 1560, .width = 975, .height = 195, .tab = 4},
    {.kind = ControlKind::Link, .name = "programmingCommunityLink", .text = identity::kProgrammingCommunityName,
     .left = 120, .top = 1920, .width = 990, .height = 195, .tab = 5},
    {.kind = ControlKind::Link, .name = "gameServerCommunityLink", .text = identity::kGameServerCommunityName,
     .left = 120, .top = 2280, .width = 690, .height = 195, .tab = 6},
};

inline constexpr formdata::Window kWindow{.caption = "Creditos", .width = 3255, .height = 2670, .controls = kControls};

struct Link
{
    formdata::Ref<ControlKind::Link> label;
    const char *address;
};

inline constexpr Link kLinks[] = {
    {formdata::ref<ControlKind::Link>(kControls, "makersLink"), identity::kMakersAddress},
    {formdata::ref<ControlKind::Link>(kControls, "programmingCommunityLink"), identity::kProgrammingCommunityAddress},
    {formdata::ref<ControlKind::Link>(kControls, "gameServerCommunityLink"), identity::kGameServerCommunityAddress},
};


} // namespace formdata::credits
