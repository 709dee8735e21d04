#include "form1.h"

#include "commoncontrols.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "form5.h"
#include "formbuilder.h"
#include "handlers.h"
#include "identity.h"
#include "settingsbinding.h"
#include "singlewindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace {

using forms::Kind;
using forms::Style;
using forms::kNoTab;

const forms::Control kControls[] = {
    {Kind::Label, "Label12", "Zilvane s3 beta 39 (Versão 0.5)", 360, 120, 5655, 375, 26, Style::Heading},
    {Kind::Label, "Label1", "Local do Arquivo:", 120, 840, 1575, 255, 2},
    {Kind::TextBox, "Text1", "", 1680, 840, 3735, 285, 1},
    {Kind::Button, "Command3", "Procurar", 5400, 840, 975, 255, 20, Style::Bold},
    {Kind::Label, "Label2", "Experiencia:", 120, 1440, 1695, 255, 3},
    {Kind::TextBox, "Text2", "", 1680, 1440, 1215, 285, 4},
    {Kind::Label, "Label9", "HP dos Mostros:", 120, 1920, 1215, 255, 13},
    {Kind::TextBox, "Text5", "", 1680, 1920, 1215, 285, 14},
    {Kind::Label, "Label10", "Drop:", 120, 2400, 495, 255, 15},
    {Kind::TextBox, "Text6", "", 1680, 2400, 1215, 285, 16},
    {Kind::Label, "Label3", "Level Minimo para Deletar Personagem:", 120, 2880, 1575, 495, 5},
    {Kind::TextBox, "Text3", "", 1680, 3000, 1215, 285, 6},
    {Kind::Label, "Label4", "Criar Personagem :", 120, 3600, 1335, 255, 7},
    {Kind::CheckBox, "Check1", "Sim ou Nao", 1680, 3600, 1215, 255, 22},
    {Kind::Label, "Label5", "Level para Criaçao de Guild:", 120, 4080, 1455, 375, 8},
    {Kind::TextBox, "Text4", "", 1680, 4080, 1215, 285, 9},
    {Kind::Label, "Label6", "Criar Guild:", 120, 4680, 855, 255, 10},
    {Kind::CheckBox, "Check2", "Sim ou Nao", 1680, 4680, 1215, 255, 23},
    {Kind::Label, "Label7", "Deletar Guild:", 120, 5160, 1095, 255, 11},
    {Kind::CheckBox, "Check3", "Sim ou Nao", 1680, 5160, 1215, 255, 24},
    {Kind::Label, "Label8", "Trade:", 120, 5640, 615, 255, 12},
    {Kind::CheckBox, "Check4", "Sim ou Nao", 1680, 5640, 1215, 255, 25},
    {Kind::Label, "Label11", "Ip´s:", 120, 6120, 375, 255, 17},
    {Kind::TextBox, "Text7", "", 1680, 6120, 1935, 285, 18},
    {Kind::Picture, "Image1", ":/assets/picture.png", 3600, 1800, 2460, 3300, kNoTab},
    {Kind::Button, "Command5", "Outras Ediçoes", 4920, 5760, 1455, 375, 27, Style::Normal, false},
    {Kind::Button, "Command6", "Castle Siege", 4920, 6120, 1455, 375, 28, Style::Normal, false},
    {Kind::Button, "Command4", "Abrir", 120, 6840, 1215, 375, 21, Style::Bold, false},
    {Kind::Button, "Command1", "Salvar", 2640, 6840, 1215, 375, 0, Style::Bold, false},
    {Kind::Button, "Command2", "Cancelar", 5040, 6840, 1215, 375, 19},
};
constexpr int kClientWidth = 6435;
constexpr int kClientHeight = 7320;

const forms::MenuItem kMenu[] = {
    {"mnuarquivo", "Arquivo"},
    {"mnuabrir", "Abrir", "mnuarquivo"},
    {"mnusalvar", "Salvar", "mnuarquivo"},
    {"mnuajuda", "Ajuda"},
    {"mnuhrlp", "Como Usar", "mnuajuda"},
    {"mnucreditos", "Creditos", "mnuajuda"},
};

} // namespace

Form1::Form1(QWidget *parent)
    : QMainWindow(parent)
{
    Form_Initialize();
    auto *client = new QWidget(this);
    forms::buildControls(client, kControls, kClientWidth, kClientHeight);
    forms::child<QLabel>(client, "Image1")->setAccessibleName(QStringLiteral("Ilustração: um castelo"));
    setCentralWidget(client);
    forms::buildMenu(menuBar(), kMenu);
    forms::fixWindow(this, QString::fromUtf8(identity::kProgramTitle));
    m_settings.emplace(this, catalogue::Window::Form1, pathSource());

    // Enter answers "Castle Siege" once that button is enabled.
    forms::child<QPushButton>(this, "Command6")->setDefault(true);

    const auto button = [this](const char *name) { return forms::child<QPushButton>(this, name); };
    const auto item = [this](const char *name) { return forms::child<QAction>(this, name); };
    connect(button("Command3"), &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(button("Command4"), &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(button("Command1"), &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(button("Command2"), &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(button("Command5"), &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(button("Command6"), &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(item("mnuabrir"), &QAction::triggered, this, &Form1::mnuabrir_Click);
    connect(item("mnusalvar"), &QAction::triggered, this, &Form1::mnusalvar_Click);
    connect(item("mnuhrlp"), &QAction::triggered, this, &Form1::mnuhrlp_Click);
    connect(item("mnucreditos"), &QAction::triggered, this, &Form1::mnucreditos_Click);
}

QString Form1::settingsPath() const
{
    return forms::child<QLineEdit>(this, "Text1")->text();
}

forms::PathSource Form1::pathSource() const
{
    return [this] { return settingsPath(); };
}

void Form1::Form_Initialize()
{
    platform::InitCommonControls();
}

void Form1::Command3_Click()
{
    forms::runReported([this] {
        CommonDialog1.DialogTitle = QStringLiteral("Arquivo CommonServer.cfg");
        CommonDialog1.InitDir = QCoreApplication::applicationDirPath();
        CommonDialog1.Filter = QStringLiteral("Arquivo CFG (*.cfg)|*.cfg");
        if (!settingsPath().isEmpty())
            CommonDialog1.FileName = settingsPath(); // start from the file being edited
        if (!CommonDialog1.ShowOpen(this))
            return; // cancelled: the path and the buttons stay as they were
        forms::child<QLineEdit>(this, "Text1")->setText(QDir::toNativeSeparators(CommonDialog1.FileName));
        forms::child<QPushButton>(this, "Command4")->setEnabled(true);
    });
}

void Form1::Command4_Click()
{
    load();
    for (const char *name : {"Command3", "Command5", "Command6", "Command1"})
        forms::child<QPushButton>(this, name)->setEnabled(true);
}

void Form1::mnuabrir_Click()
{
    load();
}

void Form1::Command1_Click()
{
    save();
}

void Form1::mnusalvar_Click()
{
    save();
}

void Form1::Command2_Click()
{
    close(); // ends the program, see closeEvent
}

void Form1::Command5_Click()
{
    forms::showSingle(m_form4, [this] { return new Form4(pathSource(), this); });
}

void Form1::Command6_Click()
{
    forms::showSingle(m_form5, [this] { return new Form5(pathSource(), this); });
}

void Form1::mnuhrlp_Click()
{
    forms::showSingle(m_form3, [this] { return new Form3(this); });
}

void Form1::mnucreditos_Click()
{
    forms::showSingle(m_form2, [this] { return new Form2(this); });
}

void Form1::load()
{
    // A file that cannot be read leaves every box as it was, silently.
    forms::resumeNext([this] { m_settings->load(/*reportUnknownFlags=*/false); });
}

void Form1::save()
{
    forms::runReported([this] { m_settings->save(); });
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program at once: every other window
    // goes with it, unsaved edits included, and nothing asks first.
    event->accept();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this)
            window->close();
    }
    QCoreApplication::quit();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    auto *defaultButton = forms::child<QPushButton>(this, "Command6");
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && defaultButton->isEnabled()) {
        defaultButton->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
