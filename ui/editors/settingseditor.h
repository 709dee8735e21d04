#pragma once

#include "formdata/editortable.h"
#include "ui/forms/controls.h"
#include "ui/forms/menus.h"
#include "ui/binding/settingsbinding.h"

#include <QMainWindow>

#include <optional>

namespace ui {

// A window that edits some keys of the settings file through the path the
// main window holds, with its own "Abrir", "Salvar" and "Cancelar": "Outras
// Ediçoes" and "Castle Siege", each made by its own function.
class SettingsEditor : public QMainWindow
{
    Q_OBJECT

public:
    // Fourteen further keys.
    static SettingsEditor *otherSettings(binding::PathSource settingsPath, QWidget *owner);
    // The ten castle siege keys, and a menu that opens the tutorial page.
    static SettingsEditor *castleSiege(binding::PathSource settingsPath, QWidget *owner);

    // Whether a box holds an edit not saved yet.
    bool modified() const;
    // "Salvar": whether the edits are in the file now.
    bool save();
    // Closes the window and drops its edits, without asking.
    void discard();

protected:
    // The close box asks first when there are unsaved edits.
    void closeEvent(QCloseEvent *event) override;

private:
    SettingsEditor(const formdata::EditorTable &table, binding::PathSource settingsPath, QWidget *owner);

    void load(); // "Abrir"

    forms::Controls m_controls;
    forms::Actions m_actions;
    std::optional<binding::SettingsBinding> m_settings;
    bool m_discarding = false;
};

} // namespace ui
