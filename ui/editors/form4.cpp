#include "form4.h"

#include "commoncontrols.h"
#include "formbuilder.h"
#include "handlers.h"

#include <QPushButton>
#include <QShortcut>

namespace {

using forms::Kind;
using forms::Style;

const forms::Control kControls[] = {
    {Kind::Label, "Label2", "Outras Ediçoes", 1680, 120, 1935, 375, 1, Style::Heading},
    {Kind::Label, "Label1", "Maximo de Players Online :", 120, 720, 1455, 375, 0},
    {Kind::TextBox, "Text1", "", 1680, 720, 1215, 285, 2},
    {Kind::Label, "Label3", "Level Maximo:", 120, 1320, 1095, 255, 3},
    {Kind::TextBox, "Text2", "", 1680, 1320, 1215, 285, 4},
    {Kind::Label, "Label4", "Drop de Itens exc:", 120, 1800, 1335, 255, 5},
    {Kind::TextBox, "Text3", "", 1680, 1800, 1215, 285, 6},
    {Kind::Label, "Label5", "Players Minimo para Chaos Castle:", 120, 2280, 1455, 495, 7},
    {Kind::TextBox, "Text4", "", 1680, 2280, 1215, 285, 8},
    {Kind::Label, "Label6", "Level Max. para o Buff da ElfSoldier:", 120, 3000, 1455, 375, 9},
    {Kind::TextBox, "Text5", "", 1680, 3000, 1215, 285, 10},
    {Kind::Label, "Label7", "Maximo de Zen:", 120, 3600, 1215, 255, 11},
    {Kind::TextBox, "Text6", "", 1680, 3600, 1215, 285, 12},
    {Kind::Label, "Label8", "Alerta de Zen Maximo :", 3000, 3600, 1215, 375, 14},
    {Kind::TextBox, "Text7", "", 4080, 3600, 1215, 285, 13},
    {Kind::Label, "Label9", "Pontos Por Level:", 120, 4080, 1335, 255, 15},
    {Kind::Label, "Label10", "Bk, Sm, Elf", 1560, 4080, 855, 255, 17, Style::RowPart},
    {Kind::TextBox, "Text8", "", 2520, 4080, 255, 285, 16},
    {Kind::Label, "Label11", "MG", 3000, 4080, 375, 255, 18, Style::RowPart},
    {Kind::TextBox, "Text9", "", 3360, 4080, 255, 285, 19},
    {Kind::Label, "Label12", "DL", 3840, 4080, 255, 255, 20, Style::RowPart},
    {Kind::TextBox, "Text10", "", 4200, 4080, 255, 285, 21},
    {Kind::Label, "Label13", "Chaos Machine Rate:", 120, 4440, 1335, 375, 22},
    {Kind::Label, "Label14", "+10", 1560, 4560, 375, 255, 23, Style::RowPart},
    {Kind::TextBox, "Text11", "", 1920, 4560, 375, 285, 24},
    {Kind::Label, "Label15", "+11", 2520, 4560, 375, 255, 25, Style::RowPart},
    {Kind::TextBox, "Text12", "", 2880, 4560, 375, 285, 26},
    {Kind::Label, "Label16", "+12", 3480, 4560, 375, 255, 27, Style::RowPart},
    {Kind::TextBox, "Text13", "", 3840, 4560, 375, 285, 28},
    {Kind::Label, "Label17", "+13", 4440, 4560, 375, 255, 29, Style::RowPart},
    {Kind::TextBox, "Text14", "", 4800, 4560, 375, 285, 30},
    {Kind::Button, "Command3", "Abrir", 120, 5160, 1215, 375, 33, Style::Bold},
    {Kind::Button, "Command1", "Salvar", 2040, 5160, 1215, 375, 31, Style::Bold},
    {Kind::Button, "Command2", "Cancelar", 4080, 5160, 1215, 375, 32},
};
constexpr int kClientWidth = 5520;
constexpr int kClientHeight = 5655;

} // namespace

Form4::Form4(forms::PathSource settingsPath, QWidget *owner)
    : QWidget(owner)
{
    Form_Initialize();
    forms::buildControls(this, kControls, kClientWidth, kClientHeight);
    m_settings.emplace(this, catalogue::Window::Form4, std::move(settingsPath));
    forms::fixWindow(this, QStringLiteral("Outras Ediçoes"));

    const auto button = [this](const char *name) { return forms::child<QPushButton>(this, name); };
    connect(button("Command3"), &QPushButton::clicked, this, &Form4::Command3_Click);
    connect(button("Command1"), &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(button("Command2"), &QPushButton::clicked, this, &Form4::Command2_Click);
    // Escape does what "Cancelar" does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &Form4::Command2_Click);
}

void Form4::Form_Initialize()
{
    platform::InitCommonControls();
}

void Form4::Command3_Click()
{
    forms::runReported([this] { m_settings->load(/*reportUnknownFlags=*/true); });
}

void Form4::Command1_Click()
{
    forms::runReported([this] { m_settings->save(); });
}

void Form4::Command2_Click()
{
    close();
}
