#include "formdata/identity.h"
#include "ui/info/creditswindow.h"
#include "ui/info/instructionswindow.h"
#include "ui/main/mainwindow.h"
#include "uisupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <QWindow>

namespace {

const QStringList kLinks{"makersLink", "programmingCommunityLink", "gameServerCommunityLink"};

QWidget *showFromMenu(ui::MainWindow &main, const char *item)
{
    child<QAction>(&main, QLatin1String(item))->trigger();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const bool wanted = item == QByteArray("instructionsAction") ? qobject_cast<ui::InstructionsWindow *>(window) != nullptr
                                                                      : qobject_cast<ui::CreditsWindow *>(window) != nullptr;
        if (wanted && window->parentWidget() == &main && window->isVisible())
            return window;
    }
    return nullptr;
}

// Where the mouse goes: a label's centre, or a spot of bare background.
QPoint spot(QWidget *window, const QString &target)
{
    if (target == QLatin1String("background"))
        return QPoint(window->width() - 5, window->height() - 5);
    auto *label = child<QLabel>(window, target);
    return label->mapTo(window, label->rect().center());
}

// How a link shows: "lit" (blue, underlined), "dark" (black, plain), or
// "half" (a colour without its underline, or the other way round).
QString look(QWidget *window, const QString &link)
{
    auto *label = child<QLabel>(window, link);
    const QColor colour = label->palette().color(QPalette::WindowText);
    const bool underlined = label->font().underline();
    if (colour == QColor(0, 0, 255) && underlined)
        return QStringLiteral("lit");
    if (colour == QColor(0, 0, 0) && !underlined)
        return QStringLiteral("dark");
    return QStringLiteral("half");
}

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void hover_data()
    {
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QStringList>("litAfter");

        QTest::newRow("nothing lit at first") << QStringList{} << QStringList{};
        QTest::newRow("one link") << QStringList{"programmingCommunityLink"} << QStringList{"programmingCommunityLink"};
        QTest::newRow("straight from one link onto another")
            << QStringList{"makersLink", "programmingCommunityLink"} << QStringList{"makersLink", "programmingCommunityLink"};
        QTest::newRow("moving over other labels keeps links lit")
            << QStringList{"gameServerCommunityLink", "teamLabel", "authorLabel", "authorCaptionLabel"} << QStringList{"gameServerCommunityLink"};
        QTest::newRow("background clears all three")
            << QStringList{"makersLink", "programmingCommunityLink", "gameServerCommunityLink", "background"} << QStringList{};
        QTest::newRow("lit again after the background")
            << QStringList{"makersLink", "background", "gameServerCommunityLink"} << QStringList{"gameServerCommunityLink"};
    }

    void hover()
    {
        QFETCH(QStringList, moves);
        QFETCH(QStringList, litAfter);
        ui::MainWindow main;
        QWidget *credits = showFromMenu(main, "creditsAction");
        QVERIFY(credits);
        QVERIFY(QTest::qWaitForWindowExposed(credits));
        for (const QString &target : moves)
            QTest::mouseMove(credits->windowHandle(), spot(credits, target));
        for (const QString &link : kLinks)
            QCOMPARE(look(credits, link), litAfter.contains(link) ? QStringLiteral("lit") : QStringLiteral("dark"));
    }

    void clicksOpenTheirPageEveryTime_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("by"); // the mouse, a key once Tab has reached the link, or a screen reader

        QTest::newRow("makers, mouse") << "makersLink" << QString::fromUtf8(formdata::identity::kMakersAddress) << "mouse";
        QTest::newRow("programming community, Enter")
            << "programmingCommunityLink" << QString::fromUtf8(formdata::identity::kProgrammingCommunityAddress) << "Enter";
        QTest::newRow("game-server community, Space")
            << "gameServerCommunityLink" << QString::fromUtf8(formdata::identity::kGameServerCommunityAddress) << "Space";
        QTest::newRow("makers, screen reader")
            << "makersLink" << QString::fromUtf8(formdata::identity::kMakersAddress) << "screen reader";
        QTest::newRow("game-server community, screen reader")
            << "gameServerCommunityLink" << QString::fromUtf8(formdata::identity::kGameServerCommunityAddress) << "screen reader";
    }

    void clicksOpenTheirPageEveryTime()
    {
        QFETCH(QString, link);
        QFETCH(QString, address);
        QFETCH(QString, by);
        UrlRecorder urls;
        ui::MainWindow main;
        QWidget *credits = showFromMenu(main, "creditsAction");
        QVERIFY(QTest::qWaitForWindowActive(credits));
        if (by == QLatin1String("screen reader")) {
            // Announced as a link by its text, with an action that opens it.
            QLabel *label = child<QLabel>(credits, link);
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(label);
            QVERIFY(accessible);
            QCOMPARE(accessible->role(), QAccessible::Link);
            QVERIFY(accessible->state().linked);
            QCOMPARE(accessible->text(QAccessible::Name), label->text());
            QVERIFY2(accessible->text(QAccessible::Description).contains(address),
                     qPrintable(accessible->text(QAccessible::Description)));
            QAccessibleActionInterface *actions = accessible->actionInterface();
            QVERIFY(actions);
            QCOMPARE(actions->actionNames().constFirst(), QAccessibleActionInterface::pressAction());
            actions->doAction(QAccessibleActionInterface::pressAction());
            actions->doAction(QAccessibleActionInterface::pressAction());
            // Its other actions are a label's: a screen reader can move the keyboard to it.
            actions->doAction(QAccessibleActionInterface::setFocusAction());
            QCOMPARE(QApplication::focusWidget(), label);
        } else if (by == QLatin1String("mouse")) {
            QTest::mouseClick(credits->windowHandle(), Qt::LeftButton, {}, spot(credits, link));
            QTest::mouseClick(credits->windowHandle(), Qt::LeftButton, {}, spot(credits, link));
            QTest::mouseClick(credits->windowHandle(), Qt::LeftButton, {}, spot(credits, QStringLiteral("background")));
        } else {
            for (int tabs = 0; tabs == 0 || (QApplication::focusWidget()->objectName() != link && tabs < 5); ++tabs)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), link);
            QCOMPARE(look(credits, link), QStringLiteral("lit")); // the keyboard's place shows as the mouse's does
            const Qt::Key key = by == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Space;
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(look(credits, link), QStringLiteral("dark")); // the keyboard has left it
        }
        QCOMPARE(urls.opened, (QList<QUrl>{QUrl(address), QUrl(address)}));
        QVERIFY(credits->isVisible());
    }

    // The offscreen platform the tests run on has no browser, like a server
    // without a desktop: the address is shown for the user to copy.
    void withoutABrowserTheAddressIsShown()
    {
        FailureRecorder recorder;
        ui::MainWindow main;
        QWidget *credits = showFromMenu(main, "creditsAction");
        QVERIFY(QTest::qWaitForWindowExposed(credits));
        QTest::mouseClick(credits->windowHandle(), Qt::LeftButton, {}, spot(credits, QStringLiteral("programmingCommunityLink")));
        QCOMPARE(recorder.failures.size(), 1);
        QVERIFY(recorder.failures.constFirst().description.contains(
            QString::fromUtf8(formdata::identity::kProgrammingCommunityAddress)));
    }

    void creditsOpenCentredOnTheScreen()
    {
        ui::MainWindow main;
        QWidget *credits = showFromMenu(main, "creditsAction");
        const QPoint offset = credits->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
        // Centred before the first show, when the frame's width is not known yet.
        QVERIFY2(offset.manhattanLength() <= 8, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void showingTwiceGivesOneWindow_data()
    {
        QTest::addColumn<QByteArray>("item");
        QTest::newRow("Como Usar") << QByteArray("instructionsAction");
        QTest::newRow("Creditos") << QByteArray("creditsAction");
    }

    void showingTwiceGivesOneWindow()
    {
        QFETCH(QByteArray, item);
        ui::MainWindow main;
        QPointer<QWidget> first = showFromMenu(main, item.constData());
        QVERIFY(first);
        QCOMPARE(showFromMenu(main, item.constData()), first.data());
        int open = 0;
        for (QWidget *window : QApplication::topLevelWidgets())
            open += window->isVisible() && window->parentWidget() == &main;
        QCOMPARE(open, 1);

        first->close();
        QTRY_VERIFY(first.isNull());
        QWidget *again = showFromMenu(main, item.constData());
        QVERIFY(again);
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
