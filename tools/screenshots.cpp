// Renders every window to PNG, as a user sees it after loading the sample
// settings file (a copy of it, so the sample stays as it is).
//   screenshots OUTPUT_FOLDER SAMPLE_FILE
// Run on the offscreen platform; scripts/screenshots.sh does that.

#include "application.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "form5.h"
#include "formbuilder.h"
#include "identity.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

template <typename Window>
Window *openWindow(const Form1 &main)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<Window *>(window); found && found->isVisible())
            return found;
    }
    std::fprintf(stderr, "window %s did not open\n", Window::staticMetaObject.className());
    Q_UNUSED(main);
    std::exit(1);
}

bool save(QWidget *window, const QDir &folder, const QString &name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshots OUTPUT_FOLDER SAMPLE_FILE\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // A fixed place for the copy, so the path box reads the same every time.
    QDir work(QDir::temp().filePath(QStringLiteral("commonserver-editor")));
    const QString sample = work.filePath(QStringLiteral("commonserver.cfg"));
    QFile::remove(sample);
    if (!QDir().mkpath(folder.path()) || !work.mkpath(QStringLiteral("."))
        || !QFile::copy(QString::fromLocal8Bit(argv[2]), sample))
        return 1;

    platform::setUpApplication(app, QString::fromUtf8(identity::kDesktopFileName));
    Form1 main;
    main.show();
    forms::child<QLineEdit>(&main, "Text1")->setText(sample);
    forms::child<QPushButton>(&main, "Command4")->setEnabled(true);
    forms::child<QPushButton>(&main, "Command4")->click();
    bool ok = save(&main, folder, QStringLiteral("main"));

    // The file dialog of "Procurar", cancelled once it is drawn.
    QTimer::singleShot(0, &main, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            std::fprintf(stderr, "the file dialog did not open\n");
            std::exit(1);
        }
        dialog->setViewMode(QFileDialog::List); // no file dates: the same picture every time
        ok &= save(dialog, folder, QStringLiteral("procurar"));
        dialog->reject();
    });
    forms::child<QPushButton>(&main, "Command3")->click();

    forms::child<QPushButton>(&main, "Command5")->click();
    auto *other = openWindow<Form4>(main);
    forms::child<QPushButton>(other, "Command3")->click();
    ok &= save(other, folder, QStringLiteral("outras-edicoes"));

    forms::child<QPushButton>(&main, "Command6")->click();
    auto *castle = openWindow<Form5>(main);
    forms::child<QPushButton>(castle, "Command1")->click();
    ok &= save(castle, folder, QStringLiteral("castle-siege"));

    forms::child<QAction>(&main, "mnuhrlp")->trigger();
    ok &= save(openWindow<Form3>(main), folder, QStringLiteral("instrucoes"));

    forms::child<QAction>(&main, "mnucreditos")->trigger();
    auto *credits = openWindow<Form2>(main);
    auto *link = forms::child<QLabel>(credits, "Label5");
    QTest::mouseMove(credits->windowHandle(), link->mapTo(credits, link->rect().center()));
    ok &= save(credits, folder, QStringLiteral("creditos"));
    return ok ? 0 : 1;
}
