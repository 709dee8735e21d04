#include "ui/forms/frame.h"
#include "ui/main/mainwindow.h"

#include "ui/editors/settingseditor.h"
#include "ui/binding/reporting.h"
#include "ui/binding/unsavededits.h"
#include "ui/forms/singlewindow.h"
#include "ui/forms/withoutlinebreaks.h"
#include "ui/info/creditswindow.h"
#include "ui/info/instructionswindow.h"
#include "formdata/mainwindowtable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace ui {

namespace {

using formdata::ref;
using formdata::mainwindow::kControls;
using formdata::mainwindow::kMenu;

constexpr auto kPath = ref<formdata::ControlKind::TextBox>(kControls, "settingsPath");
constexpr auto kBrowse = ref<formdata::ControlKind::Button>(kControls, "browseButton");
constexpr auto kOpen = ref<formdata::ControlKind::Button>(kControls, "openButton");
constexpr auto kSave = ref<formdata::ControlKind::Button>(kControls, "saveButton");
constexpr auto kCancel = ref<formdata::ControlKind::Button>(kControls, "cancelButton");
constexpr auto kOtherSettings = ref<formdata::ControlKind::Button>(kControls, "otherSettingsButton");
constexpr auto kCastleSiege = ref<formdata::ControlKind::Button>(kControls, "castleSiegeButton");
constexpr auto kOpenAction = ref(kMenu, "openAction");
constexpr auto kSaveAction = ref(kMenu, "saveAction");
constexpr auto kInstructionsAction = ref(kMenu, "instructionsAction");
constexpr auto kCreditsAction = ref(kMenu, "creditsAction");

} // namespace

MainWindow::MainWindow(const QString &file, QWidget *parent)
    : QMainWindow(parent)
{
    auto *client = new QWidget(this);
    m_controls = forms::buildControls(client, formdata::mainwindow::kWindow);
    setCentralWidget(client);
    m_actions = forms::buildMenu(menuBar(), kMenu);
    forms::fixWindow(this, QString::fromUtf8(formdata::mainwindow::kWindow.caption), forms::Edits::Marked);
    m_settings.emplace(this, m_controls, formdata::mainwindow::kWindow, pathSource());

    // A path pasted with its line break (copied from a terminal) is the path.
    m_controls[kPath]->setValidator(new forms::WithoutLineBreaks(m_controls[kPath]));

    // Enter answers "Castle Siege" once that button is enabled.
    m_controls[kCastleSiege]->setDefault(true);

    connect(m_controls[kBrowse], &QPushButton::clicked, this, &MainWindow::browse);
    connect(m_controls[kOpen], &QPushButton::clicked, this, &MainWindow::loadAndUnlock);
    connect(m_controls[kSave], &QPushButton::clicked, this, &MainWindow::save);
    connect(m_controls[kCancel], &QPushButton::clicked, this, &MainWindow::quit);
    connect(m_controls[kOtherSettings], &QPushButton::clicked, this, &MainWindow::showOtherSettings);
    connect(m_controls[kCastleSiege], &QPushButton::clicked, this, &MainWindow::showCastleSiege);
    connect(m_actions[kOpenAction], &QAction::triggered, this, &MainWindow::load);
    connect(m_actions[kSaveAction], &QAction::triggered, this, &MainWindow::save);
    connect(m_actions[kInstructionsAction], &QAction::triggered, this, &MainWindow::showInstructions);
    connect(m_actions[kCreditsAction], &QAction::triggered, this, &MainWindow::showCredits);
    new QShortcut(QKeySequence::Save, this, this, &MainWindow::save);

    // A file given at start: in the path box and loaded once the window shows.
    if (!file.isEmpty()) {
        m_controls[kPath]->setText(QDir::toNativeSeparators(file));
        m_controls[kOpen]->setEnabled(true);
        QTimer::singleShot(0, this, &MainWindow::loadAndUnlock);
    }
}

QString MainWindow::settingsPath() const
{
    return m_controls[kPath]->text();
}

binding::PathSource MainWindow::pathSource() const
{
    return [this] { return settingsPath(); };
}

void MainWindow::browse()
{
    binding::runReported([this] {
        m_fileDialog.title = QStringLiteral("Arquivo CommonServer.cfg");
        m_fileDialog.startFolder = QCoreApplication::applicationDirPath();
        m_fileDialog.filter = QStringLiteral("Arquivo CFG (*.cfg)|*.cfg");
        if (!settingsPath().isEmpty())
            m_fileDialog.fileName = settingsPath(); // start from the file being edited
        if (!m_fileDialog.showOpen(this))
            return; // cancelled: the path and the buttons stay as they were
        m_controls[kPath]->setText(QDir::toNativeSeparators(m_fileDialog.fileName));
        m_controls[kOpen]->setEnabled(true);
    });
}

void MainWindow::loadAndUnlock()
{
    load();
    for (const auto button : {kBrowse, kOtherSettings, kCastleSiege, kSave})
        m_controls[button]->setEnabled(true);
}

void MainWindow::load()
{
    // A yes/no setting that is not a number shows as unknown without a word;
    // a file that cannot be read, or one this program would damage, is
    // reported and leaves every box as it was.
    binding::runReported([this] { m_settings->load(/*reportUnknownFlags=*/false); });
}

void MainWindow::save()
{
    binding::runReported([this] { m_settings->save(); });
}

void MainWindow::quit()
{
    m_quitting = true;
    close(); // ends the program, see closeEvent
}

void MainWindow::showOtherSettings()
{
    forms::showSingle(m_otherSettings, [this] { return SettingsEditor::otherSettings(pathSource(), this); });
}

void MainWindow::showCastleSiege()
{
    forms::showSingle(m_castleSiege, [this] { return SettingsEditor::castleSiege(pathSource(), this); });
}

void MainWindow::showInstructions()
{
    forms::showSingle(m_instructions, [this] { return new InstructionsWindow(this); });
}

void MainWindow::showCredits()
{
    forms::showSingle(m_credits, [this] { return new CreditsWindow(this); });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program: every other window goes with
    // it. From the close box, unsaved edits of any window are asked about
    // first; "Cancelar" drops them at once.
    QStringList unsaved;
    if (m_settings->modified())
        unsaved << windowTitle().remove(QStringLiteral("[*]"));
    for (SettingsEditor *editor : {m_otherSettings.data(), m_castleSiege.data()}) {
        if (editor && editor->modified())
            unsaved << editor->windowTitle().remove(QStringLiteral("[*]"));
    }
    const auto saveAll = [this] {
        bool saved = !m_settings->modified() || binding::runReported([this] { m_settings->save(); });
        for (SettingsEditor *editor : {m_otherSettings.data(), m_castleSiege.data()}) {
            if (saved && editor && editor->modified())
                saved = editor->save();
        }
        return saved;
    };
    if (!m_quitting && !unsaved.isEmpty() && !binding::askBeforeClosing(unsaved, this, saveAll)) {
        event->ignore();
        return;
    }
    m_quitting = false;
    event->accept();
    for (SettingsEditor *editor : {m_otherSettings.data(), m_castleSiege.data()}) {
        if (editor)
            editor->discard();
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this)
            window->close();
    }
    QCoreApplication::quit();
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    QPushButton *defaultButton = m_controls[kCastleSiege];
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && defaultButton->isEnabled()) {
        defaultButton->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace ui
