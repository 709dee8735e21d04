#pragma once

#include "settingsbinding.h"

#include <QWidget>

#include <optional>

// "Outras Ediçoes": fourteen further keys of the settings file, through the
// path the main window holds.
class Form4 : public QWidget
{
    Q_OBJECT

public:
    Form4(forms::PathSource settingsPath, QWidget *owner);

private:
    void Form_Initialize();
    void Command3_Click(); // "Abrir"
    void Command1_Click(); // "Salvar"
    void Command2_Click(); // "Cancelar"

    std::optional<forms::SettingsBinding> m_settings;
};
