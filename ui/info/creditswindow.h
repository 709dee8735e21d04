#pragma once

#include "ui/forms/controls.h"

#include <QWidget>

namespace ui {

// "Creditos": the makers, the author, and three links that light up under
// the mouse and open their web pages.
class CreditsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CreditsWindow(QWidget *owner);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void clearLinks();

    forms::Controls m_controls;
};

} // namespace ui
