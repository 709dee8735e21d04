#pragma once

#include "settings/keys.h"
#include "formdata/table.h"
#include "formdata/identity.h"

// The main window: the path box, the twelve main keys, the file's buttons
// and the ways to the other windows. Rows in the window's own order.
namespace formdata::mainwindow {

using formdata::ControlKind;
using formdata::Style;
namespace keys = settings::keys;

inline constexpr formdata::Control kControls[] = {
    {.kind = ControlKind::Label, .name = "headingLabel", .text = "Zilvane s3 beta 39 (Versão 0.5)",
     .left = 360, .top = 120, .width = 5655, .height = 375, .tab = 26, .style = Style::Heading},
    {.kind = ControlKind::Label, .name = "pathLabel", .text = "Local do Arquivo:",
     .left = 120, .top = 840, .width = 1575, .height = 255, .tab = 2},
    {.kind = ControlKind::TextBox, .name = "settingsPath",
     .left = 1680, .top = 840, .width = 3735, .height = 285, .tab = 1},
    {.kind = ControlKind::Button, .name = "browseButton", .text = "Procurar",
     .left = 5400, .top = 840, .width = 975, .height = 255, .tab = 20, .style = Style::Bold},
    {.kind = ControlKind::Label, .name = "AddExperienceLabel", .text = "Experiencia:",
     .left = 120, .top = 1440, .width = 1695, .height = 255, .tab = 3},
    {.kind = ControlKind::TextBox, .name = "AddExperience",
     .left = 1680, .top = 1440, .width = 1215, .height = 285, .tab = 4},
    {.kind = ControlKind::Label, .name = "MonsterHpLabel", .text = "HP dos Mostros:",
     .left = 120, .top = 1920, .width = 1215, .height = 255, .tab = 13},
    {.kind = ControlKind::TextBox, .name = "MonsterHp",
     .left = 1680, .top = 1920, .width = 1215, .height = 285, .tab = 14},
    {.kind = ControlKind::Label, .name = "ItemDropPerLabel", .text = "Drop:",
     .left = 120, .top = 2400, .width = 495, .height = 255, .tab = 15},
    {.kind = ControlKind::TextBox, .name = "ItemDropPer",
     .left = 1680, .top = 2400, .width = 1215, .height = 285, .tab = 16},
    {.kind = ControlKind::Label, .name = "CharacterDeleteMinLevelLabel", .text = "Level Minimo para Deletar Personagem:",
     .left = 120, .top = 2880, .width = 1575, .height = 495, .tab = 5},
    {.kind = ControlKind::TextBox, .name = "CharacterDeleteMinLevel",
     .left = 1680, .top = 3000, .width = 1215, .height = 285, .tab = 6},
    {.kind = ControlKind::Label, .name = "CreateCharacterLabel", .text = "Criar Personagem :",
     .left = 120, .top = 3600, .width = 1335, .height = 255, .tab = 7},
    {.kind = ControlKind::CheckBox, .name = "CreateCharacter", .text = "Sim ou Nao",
     .left = 1680, .top = 3600, .width = 1215, .height = 255, .tab = 22},
    {.kind = ControlKind::Label, .name = "GuildCreateLevelLabel", .text = "Level para Criaçao de Guild:",
     .left = 120, .top = 4080, .width = 1455, .height = 375, .tab = 8},
    {.kind = ControlKind::TextBox, .name = "GuildCreateLevel",
     .left = 1680, .top = 4080, .width = 1215, .height = 285, .tab = 9},
    {.kind = ControlKind::Label, .name = "GuildCreateLabel", .text = "Criar Guild:",
     .left = 120, .top = 4680, .width = 855, .height = 255, .tab = 10},
    {.kind = ControlKind::CheckBox, .name = "GuildCreate", .text = "Sim ou Nao",
     .left = 1680, .top = 4680, .width = 1215, .height = 255, .tab = 23},
    {.kind = ControlKind::Label, .name = "GuildDestroyLabel", .text = "Deletar Guild:",
     .left = 120, .top = 5160, .width = 1095, .height = 255, .tab = 11},
    {.kind = ControlKind::CheckBox, .name = "GuildDestroy", .text = "Sim ou Nao",
     .left = 1680, .top = 5160, .width = 1215, .height = 255, .tab = 24},
    {.kind = ControlKind::Label, .name = "TradeLabel", .text = "Trade:",
     .left = 120, .top = 5640, .width = 615, .height = 255, .tab = 12},
    {.kind = ControlKind::CheckBox, .name = "Trade", .text = "Sim ou Nao",
     .left = 1680, .top = 5640, .width = 1215, .height = 255, .tab = 25},
    {.kind = ControlKind::Label, .name = "eventServerAddressLabel", .text = "Ip´s:",
     .left = 120, .top = 6120, .width = 375, .height = 255, .tab = 17},
    {.kind = ControlKind::TextBox, .name = "eventServerAddress",
     .left = 1680, .top = 6120, .width = 1935, .height = 285, .tab = 18},
    {.kind = ControlKind::Picture, .name = "picture", .text = ":/assets/picture.png",
     .left = 3600, .top = 1800, .width = 2460, .height = 3300, .spokenName = "Ilustração: um castelo"},
    {.kind = ControlKind::Button, .name = "otherSettingsButton", .text = "Outras Ediçoes",
     .left = 4920, .top = 5760, .width = 1455, .height = 375, .tab = 27, .enabled = false},
    {.kind = ControlKind::Button, .name = "castleSiegeButton", .text = "Castle Siege",
     .left = 4920, .top = 6120, .width = 1455, .height = 375, .tab = 28, .enabled = false},
    {.kind = ControlKind::Button, .name = "openButton", .text = "Abrir",
     .left = 120, .top = 6840, .width = 1215, .height = 375, .tab = 21, .style = Style::Bold, .enabled = false},
    {.kind = ControlKind::Button, .name = "saveButton", .text = "Salvar",
     .left = 2640, .top = 6840, .width = 1215, .height = 375, .tab = 0, .style = Style::Bold, .enabled = false},
    {.kind = ControlKind::Button, .name = "cancelButton", .text = "Cancelar",
     .left = 5040, .top = 6840, .width = 1215, .height = 375, .tab = 19},
};

inline constexpr formdata::MenuItem kMenu[] = {
    {.name = "fileMenu", .text = "Arquivo"},
    {.name = "openAction", .text = "Abrir", .menu = "fileMenu"},
    {.name = "saveAction", .text = "Salvar", .menu = "fileMenu"},
    {.name = "helpMenu", .text = "Ajuda"},
    {.name = "instructionsAction", .text = "Como Usar", .menu = "helpMenu"},
    {.name = "creditsAction", .text = "Creditos", .menu = "helpMenu"},
};

// In load order. One box shows the event servers' address, which three keys
// hold: the last one read that is not empty stays in it, and a change goes
// to all three.
inline constexpr formdata::KeyControl kFields[] = {
    {&keys::AddExperience},
    {&keys::MonsterHp},
    {&keys::ItemDropPer},
    {&keys::CharacterDeleteMinLevel},
    {&keys::GuildCreateLevel},
    {&keys::ChaosEventServer, "eventServerAddress"},
    {&keys::DevilSquareEventServer, "eventServerAddress"},
    {&keys::EventChipServerIp, "eventServerAddress"},
    {&keys::CreateCharacter},
    {&keys::GuildCreate},
    {&keys::GuildDestroy},
    {&keys::Trade},
};
inline constexpr auto kBoundFields = formdata::bind(kControls, kFields);

// The save writes the address keys in another order than the load reads them.
inline constexpr const settings::Key *kSaveOrder[] = {
    &keys::AddExperience, &keys::MonsterHp, &keys::ItemDropPer, &keys::CharacterDeleteMinLevel,
    &keys::GuildCreateLevel, &keys::ChaosEventServer, &keys::EventChipServerIp,
    &keys::DevilSquareEventServer, &keys::CreateCharacter, &keys::GuildCreate, &keys::GuildDestroy,
    &keys::Trade,
};

inline constexpr formdata::Window kWindow{
    .caption = identity::kProgramTitle,
    .width = 6435,
    .height = 7320,
    .controls = kControls,
    .menu = kMenu,
    .fields = kBoundFields,
    .saveOrder = kSaveOrder,
};

} // namespace formdata::mainwindow
