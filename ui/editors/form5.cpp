#include "form5.h"

#include "commoncontrols.h"
#include "formbuilder.h"
#include "handlers.h"
#include "identity.h"
#include "shell.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

namespace {

using forms::Kind;
using forms::Style;
using forms::kNoTab;

const forms::Control kControls[] = {
    {Kind::Label, "Label1", "Castle Siege:", 1560, 120, 1695, 375, 0, Style::Heading},
    {Kind::Label, "Label2", "Castle Siege:", 120, 720, 975, 255, 1},
    {Kind::CheckBox, "Check1", "Sim ou Nao", 1440, 720, 1215, 255, 2},
    {Kind::Line, "Line2", "", 0, 1080, 4920, 0, kNoTab},
    {Kind::Label, "Label3", "Cycle - Ano de Inicio:", 120, 1320, 1095, 375, 3},
    {Kind::TextBox, "Text1", "", 1440, 1320, 1215, 285, 4},
    {Kind::Label, "Label4", "Cycle - Mes de Inicio:", 120, 1920, 1215, 375, 6},
    {Kind::TextBox, "Text2", "", 1440, 1920, 1215, 285, 5},
    {Kind::Label, "Label5", "Cycle - Dia de Inicio", 120, 2520, 1095, 375, 7},
    {Kind::TextBox, "Text3", "", 1440, 2520, 1215, 285, 8},
    {Kind::Line, "Line1", "", 0, 3120, 4920, 0, kNoTab},
    {Kind::Label, "Label6", "Especifique o Estado:", 120, 3480, 1095, 375, 9},
    {Kind::TextBox, "Text4", "", 1320, 3480, 375, 285, 10},
    {Kind::Label, "Label7", "Ano de Inicio:", 120, 4080, 975, 255, 11},
    {Kind::TextBox, "Text5", "", 1320, 4080, 1215, 285, 12},
    {Kind::Label, "Label8", "Mês de Inicio:", 120, 4560, 1095, 255, 13},
    {Kind::TextBox, "Text6", "", 1320, 4560, 1215, 285, 14},
    {Kind::Label, "Label9", "Dia de Inicio:", 120, 5040, 975, 255, 15},
    {Kind::TextBox, "Text7", "", 1320, 5040, 1215, 285, 16},
    {Kind::Label, "Label10", "Hora de Inicio:", 120, 5520, 1095, 255, 17},
    {Kind::TextBox, "Text8", "", 1320, 5520, 1215, 285, 18},
    {Kind::Label, "Label11", "Minuto de Inicio:", 120, 6000, 1215, 255, 19},
    {Kind::TextBox, "Text9", "", 1320, 6000, 1215, 285, 23},
    {Kind::Button, "Command1", "Abrir", 120, 6720, 1215, 375, 20, Style::Bold},
    {Kind::Button, "Command2", "Salvar", 1920, 6720, 1215, 375, 21, Style::Bold},
    {Kind::Button, "Command3", "Cancelar", 3600, 6720, 1215, 375, 22},
};
constexpr int kClientWidth = 4860;
constexpr int kClientHeight = 7260;

const forms::MenuItem kMenu[] = {
    {"mnuTutorial", "Tutorial"},
};

} // namespace

Form5::Form5(forms::PathSource settingsPath, QWidget *owner)
    : QMainWindow(owner)
{
    Form_Initialize();
    auto *client = new QWidget(this);
    forms::buildControls(client, kControls, kClientWidth, kClientHeight);
    setCentralWidget(client);
    forms::buildMenu(menuBar(), kMenu);
    m_settings.emplace(this, catalogue::Window::Form5, std::move(settingsPath));
    forms::fixWindow(this, QStringLiteral("Castle Siege"));

    const auto button = [this](const char *name) { return forms::child<QPushButton>(this, name); };
    connect(button("Command1"), &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(button("Command2"), &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(button("Command3"), &QPushButton::clicked, this, &Form5::Command3_Click);
    connect(forms::child<QAction>(this, "mnuTutorial"), &QAction::triggered, this,
            &Form5::mnuTutorial_Click);
    // Escape does what "Cancelar" does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &Form5::Command3_Click);
}

void Form5::Form_Initialize()
{
    platform::InitCommonControls();
}

void Form5::Command1_Click()
{
    // The run flag comes last: when it is not a number, the nine dates are
    // already shown when the failure is reported.
    forms::runReported([this] { m_settings->load(/*reportUnknownFlags=*/true); });
}

void Form5::Command2_Click()
{
    forms::runReported([this] { m_settings->save(); });
}

void Form5::Command3_Click()
{
    close();
}

void Form5::mnuTutorial_Click()
{
    forms::runReported([] { openInBrowser(QString::fromUtf8(identity::kTutorialAddress)); });
}
