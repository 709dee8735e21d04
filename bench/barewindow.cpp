// The yardstick for the editor's start-up: a bare Qt window of the main
// window's size, with nothing in it.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(429, 508);
    window.show();
    return app.exec();
}
