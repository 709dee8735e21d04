#pragma once

#include "desktop/dialogs.h"
#include "ui/forms/controls.h"
#include "ui/forms/menus.h"
#include "ui/binding/settingsbinding.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

namespace ui {

class CreditsWindow;
class InstructionsWindow;
class SettingsEditor;

// The start-up window: owns the settings file path, edits the twelve main
// keys and leads to every other window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // With `file`, the window starts as after "Procurar" and "Abrir" on it.
    explicit MainWindow(const QString &file = QString(), QWidget *parent = nullptr);

    // The settings file path: whatever the path box holds right now.
    QString settingsPath() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void browse();
    void loadAndUnlock(); // "Abrir": load, then unlock the other buttons
    void load();          // "Arquivo", "Abrir": load only
    void save();
    void quit(); // "Cancelar": ends the program at once, edits dropped
    void showOtherSettings();
    void showCastleSiege();
    void showInstructions();
    void showCredits();

    // Reads the path box afresh each time it is called, for every key.
    binding::PathSource pathSource() const;

    forms::Controls m_controls;
    forms::Actions m_actions;
    desktop::OpenFileDialog m_fileDialog;
    std::optional<binding::SettingsBinding> m_settings;
    QPointer<SettingsEditor> m_otherSettings;
    QPointer<SettingsEditor> m_castleSiege;
    QPointer<InstructionsWindow> m_instructions;
    QPointer<CreditsWindow> m_credits;
    bool m_quitting = false;
};

} // namespace ui
