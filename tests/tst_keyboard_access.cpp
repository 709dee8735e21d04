// What a keyboard or screen-reader user meets: the order Tab visits the
// controls in, the names a screen reader announces, and every window's icon.

#include "desktop/application.h"
#include "desktop/dialogs.h"
#include "desktop/fonts.h"
#include "formdata/identity.h"
#include "ui/main/mainwindow.h"
#include "uisupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace {

using namespace titles;

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
        ui::MainWindow main;
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
        ui::MainWindow main;
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
            const QAccessible::Role role = qobject_cast<QLineEdit *>(field) ? QAccessible::EditableText : QAccessible::CheckBox;
            QCOMPARE(accessible->role(), role);
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
        ui::MainWindow main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(child<QWidget>(form, control));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }

    // Enter and the keypad's Enter press the focused button; elsewhere in
    // the main window they press "Castle Siege" once it is enabled.
    void enterPressesTheRightButton_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<bool>("castleSiegeEnabled");
        QTest::addColumn<QString>("pressed"); // empty: none

        QTest::newRow("main, box, Castle Siege locked") << kMain << "AddExperience" << false << false << "";
        QTest::newRow("main, box, keypad, Castle Siege locked") << kMain << "AddExperience" << true << false << "";
        QTest::newRow("main, box") << kMain << "AddExperience" << false << true << "castleSiegeButton";
        QTest::newRow("main, box, keypad") << kMain << "AddExperience" << true << true << "castleSiegeButton";
        QTest::newRow("main, check box, keypad") << kMain << "Trade" << true << true << "castleSiegeButton";
        QTest::newRow("main, Abrir") << kMain << "openButton" << false << true << "openButton";
        QTest::newRow("main, Outras Ediçoes, keypad") << kMain << "otherSettingsButton" << true << true
                                                       << "otherSettingsButton";
        QTest::newRow("Outras Ediçoes, Abrir, keypad") << kOther << "openButton" << true << true << "openButton";
        QTest::newRow("Castle Siege, Salvar") << kCastle << "saveButton" << false << true << "saveButton";
        QTest::newRow("Castle Siege, box: no default button") << kCastle << "CastleCycleStartYear" << false << true
                                                              << "";
    }

    void enterPressesTheRightButton()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        QFETCH(bool, keypad);
        QFETCH(bool, castleSiegeEnabled);
        QFETCH(QString, pressed);
        FailureRecorder recorder;
        ui::MainWindow main;
        main.show();
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        child<QPushButton>(&main, QStringLiteral("castleSiegeButton"))->setEnabled(castleSiegeEnabled);
        child<QPushButton>(&main, QStringLiteral("openButton"))->setEnabled(true);
        QStringList clicked;
        for (QPushButton *button : form->findChildren<QPushButton *>()) {
            connect(button, &QPushButton::clicked, this, [&clicked, button] { clicked << button->objectName(); });
        }
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QWidget *focused = child<QWidget>(form, focus);
        focused->setFocus();
        QTest::keyClick(focused, keypad ? Qt::Key_Enter : Qt::Key_Return, keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(clicked, pressed.isEmpty() ? QStringList() : QStringList{pressed});
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
        ui::MainWindow main;
        QPointer<QWidget> form = openWindow(main, window);
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QLineEdit *box = form->findChildren<QLineEdit *>().constFirst();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull()); // closed and destroyed, as by "Cancelar"
    }

    // The real question box: Return answers its default (the first own
    // button), Escape what closing the question means; its text can be copied.
    void keysAnswerAQuestion_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("escape");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        const QStringList three{"Restaurar", "Manter", "Cancelar"};
        QTest::newRow("own buttons, Escape: the last") << three << 0 << 2 << int(Qt::Key_Escape) << 2;
        QTest::newRow("own buttons, Return: the first") << three << 0 << 2 << int(Qt::Key_Return) << 0;
        QTest::newRow("own buttons, Escape: the first") << QStringList{"Fechar", "Abrir de novo"} << 0 << 0
                                                        << int(Qt::Key_Escape) << 0;
        const int saveDiscardCancel = int(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QTest::newRow("standard buttons, Escape") << QStringList{} << saveDiscardCancel << int(QMessageBox::Cancel)
                                                  << int(Qt::Key_Escape) << int(QMessageBox::Cancel);
    }

    void keysAnswerAQuestion()
    {
        QFETCH(QStringList, buttons);
        QFETCH(int, standard);
        QFETCH(int, escape);
        QFETCH(int, key);
        QFETCH(int, answer);
        Qt::TextInteractionFlags flags;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                poll.stop();
                flags = box->textInteractionFlags();
                QTest::keyClick(box, Qt::Key(key));
            }
        });
        poll.start(10);
        QCOMPARE(desktop::ask({QStringLiteral("Pergunta?"), buttons, standard, escape}, QStringLiteral("Teste"), nullptr),
                 answer);
        QVERIFY(flags & Qt::TextSelectableByKeyboard);
    }

    // The real report of an unhandled failure: critical, titled with the
    // program, the classic number and then the reason, which can be copied.
    void realFailureReport()
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextInteractionFlags flags;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                poll.stop();
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                flags = box->textInteractionFlags();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        poll.start(10);
        desktop::reportUnhandled({75, QStringLiteral("Erro de acesso ao caminho/arquivo")}, QStringLiteral("Teste"));
        QCOMPARE(title, QStringLiteral("Teste"));
        QCOMPARE(text, QStringLiteral("Erro em tempo de execução '75':\n\nErro de acesso ao caminho/arquivo"));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(flags & Qt::TextSelectableByKeyboard);
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
        desktop::setUpApplication(*qApp, QString::fromUtf8(formdata::identity::kDesktopFileName));
        QCOMPARE(QCoreApplication::translate(context.constData(), english.constData()), portuguese);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
        // The desktop finds the running editor's name and icon by this name:
        // the entry the package installs.
        QVERIFY2(QFile::exists(fixture("../../packaging/") + QGuiApplication::desktopFileName() + ".desktop"),
                 qPrintable(QGuiApplication::desktopFileName()));
    }

    // The windows' geometry is measured in Fusion and their own font: a
    // desktop's style and font are replaced, a style the user names in
    // QT_STYLE_OVERRIDE is kept.
    void styleAndFontOfTheWindows_data()
    {
        QTest::addColumn<QByteArray>("override");
        QTest::addColumn<QString>("style");
        QTest::newRow("the desktop's") << QByteArray() << "fusion";
        QTest::newRow("named by the user") << QByteArray("windows") << "windows";
    }

    void styleAndFontOfTheWindows()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows draws the windows in its own style");
#endif
        QFETCH(QByteArray, override);
        QFETCH(QString, style);
        qputenv("QT_STYLE_OVERRIDE", override);
        QApplication::setStyle(QStringLiteral("Windows"));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 14));
        desktop::setUpApplication(*qApp, QString::fromUtf8(formdata::identity::kDesktopFileName));
        qunsetenv("QT_STYLE_OVERRIDE");
        QCOMPARE(QApplication::style()->name(), style);
        QCOMPARE(QApplication::font(), desktop::defaultWindowFont());
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
