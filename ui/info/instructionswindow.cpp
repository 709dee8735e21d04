#include "ui/info/instructionswindow.h"

#include "formdata/instructionstable.h"
#include "ui/forms/controls.h"
#include "ui/forms/frame.h"

namespace ui {

InstructionsWindow::InstructionsWindow(QWidget *owner)
    : QWidget(owner)
{
    forms::buildControls(this, formdata::instructions::kWindow);
    forms::fixWindow(this, QString::fromUtf8(formdata::instructions::kWindow.caption));
}

} // namespace ui
