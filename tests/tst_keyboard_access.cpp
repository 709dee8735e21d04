// What a keyboard or screen-reader user meets: the order Tab visits the
// controls in, the names a screen reader announces, and every window's icon.

#include "platform/gui/application.h"
#include "ui/main/mainwindow.h"
#include "uisupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QString kMain = QStringLiteral("Vardok - Zilvane s3 beta 39 (Versão 0.5)");
const QString kOther = QStringLiteral("Outras Ediçoes");
const QString kCastle = QStringLiteral("Castle Siege");
const QString kInstructions = QStringLiteral("Instruçoes de Uso");
const QString kCredits = QStringLiteral("Creditos");

// Opens the window of that title from a main window whose buttons are unlocked.
QWidget *openWindow(MainWindow &main, const QString &title)
{
    for (const char *button : {"otherSettingsButton", "castleSiegeButton"})
        child<QPushButton>(&main, QLatin1String(button))->setEnabled(true);
    if (title == kMain)
        return &main;
    if (title == kOther)
        child<QPushButton>(&main, QStringLiteral("otherSettingsButton"))->click();
    else if (title == kCastle)
        child<QPushButton>(&main, QStringLiteral("castleSiegeButton"))->click();
    else
        child<QAction>(&main, title == kInstructions ? QStringLiteral("instructionsAction") : QStringLiteral("creditsAction"))->trigger();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() == title && window->isVisible())
            return window;
    }
    return nullptr;
}

QStringList focusChain(QWidget *window)
{
    QStringList names;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
    }
    return names;
}

} // namespace

class TestKeyboardAccess : public QObject
{
    Q_OBJECT

private slots:
    void tabOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");

        QTest::newRow("main window")
            << kMain
            << QStringList{"saveButton", "settingsPath", "AddExperience", "CharacterDeleteMinLevel", "GuildCreateLevel",
                           "MonsterHp", "ItemDropPer", "eventServerAddress", "cancelButton", "browseButton",
                           "openButton", "CreateCharacter", "GuildCreate", "GuildDestroy", "Trade",
                           "otherSettingsButton", "castleSiegeButton"};
        QTest::newRow("Outras Ediçoes: boxes in reading order, then Salvar, Cancelar, Abrir")
            << kOther
            << QStringList{"NumberOfMaxUser", "MaxLevel", "ExcellentItemsDropRate", "ChaosCastleMinPlayers",
                           "ElfSoldierMaxLevel", "MaxZen", "MaxZenMessage", "PointsLevelUp_Normal", "PointsLevelUp_MG",
                           "PointsLevelUp_DL", "ChaosMachineItemMixRate10", "ChaosMachineItemMixRate11",
                           "ChaosMachineItemMixRate12", "ChaosMachineItemMixRate13", "saveButton", "cancelButton",
                           "openButton"};
        QTest::newRow("Castle Siege: the minute box after the buttons")
            << kCastle
            << QStringList{"CastleSiegeRun", "CastleCycleStartYear", "CastleCycleStartMonth", "CastleCycleStartDay",
                           "CastleSpecificState", "CastleStateStartYear", "CastleStateStartMonth",
                           "CastleStateStartDay", "CastleStateStartHour", "openButton", "saveButton", "cancelButton",
                           "CastleStateStartMinute"};
    }

    void tabOrder()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        MainWindow main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QStringList chain = focusChain(form);
        chain.removeAll(QString()); // the menu bar's own helpers have no name
        QCOMPARE(chain, order);
    }

    void everyFieldIsAnnouncedByItsLabel_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << kMain;
        QTest::newRow("Outras Ediçoes") << kOther;
        QTest::newRow("Castle Siege") << kCastle;
    }

    void everyFieldIsAnnouncedByItsLabel()
    {
        QFETCH(QString, window);
        MainWindow main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QList<QWidget *> fields;
        for (QLineEdit *box : form->findChildren<QLineEdit *>())
            fields << box;
        for (QCheckBox *check : form->findChildren<QCheckBox *>())
            fields << check;
        QVERIFY(!fields.isEmpty());
        for (QWidget *field : fields) {
            QLabel *label = nullptr;
            for (QLabel *candidate : form->findChildren<QLabel *>()) {
                if (candidate->buddy() == field)
                    label = candidate;
            }
            QVERIFY2(label, qPrintable(field->objectName() + QStringLiteral(" has no label")));
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(field);
            QVERIFY(accessible);
            QVERIFY2(accessible->text(QAccessible::Name).endsWith(label->text()), qPrintable(field->objectName()));
        }
    }

    void fieldsNamedAsTheUserReadsThem_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");

        QTest::newRow("Experiencia") << kMain << "AddExperience" << "Experiencia:";
        QTest::newRow("address") << kMain << "eventServerAddress" << "Ip´s:";
        QTest::newRow("flag") << kMain << "Trade" << "Trade:";
        QTest::newRow("picture") << kMain << "picture" << "Ilustração: um castelo";
        QTest::newRow("level-up points, first class") << kOther << "PointsLevelUp_Normal" << "Pontos Por Level: Bk, Sm, Elf";
        QTest::newRow("level-up points, DL") << kOther << "PointsLevelUp_DL" << "Pontos Por Level: DL";
        QTest::newRow("mix rate +10") << kOther << "ChaosMachineItemMixRate10" << "Chaos Machine Rate: +10";
        QTest::newRow("mix rate +13") << kOther << "ChaosMachineItemMixRate13" << "Chaos Machine Rate: +13";
        QTest::newRow("a field before the composite rows") << kOther << "MaxZenMessage" << "Alerta de Zen Maximo :";
        QTest::newRow("run flag") << kCastle << "CastleSiegeRun" << "Castle Siege:";
        QTest::newRow("minute") << kCastle << "CastleStateStartMinute" << "Minuto de Inicio:";
    }

    void fieldsNamedAsTheUserReadsThem()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        MainWindow main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(child<QWidget>(form, control));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }

    void escapeDoesWhatCancelarDoes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Outras Ediçoes") << kOther;
        QTest::newRow("Castle Siege") << kCastle;
    }

    void escapeDoesWhatCancelarDoes()
    {
        QFETCH(QString, window);
        MainWindow main;
        QPointer<QWidget> form = openWindow(main, window);
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QLineEdit *box = form->findChildren<QLineEdit *>().constFirst();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull()); // closed and destroyed, as by "Cancelar"
    }

    // Qt's own texts (file dialog, message box buttons, text box menus) speak
    // the windows' language, whatever the system's.
    void qtTextsArePortuguese_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("english");
        QTest::addColumn<QString>("portuguese");

        QTest::newRow("button") << QByteArray("QPlatformTheme") << QByteArray("Cancel") << "Cancelar";
        QTest::newRow("file dialog") << QByteArray("QFileDialog") << QByteArray("Look in:") << "Procurar em:";
        QTest::newRow("text box menu") << QByteArray("QLineEdit") << QByteArray("&Paste") << "C&olar";
    }

    void qtTextsArePortuguese()
    {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, english);
        QFETCH(QString, portuguese);
        platform::setUpApplication(*qApp, QStringLiteral("org.example.CommonServerEditor"));
        QCOMPARE(QCoreApplication::translate(context.constData(), english.constData()), portuguese);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
    }

    void everyWindowShowsTheIcon_data()
    {
        QTest::addColumn<QString>("window");
        for (const QString &window : {kMain, kOther, kCastle, kInstructions, kCredits})
            QTest::newRow(qPrintable(window)) << window;
    }

    void everyWindowShowsTheIcon()
    {
        QFETCH(QString, window);
        MainWindow main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QCOMPARE(form->windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
