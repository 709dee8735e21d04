#pragma once

#include <QWidget>

// "Instruçoes de Uso": a few fixed lines on how to use the program.
class Form3 : public QWidget
{
    Q_OBJECT

public:
    explicit Form3(QWidget *owner);
};
