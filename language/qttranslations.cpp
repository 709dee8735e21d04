#include "language/qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace language {

void installQtTranslations(QCoreApplication &app)
{
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

} // namespace language
