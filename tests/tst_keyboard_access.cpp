// What a keyboard or screen-reader user meets: the order Tab visits the
// controls in, the names a screen reader announces, and every window's icon.

#include "application.h"
#include "form1.h"
#include "form4.h"
#include "form5.h"
#include "formbuilder.h"

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

// Opens the named window from a main window whose buttons are unlocked.
QWidget *openWindow(Form1 &main, const QString &name)
{
    for (const char *button : {"Command5", "Command6"})
        forms::child<QPushButton>(&main, button)->setEnabled(true);
    if (name == QLatin1String("Form1"))
        return &main;
    if (name == QLatin1String("Form4"))
        forms::child<QPushButton>(&main, "Command5")->click();
    else if (name == QLatin1String("Form5"))
        forms::child<QPushButton>(&main, "Command6")->click();
    else
        forms::child<QAction>(&main, name == QLatin1String("Form3") ? "mnuhrlp" : "mnucreditos")->trigger();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->metaObject()->className() == name && window->isVisible())
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
            << "Form1"
            << QStringList{"Command1", "Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Command2",
                           "Command3", "Command4", "Check1", "Check2", "Check3", "Check4", "Command5", "Command6"};
        QTest::newRow("Outras Ediçoes: boxes in reading order, then Salvar, Cancelar, Abrir")
            << "Form4"
            << QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                           "Text10", "Text11", "Text12", "Text13", "Text14", "Command1", "Command2", "Command3"};
        QTest::newRow("Castle Siege: the minute box after the buttons")
            << "Form5"
            << QStringList{"Check1", "Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8",
                           "Command1", "Command2", "Command3", "Text9"};
    }

    void tabOrder()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        Form1 main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QStringList chain = focusChain(form);
        chain.removeAll(QString()); // the menu bar's own helpers have no name
        QCOMPARE(chain, order);
    }

    void everyFieldIsAnnouncedByItsLabel_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << "Form1";
        QTest::newRow("Outras Ediçoes") << "Form4";
        QTest::newRow("Castle Siege") << "Form5";
    }

    void everyFieldIsAnnouncedByItsLabel()
    {
        QFETCH(QString, window);
        Form1 main;
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

        QTest::newRow("Experiencia") << "Form1" << "Text2" << "Experiencia:";
        QTest::newRow("address") << "Form1" << "Text7" << "Ip´s:";
        QTest::newRow("flag") << "Form1" << "Check4" << "Trade:";
        QTest::newRow("picture") << "Form1" << "Image1" << "Ilustração: um castelo";
        QTest::newRow("level-up points, first class") << "Form4" << "Text8" << "Pontos Por Level: Bk, Sm, Elf";
        QTest::newRow("level-up points, DL") << "Form4" << "Text10" << "Pontos Por Level: DL";
        QTest::newRow("mix rate +10") << "Form4" << "Text11" << "Chaos Machine Rate: +10";
        QTest::newRow("mix rate +13") << "Form4" << "Text14" << "Chaos Machine Rate: +13";
        QTest::newRow("a field before the composite rows") << "Form4" << "Text7" << "Alerta de Zen Maximo :";
        QTest::newRow("run flag") << "Form5" << "Check1" << "Castle Siege:";
        QTest::newRow("minute") << "Form5" << "Text9" << "Minuto de Inicio:";
    }

    void fieldsNamedAsTheUserReadsThem()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        Form1 main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(forms::child<QWidget>(form, qPrintable(control)));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }

    void escapeDoesWhatCancelarDoes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Outras Ediçoes") << "Form4";
        QTest::newRow("Castle Siege") << "Form5";
    }

    void escapeDoesWhatCancelarDoes()
    {
        QFETCH(QString, window);
        Form1 main;
        QPointer<QWidget> form = openWindow(main, window);
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QLineEdit *box = forms::child<QLineEdit>(form, "Text1");
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
        for (const char *window : {"Form1", "Form2", "Form3", "Form4", "Form5"})
            QTest::newRow(window) << window;
    }

    void everyWindowShowsTheIcon()
    {
        QFETCH(QString, window);
        Form1 main;
        QWidget *form = openWindow(main, window);
        QVERIFY(form);
        QCOMPARE(form->windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
