#pragma once

#include "formdata/editor.h"
#include "ui/forms/formbuilder.h"
#include "ui/forms/settingsbinding.h"

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
    static SettingsEditor *otherSettings(forms::PathSource settingsPath, QWidget *owner);
    // The ten castle siege keys, and a menu that opens the tutorial page.
    static SettingsEditor *castleSiege(forms::PathSource settingsPath, QWidget *owner);

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
    SettingsEditor(const formdata::EditorTable &table, forms::PathSource settingsPath, QWidget *owner);

    void load(); // "Abrir"

    forms::Controls m_controls;
    forms::Actions m_actions;
    std::optional<forms::SettingsBinding> m_settings;
    bool m_discarding = false;
};

} // namespace ui
