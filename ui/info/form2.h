#pragma once

#include <QWidget>

class QLabel;

// "Creditos": the makers, the author, and three links that light up under
// the mouse and open their web pages.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget *owner);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void Label5_MouseMove();
    void Label6_MouseMove();
    void Label7_MouseMove();
    void Form_MouseMove();
    void Label5_Click();
    void Label6_Click();
    void Label7_Click();

    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
};
