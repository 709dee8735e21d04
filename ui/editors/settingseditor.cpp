#include "ui/forms/frame.h"
#include "ui/editors/settingseditor.h"

#include "desktop/browser.h"
#include "formdata/castlesiegetable.h"
#include "formdata/othersettingstable.h"
#include "ui/binding/reporting.h"
#include "ui/binding/unsavededits.h"
#include "formdata/identity.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

namespace ui {

SettingsEditor *SettingsEditor::otherSettings(binding::PathSource settingsPath, QWidget *owner)
{
    return new SettingsEditor(formdata::othersettings::kEditor, std::move(settingsPath), owner);
}

SettingsEditor *SettingsEditor::castleSiege(binding::PathSource settingsPath, QWidget *owner)
{
    auto *editor = new SettingsEditor(formdata::castlesiege::kEditor, std::move(settingsPath), owner);
    connect(editor->m_actions[formdata::castlesiege::kTutorial], &QAction::triggered, editor, [] {
        binding::runReported([] { desktop::openInBrowser(QString::fromUtf8(formdata::identity::kTutorialAddress)); });
    });
    return editor;
}

SettingsEditor::SettingsEditor(const formdata::EditorTable &table, binding::PathSource settingsPath,
                               QWidget *owner)
    : QMainWindow(owner)
{
    auto *client = new QWidget(this);
    m_controls = forms::buildControls(client, table.window);
    setCentralWidget(client);
    if (!table.window.menu.empty())
        m_actions = forms::buildMenu(menuBar(), table.window.menu);
    forms::fixWindow(this, QString::fromUtf8(table.window.caption), forms::Edits::Marked);
    m_settings.emplace(this, m_controls, table.window, std::move(settingsPath));

    connect(m_controls[table.open], &QPushButton::clicked, this, &SettingsEditor::load);
    connect(m_controls[table.save], &QPushButton::clicked, this, &SettingsEditor::save);
    connect(m_controls[table.cancel], &QPushButton::clicked, this, &SettingsEditor::discard);
    // Escape does what "Cancelar" does; Ctrl+S what "Salvar" does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &SettingsEditor::discard);
    new QShortcut(QKeySequence::Save, this, this, &SettingsEditor::save);
}

bool SettingsEditor::modified() const
{
    return m_settings->modified();
}

void SettingsEditor::load()
{
    // A flag that is not a number is reported once every box is filled.
    binding::runReported([this] { m_settings->load(/*reportUnknownFlags=*/true); });
}

bool SettingsEditor::save()
{
    return binding::runReported([this] { m_settings->save(); });
}

void SettingsEditor::discard()
{
    m_discarding = true;
    close();
}

void SettingsEditor::closeEvent(QCloseEvent *event)
{
    const QString caption = windowTitle().remove(QStringLiteral("[*]"));
    if (m_discarding || !modified() || binding::askBeforeClosing({caption}, this, [this] { return save(); }))
        event->accept();
    else
        event->ignore();
    m_discarding = false;
}

} // namespace ui
