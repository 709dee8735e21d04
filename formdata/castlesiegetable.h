#pragma once

#include "settings/keys.h"
#include "formdata/editortable.h"

// "Castle Siege": the ten keys that schedule the castle siege, and a menu
// with the tutorial page. Rows in the window's own order.
namespace formdata::castlesiege {

using formdata::ControlKind;
using formdata::Style;
namespace keys = settings::keys;

inline constexpr formdata::Control kControls[] = {
    {.kind = ControlKind::Label, .name = "headingLabel", .text = "Castle Siege:",
     .left = 1560, .top = 120, .width = 1695, .height = 375, .tab = 0, .style = Style::Heading},
    {.kind = ControlKind::Label, .name = "CastleSiegeRunLabel", .text = "Castle Siege:",
     .left = 120, .top = 720, .width = 975, .height = 255, .tab = 1},
    {.kind = ControlKind::CheckBox, .name = "CastleSiegeRun", .text = "Sim ou Nao",
     .left = 1440, .top = 720, .width = 1215, .height = 255, .tab = 2},
    {.kind = ControlKind::Line, .name = "runRule", .left = 0, .top = 1080, .width = 4920},
    {.kind = ControlKind::Label, .name = "CastleCycleStartYearLabel", .text = "Cycle - Ano de Inicio:",
     .left = 120, .top = 1320, .width = 1095, .height = 375, .tab = 3},
    {.kind = ControlKind::TextBox, .name = "CastleCycleStartYear",
     .left = 1440, .top = 1320, .width = 1215, .height = 285, .tab = 4},
    {.kind = ControlKind::Label, .name = "CastleCycleStartMonthLabel", .text = "Cycle - Mes de Inicio:",
     .left = 120, .top = 1920, .width = 1215, .height = 375, .tab = 6},
    {.kind = ControlKind::TextBox, .name = "CastleCycleStartMonth",
     .left = 1440, .top = 1920, .width = 1215, .height = 285, .tab = 5},
    {.kind = ControlKind::Label, .name = "CastleCycleStartDayLabel", .text = "Cycle - Dia de Inicio",
     .left = 120, .top = 2520, .width = 1095, .height = 375, .tab = 7},
    {.kind = ControlKind::TextBox, .name = "CastleCycleStartDay",
     .left = 1440, .top = 2520, .width = 1215, .height = 285, .tab = 8},
    {.kind = ControlKind::Line, .name = "cycleRule", .left = 0, .top = 3120, .width = 4920},
    {.kind = ControlKind::Label, .name = "CastleSpecificStateLabel", .text = "Especifique o Estado:",
     .left = 120, .top = 3480, .width = 1095, .height = 375, .tab = 9},
    {.kind = ControlKind::TextBox, .name = "CastleSpecificState",
     .left = 1320, .top = 3480, .width = 375, .height = 285, .tab = 10},
    {.kind = ControlKind::Label, .name = "CastleStateStartYearLabel", .text = "Ano de Inicio:",
     .left = 120, .top = 4080, .width = 975, .height = 255, .tab = 11},
    {.kind = ControlKind::TextBox, .name = "CastleStateStartYear",
     .left = 1320, .top = 4080, .width = 1215, .height = 285, .tab = 12},
    {.kind = ControlKind::Label, .name = "CastleStateStartMonthLabel", .text = "Mês de Inicio:",
     .left = 120, .top = 4560, .width = 1095, .height = 255, .tab = 13},
    {.kind = ControlKind::TextBox, .name = "CastleStateStartMonth",
     .left = 1320, .top = 4560, .width = 1215, .height = 285, .tab = 14},
    {.kind = ControlKind::Label, .name = "CastleStateStartDayLabel", .text = "Dia de Inicio:",
     .left = 120, .top = 5040, .width = 975, .height = 255, .tab = 15},
    {.kind = ControlKind::TextBox, .name = "CastleStateStartDay",
     .left = 1320, .top = 5040, .width = 1215, .height = 285, .tab = 16},
    {.kind = ControlKind::Label, .name = "CastleStateStartHourLabel", .text = "Hora de Inicio:",
     .left = 120, .top = 5520, .width = 1095, .height = 255, .tab = 17},
    {.kind = ControlKind::TextBox, .name = "CastleStateStartHour",
     .left = 1320, .top = 5520, .width = 1215, .height = 285, .tab = 18},
    {.kind = ControlKind::Label, .name = "CastleStateStartMinuteLabel", .text = "Minuto de Inicio:",
     .left = 120, .top = 6000, .width = 1215, .height = 255, .tab = 19},
    {.kind = ControlKind::TextBox, .name = "CastleStateStartMinute",
     .left = 1320, .top = 6000, .width = 1215, .height = 285, .tab = 23},
    {.kind = ControlKind::Button, .name = "openButton", .text = "Abrir",
     .left = 120, .top = 6720, .width = 1215, .height = 375, .tab = 20, .style = Style::Bold},
    {.kind = ControlKind::Button, .name = "saveButton", .text = "Salvar",
     .left = 1920, .top = 6720, .width = 1215, .height = 375, .tab = 21, .style = Style::Bold},
    {.kind = ControlKind::Button, .name = "cancelButton", .text = "Cancelar",
     .left = 3600, .top = 6720, .width = 1215, .height = 375, .tab = 22},
};

inline constexpr formdata::MenuItem kMenu[] = {
    {.name = "tutorialAction", .text = "Tutorial"},
};

// Loaded and saved in this order: the run flag last, after the nine dates,
// so that when it is not a number the dates are shown when that is reported.
inline constexpr formdata::KeyControl kFields[] = {
    {&keys::CastleCycleStartYear},
    {&keys::CastleCycleStartMonth},
    {&keys::CastleCycleStartDay},
    {&keys::CastleSpecificState},
    {&keys::CastleStateStartYear},
    {&keys::CastleStateStartMonth},
    {&keys::CastleStateStartDay},
    {&keys::CastleStateStartHour},
    {&keys::CastleStateStartMinute},
    {&keys::CastleSiegeRun},
};
inline constexpr auto kBoundFields = formdata::bind(kControls, kFields);

inline constexpr EditorTable kEditor{
    .window = {.caption = "Castle Siege", .width = 4860, .height = 7260, .controls = kControls,
               .menu = kMenu, .fields = kBoundFields},
    .open = formdata::ref<ControlKind::Button>(kControls, "openButton"),
    .save = formdata::ref<ControlKind::Button>(kControls, "saveButton"),
    .cancel = formdata::ref<ControlKind::Button>(kControls, "cancelButton"),
};

inline constexpr auto kTutorial = formdata::ref(kMenu, "tutorialAction");

} // namespace formdata::castlesiege
