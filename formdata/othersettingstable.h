#pragma once

#include "settings/keys.h"
#include "formdata/editortable.h"

// "Outras Ediçoes": fourteen further keys. Rows in the window's own order.
namespace formdata::othersettings {

using formdata::ControlKind;
using formdata::Style;
namespace keys = settings::keys;

inline constexpr formdata::Control kControls[] = {
    {.kind = ControlKind::Label, .name = "headingLabel", .text = "Outras Ediçoes",
     .left = 1680, .top = 120, .width = 1935, .height = 375, .tab = 1, .style = Style::Heading},
    {.kind = ControlKind::Label, .name = "NumberOfMaxUserLabel", .text = "Maximo de Players Online :",
     .left = 120, .top = 720, .width = 1455, .height = 375, .tab = 0},
    {.kind = ControlKind::TextBox, .name = "NumberOfMaxUser",
     .left = 1680, .top = 720, .width = 1215, .height = 285, .tab = 2},
    {.kind = ControlKind::Label, .name = "MaxLevelLabel", .text = "Level Maximo:",
     .left = 120, .top = 1320, .width = 1095, .height = 255, .tab = 3},
    {.kind = ControlKind::TextBox, .name = "MaxLevel",
     .left = 1680, .top = 1320, .width = 1215, .height = 285, .tab = 4},
    {.kind = ControlKind::Label, .name = "ExcellentItemsDropRateLabel", .text = "Drop de Itens exc:",
     .left = 120, .top = 1800, .width = 1335, .height = 255, .tab = 5},
    {.kind = ControlKind::TextBox, .name = "ExcellentItemsDropRate",
     .left = 1680, .top = 1800, .width = 1215, .height = 285, .tab = 6},
    {.kind = ControlKind::Label, .name = "ChaosCastleMinPlayersLabel", .text = "Players Minimo para Chaos Castle:",
     .left = 120, .top = 2280, .width = 1455, .height = 495, .tab = 7},
    {.kind = ControlKind::TextBox, .name = "ChaosCastleMinPlayers",
     .left = 1680, .top = 2280, .width = 1215, .height = 285, .tab = 8},
    {.kind = ControlKind::Label, .name = "ElfSoldierMaxLevelLabel", .text = "Level Max. para o Buff da ElfSoldier:",
     .left = 120, .top = 3000, .width = 1455, .height = 375, .tab = 9},
    {.kind = ControlKind::TextBox, .name = "ElfSoldierMaxLevel",
     .left = 1680, .top = 3000, .width = 1215, .height = 285, .tab = 10},
    {.kind = ControlKind::Label, .name = "MaxZenLabel", .text = "Maximo de Zen:",
     .left = 120, .top = 3600, .width = 1215, .height = 255, .tab = 11},
    {.kind = ControlKind::TextBox, .name = "MaxZen",
     .left = 1680, .top = 3600, .width = 1215, .height = 285, .tab = 12},
    {.kind = ControlKind::Label, .name = "MaxZenMessageLabel", .text = "Alerta de Zen Maximo :",
     .left = 3000, .top = 3600, .width = 1215, .height = 375, .tab = 14},
    {.kind = ControlKind::TextBox, .name = "MaxZenMessage",
     .left = 4080, .top = 3600, .width = 1215, .height = 285, .tab = 13},
    {.kind = ControlKind::Label, .name = "pointsPerLevelLabel", .text = "Pontos Por Level:",
     .left = 120, .top = 4080, .width = 1335, .height = 255, .tab = 15},
    {.kind = ControlKind::Label, .name = "PointsLevelUp_NormalLabel", .text = "Bk, Sm, Elf",
     .left = 1560, .top = 4080, .width = 855, .height = 255, .tab = 17, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "PointsLevelUp_Normal",
     .left = 2520, .top = 4080, .width = 255, .height = 285, .tab = 16},
    {.kind = ControlKind::Label, .name = "PointsLevelUp_MGLabel", .text = "MG",
     .left = 3000, .top = 4080, .width = 375, .height = 255, .tab = 18, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "PointsLevelUp_MG",
     .left = 3360, .top = 4080, .width = 255, .height = 285, .tab = 19},
    {.kind = ControlKind::Label, .name = "PointsLevelUp_DLLabel", .text = "DL",
     .left = 3840, .top = 4080, .width = 255, .height = 255, .tab = 20, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "PointsLevelUp_DL",
     .left = 4200, .top = 4080, .width = 255, .height = 285, .tab = 21},
    {.kind = ControlKind::Label, .name = "chaosMachineRateLabel", .text = "Chaos Machine Rate:",
     .left = 120, .top = 4440, .width = 1335, .height = 375, .tab = 22},
    {.kind = ControlKind::Label, .name = "ChaosMachineItemMixRate10Label", .text = "+10",
     .left = 1560, .top = 4560, .width = 375, .height = 255, .tab = 23, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "ChaosMachineItemMixRate10",
     .left = 1920, .top = 4560, .width = 375, .height = 285, .tab = 24},
    {.kind = ControlKind::Label, .name = "ChaosMachineItemMixRate11Label", .text = "+11",
     .left = 2520, .top = 4560, .width = 375, .height = 255, .tab = 25, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "ChaosMachineItemMixRate11",
     .left = 2880, .top = 4560, .width = 375, .height = 285, .tab = 26},
    {.kind = ControlKind::Label, .name = "ChaosMachineItemMixRate12Label", .text = "+12",
     .left = 3480, .top = 4560, .width = 375, .height = 255, .tab = 27, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "ChaosMachineItemMixRate12",
     .left = 3840, .top = 4560, .width = 375, .height = 285, .tab = 28},
    {.kind = ControlKind::Label, .name = "ChaosMachineItemMixRate13Label", .text = "+13",
     .left = 4440, .top = 4560, .width = 375, .height = 255, .tab = 29, .style = Style::RowPart},
    {.kind = ControlKind::TextBox, .name = "ChaosMachineItemMixRate13",
     .left = 4800, .top = 4560, .width = 375, .height = 285, .tab = 30},
    {.kind = ControlKind::Button, .name = "openButton", .text = "Abrir",
     .left = 120, .top = 5160, .width = 1215, .height = 375, .tab = 33, .style = Style::Bold},
    {.kind = ControlKind::Button, .name = "saveButton", .text = "Salvar",
     .left = 2040, .top = 5160, .width = 1215, .height = 375, .tab = 31, .style = Style::Bold},
    {.kind = ControlKind::Button, .name = "cancelButton", .text = "Cancelar",
     .left = 4080, .top = 5160, .width = 1215, .height = 375, .tab = 32},
};

// Loaded and saved in this order.
inline constexpr formdata::KeyControl kFields[] = {
    {&keys::NumberOfMaxUser},
    {&keys::MaxLevel},
    {&keys::ExcellentItemsDropRate},
    {&keys::ChaosCastleMinPlayers},
    {&keys::ElfSoldierMaxLevel},
    {&keys::MaxZen},
    {&keys::MaxZenMessage},
    {&keys::PointsLevelUp_Normal},
    {&keys::PointsLevelUp_MG},
    {&keys::PointsLevelUp_DL},
    {&keys::ChaosMachineItemMixRate10},
    {&keys::ChaosMachineItemMixRate11},
    {&keys::ChaosMachineItemMixRate12},
    {&keys::ChaosMachineItemMixRate13},
};
inline constexpr auto kBoundFields = formdata::bind(kControls, kFields);

inline constexpr EditorTable kEditor{
    .window = {.caption = "Outras Ediçoes", .width = 5520, .height = 5655, .controls = kControls,
               .fields = kBoundFields},
    .open = formdata::ref<ControlKind::Button>(kControls, "openButton"),
    .save = formdata::ref<ControlKind::Button>(kControls, "saveButton"),
    .cancel = formdata::ref<ControlKind::Button>(kControls, "cancelButton"),
};

} // namespace formdata::othersettings
