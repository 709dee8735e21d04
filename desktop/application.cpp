#include "desktop/application.h"

#include "engine/translations.h"

#include <QApplication>

namespace desktop {

void setUpApplication(QApplication &app, const QString &desktopFileName)
{
    QApplication::setDesktopFileName(desktopFileName);
    engine::installQtTranslations(app);
}

} // namespace desktop
