#include "ui/forms/frame.h"

#include "ui/forms/accessibility.h"

#include <QIcon>
#include <QLayout>
#include <QWidget>

namespace ui::forms {

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) // Qt reads each file here, once
        icon.addFile(QStringLiteral(":/assets/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void fixWindow(QWidget *window, const QString &caption, Edits edits)
{
    window->setWindowTitle(edits == Edits::Marked ? caption + QStringLiteral("[*]") : caption);
    window->setWindowIcon(programIcon());
    const Qt::WindowFlags type = window->parentWidget() ? Qt::Dialog : Qt::Window;
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    if (window->layout()) // a main window: menu bar above a fixed client area
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    announceAsWindow(window);
}

} // namespace ui::forms
