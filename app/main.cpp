#include "platform/gui/application.h"
#include "ui/identity.h"
#include "ui/main/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    platform::setUpApplication(app, QString::fromUtf8(identity::kDesktopFileName));
    MainWindow window(QCoreApplication::arguments().value(1)); // a file to open, from the desktop
    window.show();
    return app.exec();
}
