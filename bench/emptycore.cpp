// The yardstick for commonserver-cfg's start-up: a Qt Core program that
// makes its application object and exits at once.

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
