// Every window as the user first sees it: its caption, icon and border, its
// fixed size, who owns it, how a screen reader announces it, and labels
// that show their whole text; and which keys, in which order, its "Salvar"
// writes. How it looks is compared with the screenshots (lookasshipped.sh).

#include "desktop/fonts.h"
#include "ui/main/mainwindow.h"
#include "uisupport.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScopeGuard>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QTest>

#include <algorithm>

namespace {

using namespace titles;

// The area under the menu bar, or the whole window when it has none.
QSize clientSize(QWidget *window)
{
    if (auto *main = qobject_cast<QMainWindow *>(window))
        return main->centralWidget()->size();
    return window->size();
}

// The family a font is drawn in on this machine. Qt names a family found
// twice (the "fonts" folder beside the tests and the system's) with its
// foundry, "Z003 [UKWN]".
QString drawnFamily(const QFont &font)
{
    return QFontInfo(font).family().section(QStringLiteral(" ["), 0, 0);
}

// Every field of the window changed, then "Salvar" on a file whose section is
// empty: the keys it adds, in the order it adds them.
QStringList keysSavedBy(const QString &title)
{
    MainWindowOnFile setup("[GameServerInfo]\r\n");
    QWidget *window = openWindow(setup.main, title);
    if (!window)
        return {QStringLiteral("<no window titled %1>").arg(title)};
    for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
        if (box->objectName() != QLatin1String("settingsPath"))
            box->setText(QStringLiteral("7"));
    }
    for (QCheckBox *check : window->findChildren<QCheckBox *>())
        check->setChecked(true);
    if (title == kMain)
        child<QAction>(window, QStringLiteral("saveAction"))->trigger();
    else
        child<QPushButton>(window, QStringLiteral("saveButton"))->click();
    QStringList written;
    for (const QByteArray &line : fileBytes(setup.path).split('\n')) {
        if (line.contains('='))
            written << QString::fromLatin1(line.left(line.indexOf('=')));
    }
    return written;
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void setUp_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("client"); // in pixels at 96 dots per inch
        QTest::addColumn<bool>("owned");   // owned windows have no taskbar entry

        QTest::newRow("main window") << kMain << QSize(429, 488) << false;
        QTest::newRow("Outras Ediçoes") << kOther << QSize(368, 377) << true;
        QTest::newRow("Castle Siege") << kCastle << QSize(324, 484) << true;
        QTest::newRow("Instruçoes de Uso") << kInstructions << QSize(312, 293) << true;
        QTest::newRow("Creditos") << kCredits << QSize(217, 178) << true;
    }

    void setUp()
    {
        QFETCH(QString, title);
        QFETCH(QSize, client);
        QFETCH(bool, owned);
        ui::MainWindow main;
        QWidget *window = openWindow(main, title);
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QCOMPARE(caption(window), title);
        QVERIFY(!window->windowIcon().isNull());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        // Fixed: the user cannot make it larger or smaller.
        QCOMPARE(clientSize(window), client);
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->size(), window->minimumSize());
        QCOMPARE(window->parentWidget() == &main, owned);
        QVERIFY(!window->isModal());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(window);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Window);
        QCOMPARE(accessible->text(QAccessible::Name), title);
    }

    void labelsShowTheirWholeText_data()
    {
        QTest::addColumn<QString>("title");
        for (const QString &title : {kMain, kOther, kCastle, kInstructions, kCredits})
            QTest::newRow(qPrintable(title)) << title;
    }

    // Long labels wrap within their box, links sit on one line as wide as
    // their text. Two pixels of slack: the box of a line ends above the
    // font's descent. Measured with the fonts the windows ask for, or the
    // stand-ins they name; a system without them (a bare Wine prefix) lays
    // text out otherwise.
    void labelsShowTheirWholeText()
    {
        QFETCH(QString, title);
        // Each family the windows ask for, with its stand-ins.
        const QHash<QString, QStringList> fonts{
            {"MS Sans Serif", {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial", "Helvetica"}},
            {"Monotype Corsiva",
             {"Monotype Corsiva", "Z003", "TeX Gyre Chorus", "URW Chancery L", "Lucida Calligraphy", "Segoe Script"}}};
        ui::MainWindow main;
        QWidget *window = openWindow(main, title);
        QVERIFY(window);
        int labels = 0;
        int withoutTheirFont = 0;
        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text().isEmpty())
                continue; // the picture
            if (!fonts.value(label->font().family()).contains(drawnFamily(label->font()))) {
                ++withoutTheirFont;
                continue;
            }
            ++labels;
            const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height() + 2,
                     qPrintable(QStringLiteral("%1, in %6: needs %2x%3, has %4x%5")
                                    .arg(label->objectName())
                                    .arg(needed.width())
                                    .arg(needed.height())
                                    .arg(label->width())
                                    .arg(label->height())
                                    .arg(drawnFamily(label->font()))));
        }
        if (labels == 0 && withoutTheirFont > 0)
            QSKIP("none of the fonts the windows ask for is installed here");
        QVERIFY(labels > 0);
    }

    // Only the wider stand-ins are narrowed: on Windows the classic font
    // keeps its own width.
    void sansSerifNarrowedInStandInsOnly_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("narrowed");
        QTest::newRow("the classic bitmap font") << "MS Sans Serif" << false;
        QTest::newRow("its TrueType successor") << "Microsoft Sans Serif" << false;
        QTest::newRow("Liberation Sans") << "Liberation Sans" << true;
        QTest::newRow("Arial") << "Arial" << true;
    }

    void sansSerifNarrowedInStandInsOnly()
    {
        QFETCH(QString, family);
        QFETCH(bool, narrowed);
        QCOMPARE(desktop::narrowed(family), narrowed);
    }

    // Each typeface is drawn in itself or one of its stand-ins, with the font
    // shipped in the "fonts" folder beside the program among them; the
    // calligraphic headings do not take on the narrowing of the windows'
    // sans-serif they sit in.
    void typefacesFindTheirFonts_data()
    {
        QTest::addColumn<int>("typeface");
        QTest::addColumn<QStringList>("families");
        QTest::addColumn<bool>("narrowable");
        QTest::newRow("sans-serif") << int(desktop::Typeface::SansSerif)
                                    << QStringList{"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans",
                                                   "Arial", "Helvetica"}
                                    << true;
        QTest::newRow("calligraphic") << int(desktop::Typeface::Calligraphic)
                                      << QStringList{"Monotype Corsiva", "Z003", "TeX Gyre Chorus", "URW Chancery L",
                                                     "Lucida Calligraphy", "Segoe Script"}
                                      << false;
    }

    void typefacesFindTheirFonts()
    {
        QFETCH(int, typeface);
        QFETCH(QStringList, families);
        QFETCH(bool, narrowable);
        desktop::setUpFonts();
        QVERIFY(QFontDatabase::applicationFontFamilies(0).contains(QStringLiteral("Z003")));
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
        QApplication::setFont(desktop::defaultWindowFont());
        QLabel label;
        label.setFont(desktop::windowFont(desktop::Typeface(typeface), 12));
        const QString family = drawnFamily(label.font());
        QCOMPARE(label.font().stretch() == 92, narrowable && desktop::narrowed(family));
        const QStringList installed = QFontDatabase::families();
        if (std::none_of(installed.cbegin(), installed.cend(), [&](const QString &name) {
                return families.contains(name.section(QStringLiteral(" ["), 0, 0));
            }))
            QSKIP("none of this typeface's fonts is installed here (a bare Wine prefix)");
        QVERIFY2(families.contains(family), qPrintable(family));
    }

    void saveWritesEveryKeyInItsOrder_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("keys");

        QTest::newRow("main window")
            << kMain
            << QStringList{"AddExperience", "MonsterHp", "ItemDropPer", "CharacterDeleteMinLevel", "GuildCreateLevel",
                           "ChaosEventServer", "EventChipServerIp", "DevilSquareEventServer", "CreateCharacter",
                           "GuildCreate", "GuildDestroy", "Trade"};
        QTest::newRow("Outras Ediçoes")
            << kOther
            << QStringList{"NumberOfMaxUser", "MaxLevel", "ExcellentItemsDropRate", "ChaosCastleMinPlayers",
                           "ElfSoldierMaxLevel", "MaxZen", "MaxZenMessage", "PointsLevelUp_Normal", "PointsLevelUp_MG",
                           "PointsLevelUp_DL", "ChaosMachineItemMixRate10", "ChaosMachineItemMixRate11",
                           "ChaosMachineItemMixRate12", "ChaosMachineItemMixRate13"};
        QTest::newRow("Castle Siege")
            << kCastle
            << QStringList{"CastleCycleStartYear", "CastleCycleStartMonth", "CastleCycleStartDay", "CastleSpecificState",
                           "CastleStateStartYear", "CastleStateStartMonth", "CastleStateStartDay",
                           "CastleStateStartHour", "CastleStateStartMinute", "CastleSiegeRun"};
    }

    void saveWritesEveryKeyInItsOrder()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, keys);
        QCOMPARE(keysSavedBy(title), keys);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
