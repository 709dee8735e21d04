#pragma once

#include <QWidget>

namespace ui {

// "Instruçoes de Uso": a few fixed lines on how to use the program.
class InstructionsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit InstructionsWindow(QWidget *owner);
};

} // namespace ui
