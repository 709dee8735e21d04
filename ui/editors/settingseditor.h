#pragma once

#include "ui/editors/editortable.h"
#include "ui/forms/formbuilder.h"
#include "ui/forms/settingsbinding.h"

#include <QMainWindow>

#include <optional>

// A window that edits some keys of the settings file through the path the
// main window holds, with its own "Abrir", "Salvar" and "Cancelar": "Outras
// Ediçoes" and "Castle Siege", each made by its own function.
class SettingsEditor : public QMainWindow
{
    Q_OBJECT

public:
    // Fourteen further keys.
    static SettingsEditor *otherSettings(forms::PathSource settingsPath, QWidget *owner);
    // The ten castle siege keys, and a menu that opens the tutorial page.
    static SettingsEditor *castleSiege(forms::PathSource settingsPath, QWidget *owner);

private:
    SettingsEditor(const editors::EditorTable &table, forms::PathSource settingsPath, QWidget *owner);

    void open();
    void save();
    void cancel();

    forms::Controls m_controls;
    forms::Actions m_actions;
    std::optional<forms::SettingsBinding> m_settings;
};
