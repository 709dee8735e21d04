#include "platform/gui/application.h"

#include "platform/console.h"

#include <QApplication>

namespace platform {

void setUpApplication(QApplication &app, const QString &desktopFileName)
{
    QApplication::setDesktopFileName(desktopFileName);
    installQtTranslations(app);
}

} // namespace platform
