#include "desktop/browser.h"

#include "engine/failure.h"

#include <QDesktopServices>
#include <QUrl>

namespace desktop {

void openInBrowser(const QString &address)
{
    if (QDesktopServices::openUrl(QUrl(address)))
        return;
    throw engine::Failure{engine::FailureNumber::ProgramNotFound,
                  QStringLiteral("Não foi possível abrir o navegador. Copie o endereço e abra-o no seu "
                                 "navegador:\n\n%1")
                      .arg(address)};
}

} // namespace desktop
