#include "platform/gui/shell.h"

#include "platform/failure.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void openInBrowser(const QString &address)
{
    if (QDesktopServices::openUrl(QUrl(address)))
        return;
    throw Failure{FailureNumber::ProgramNotFound,
                  QStringLiteral("Não foi possível abrir o navegador. Copie o endereço e abra-o no seu "
                                 "navegador:\n\n%1")
                      .arg(address)};
}

} // namespace platform
