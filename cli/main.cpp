// commonserver-cfg: the editor's edits of commonserver.cfg from a terminal,
// for servers without a display, scripts and many servers at once.

#include "cli/commandline.h"
#include "platform/console.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("commonserver-cfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(COMMONSERVER_VERSION));
    platform::useUtf8Console();
    platform::installQtTranslations(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cli::run(QCoreApplication::arguments(), {out, err});
}
