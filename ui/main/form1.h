#pragma once

#include "dialogs.h"
#include "settingsbinding.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class Form2;
class Form3;
class Form4;
class Form5;

// The start-up window: owns the settings file path, edits the twelve main
// keys and leads to every other window.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // The settings file path: whatever the path box holds right now.
    QString settingsPath() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Initialize();
    void Command3_Click(); // "Procurar"
    void Command4_Click(); // "Abrir"
    void mnuabrir_Click();
    void Command1_Click(); // "Salvar"
    void mnusalvar_Click();
    void Command2_Click(); // "Cancelar"
    void Command5_Click(); // "Outras Ediçoes"
    void Command6_Click(); // "Castle Siege"
    void mnuhrlp_Click();     // "Como Usar"
    void mnucreditos_Click(); // "Creditos"

    // Reads the path box afresh each time it is called, for every key.
    forms::PathSource pathSource() const;
    void load();
    void save();

    platform::OpenFileDialog CommonDialog1;
    std::optional<forms::SettingsBinding> m_settings;
    QPointer<Form4> m_form4;
    QPointer<Form5> m_form5;
    QPointer<Form3> m_form3;
    QPointer<Form2> m_form2;
};
