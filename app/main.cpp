#include "desktop/application.h"
#include "formdata/identity.h"
#include "ui/main/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    desktop::setUpApplication(app, QString::fromUtf8(formdata::identity::kDesktopFileName));
    ui::MainWindow window(QCoreApplication::arguments().value(1)); // a file to open, from the desktop
    window.show();
    return app.exec();
}
