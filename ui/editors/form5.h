#pragma once

#include "settingsbinding.h"

#include <QMainWindow>

#include <optional>

// "Castle Siege": the ten keys that schedule the castle siege, through the
// path the main window holds, and a menu that opens the tutorial page.
class Form5 : public QMainWindow
{
    Q_OBJECT

public:
    Form5(forms::PathSource settingsPath, QWidget *owner);

private:
    void Form_Initialize();
    void Command1_Click(); // "Abrir"
    void Command2_Click(); // "Salvar"
    void Command3_Click(); // "Cancelar"
    void mnuTutorial_Click();

    std::optional<forms::SettingsBinding> m_settings;
};
