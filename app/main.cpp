#include "application.h"
#include "form1.h"
#include "identity.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    platform::setUpApplication(app, QString::fromUtf8(identity::kDesktopFileName));
    Form1 form;
    form.show();
    return app.exec();
}
