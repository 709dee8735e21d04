#include "platform/gui/application.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

void setUpApplication(QApplication &app, const QString &desktopFileName)
{
    QApplication::setDesktopFileName(desktopFileName);

    // Where the system keeps Qt's translations (Linux), or beside the
    // program, where the Windows build puts them.
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    auto *translator = new QTranslator(&app);
    for (const QString &folder : folders) {
        if (translator->load(QStringLiteral("qtbase_pt_BR"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

} // namespace platform
