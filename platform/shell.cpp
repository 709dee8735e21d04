#include "shell.h"

#include <QDesktopServices>
#include <QUrl>

void openInBrowser(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
