// The yardsticks for the editor's start-up: a bare Qt window of the main
// window's size with nothing in it; with --text, the least a window like the
// editor's needs: a menu bar with one menu and one label, which make Qt load
// its font database and the menu bar's style icon before the window shows.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    if (app.arguments().contains(QStringLiteral("--text"))) {
        window.menuBar()->addMenu(QStringLiteral("Arquivo"))->addAction(QStringLiteral("Abrir"));
        window.setCentralWidget(new QLabel(QStringLiteral("Local do Arquivo:")));
    }
    window.resize(429, 508);
    window.show();
    return app.exec();
}
