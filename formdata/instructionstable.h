#pragma once

#include "formdata/table.h"

// "Instruçoes de Uso": a few fixed lines on how to use the program.
namespace formdata::instructions {

using formdata::ControlKind;
using formdata::Style;

inline constexpr formdata::Control kControls[] = {
    {.kind = ControlKind::Label, .name = "headingLabel", .text = "Instruçoes de Uso",
     .left = 1155, .top = 120, .width = 2235, .height = 300, .style = Style::BlueTitle},
    {.kind = ControlKind::Label, .name = "browseStepLabel",
     .text = "1° Clique em Procurar e Procure o arquivo \"\\Data\\commonserver.cfg\" de seu Server s3 Beta 39 .",
     .left = 120, .top = 600, .width = 4455, .height = 375},
    {.kind = ControlKind::Label, .name = "loadStepLabel",
     .text = "2° Clique em Carregar sera carregado todas as informaçoes de seu commonserver.",
     .left = 120, .top = 1200, .width = 4455, .height = 375},
    {.kind = ControlKind::Label, .name = "saveStepLabel", .text = "3° Modifique a Seu Gosto e clique em Salvar",
     .left = 120, .top = 1800, .width = 4455, .height = 255},
    {.kind = ControlKind::Label, .name = "moreHeadingLabel", .text = "Outras informaçoes :",
     .left = 120, .top = 2280, .width = 2055, .height = 255, .style = Style::Bold},
    {.kind = ControlKind::Label, .name = "monsterHpLabel",
     .text = "Hp dos Monstros e Medido assim : [ 0 = 100% , 20 = 80%]  e por ai vai...",
     .left = 120, .top = 2760, .width = 4455, .height = 375},
    {.kind = ControlKind::Label, .name = "dropLabel", .text = "Drop de Items e medido em Porcento 0 ao 100.",
     .left = 120, .top = 3360, .width = 3615, .height = 255},
    {.kind = ControlKind::Label, .name = "addressLabel",
     .text = "O box \"Ip´s\" ira mudar todos os Campos de Ip do Commonserver.",
     .left = 120, .top = 3840, .width = 4455, .height = 375},
};

inline constexpr formdata::Window kWindow{.caption = "Instruçoes de Uso", .width = 4680, .height = 4395, .controls = kControls};


} // namespace formdata::instructions
