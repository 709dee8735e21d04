#include "desktop/application.h"

#include "desktop/fonts.h"
#include "language/qttranslations.h"

#include <QApplication>

namespace desktop {

void setUpApplication(QApplication &app, const QString &desktopFileName)
{
    QApplication::setDesktopFileName(desktopFileName);
    language::installQtTranslations(app);
    setUpFonts();
    QApplication::setFont(defaultWindowFont());
#ifndef Q_OS_WIN
    // The windows' fixed geometry is measured in Fusion; a desktop's own style
    // (wider frames, larger check marks) would cut texts off. One the user
    // names in QT_STYLE_OVERRIDE still wins.
    if (qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE"))
        QApplication::setStyle(QStringLiteral("Fusion"));
#endif
}

} // namespace desktop
