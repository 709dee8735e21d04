// Renders every window to PNG, as a user sees it after loading the sample
// settings file (a copy of it, so the sample stays as it is), and writes
// fonts.txt: which font each window's texts resolved to and which style drew
// its marks, so that a picture that changed with the machine's fonts says why.
//   screenshots OUTPUT_FOLDER SAMPLE_FILE
// Run on the offscreen platform; scripts/screenshots.sh does that.

#include "desktop/application.h"
#include "ui/editors/settingseditor.h"
#include "formdata/identity.h"
#include "ui/info/creditswindow.h"
#include "ui/info/instructionswindow.h"
#include "ui/main/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <map>

namespace {

// The visible window of that class with that title.
template <typename Window>
Window *openWindow(const char *title)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *found = qobject_cast<Window *>(window);
        if (found && found->isVisible() && found->windowTitle().remove(QStringLiteral("[*]")) == QString::fromUtf8(title))
            return found;
    }
    std::fprintf(stderr, "window %s did not open\n", title);
    std::exit(1);
}

template <typename T>
T *child(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return found;
}

// The fonts a window's texts are drawn in, as the font system resolved them,
// with the kinds of control that use each; and the style, which draws the
// check marks and frames.
QString fontsOf(QWidget *window, const QString &name)
{
    std::map<QString, std::map<QString, int>> users;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const bool drawsText = qobject_cast<QLabel *>(widget) ? !qobject_cast<QLabel *>(widget)->text().isEmpty()
                                                              : qobject_cast<QAbstractButton *>(widget)
                                                                    || qobject_cast<QLineEdit *>(widget)
                                                                    || qobject_cast<QMenuBar *>(widget);
        if (!drawsText || !widget->isVisible())
            continue;
        const QFontInfo info(widget->font());
        const QString font = QStringLiteral("%1 %2 %3 pt, stretch %4")
                                 .arg(info.family(), info.styleName())
                                 .arg(info.pointSizeF())
                                 .arg(widget->font().stretch());
        ++users[font][QString::fromLatin1(widget->metaObject()->className())];
    }
    QString lines;
    for (const auto &[font, kinds] : users) {
        QStringList counted;
        for (const auto &[kind, count] : kinds)
            counted << QStringLiteral("%1 x%2").arg(kind).arg(count);
        lines += QStringLiteral("%1: %2: %3\n").arg(name, font, counted.join(QStringLiteral(", ")));
    }
    return lines + QStringLiteral("%1: marks and frames drawn by the %2 style\n").arg(name, window->style()->name());
}

QString fonts;

bool save(QWidget *window, const QDir &folder, const QString &name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    fonts += fontsOf(window, name);
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

    desktop::setUpApplication(app, QString::fromUtf8(formdata::identity::kDesktopFileName));
    ui::MainWindow main;
    child<QLineEdit>(&main, "settingsPath")->setText(sample);
    child<QPushButton>(&main, "openButton")->setEnabled(true);
    child<QPushButton>(&main, "openButton")->click();
    // Shown once loaded: the focus goes where it goes for a window that
    // shows with its buttons unlocked, the same every time.
    main.show();
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
    child<QPushButton>(&main, "browseButton")->click();

    child<QPushButton>(&main, "otherSettingsButton")->click();
    auto *other = openWindow<ui::SettingsEditor>("Outras Ediçoes");
    child<QPushButton>(other, "openButton")->click();
    ok &= save(other, folder, QStringLiteral("outras-edicoes"));

    child<QPushButton>(&main, "castleSiegeButton")->click();
    auto *castle = openWindow<ui::SettingsEditor>("Castle Siege");
    child<QPushButton>(castle, "openButton")->click();
    ok &= save(castle, folder, QStringLiteral("castle-siege"));

    child<QAction>(&main, "instructionsAction")->trigger();
    ok &= save(openWindow<ui::InstructionsWindow>("Instruçoes de Uso"), folder, QStringLiteral("instrucoes"));

    child<QAction>(&main, "creditsAction")->trigger();
    auto *credits = openWindow<ui::CreditsWindow>("Creditos");
    auto *link = child<QLabel>(credits, "makersLink");
    QTest::mouseMove(credits->windowHandle(), link->mapTo(credits, link->rect().center()));
    ok &= save(credits, folder, QStringLiteral("creditos"));

    // News from the disk: the sample deleted under the main window, which
    // tells it in its bar once the window has looked.
    QFile::remove(sample);
    auto *news = child<QLabel>(&main, "newsBar");
    for (int waited = 0; !news->isVisible() && waited < 5000; waited += 10)
        QTest::qWait(10);
    ok &= news->isVisible() && save(&main, folder, QStringLiteral("aviso"));

    QFile record(folder.filePath(QStringLiteral("fonts.txt")));
    ok &= record.open(QIODevice::WriteOnly) && record.write(fonts.toUtf8()) == fonts.toUtf8().size();
    return ok ? 0 : 1;
}
