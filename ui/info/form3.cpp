#include "form3.h"

#include "formbuilder.h"

namespace {

using forms::Kind;
using forms::Style;

const forms::Control kControls[] = {
    {Kind::Label, "Label1", "Instruçoes de Uso", 1155, 120, 2235, 300, 0, Style::BlueTitle},
    {Kind::Label, "Label2",
     "1° Clique em Procurar e Procure o arquivo \"\\Data\\commonserver.cfg\" de seu Server s3 Beta 39 .",
     120, 600, 4455, 375, 1},
    {Kind::Label, "Label3",
     "2° Clique em Carregar sera carregado todas as informaçoes de seu commonserver.", 120, 1200, 4455,
     375, 2},
    {Kind::Label, "Label4", "3° Modifique a Seu Gosto e clique em Salvar", 120, 1800, 4455, 255, 3},
    {Kind::Label, "Label5", "Outras informaçoes :", 120, 2280, 2055, 255, 4, Style::Bold},
    {Kind::Label, "Label6",
     "Hp dos Monstros e Medido assim : [ 0 = 100% , 20 = 80%]  e por ai vai...", 120, 2760, 4455, 375,
     5},
    {Kind::Label, "Label7", "Drop de Items e medido em Porcento 0 ao 100.", 120, 3360, 3615, 255, 6},
    {Kind::Label, "Label8", "O box \"Ip´s\" ira mudar todos os Campos de Ip do Commonserver.", 120, 3840,
     4455, 375, 7},
};
constexpr int kClientWidth = 4680;
constexpr int kClientHeight = 4395;

} // namespace

Form3::Form3(QWidget *owner)
    : QWidget(owner)
{
    forms::buildControls(this, kControls, kClientWidth, kClientHeight);
    forms::fixWindow(this, QStringLiteral("Instruçoes de Uso"));
}
