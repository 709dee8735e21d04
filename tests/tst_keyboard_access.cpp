// What a keyboard or screen-reader user meets: the order Tab visits the
// controls in, the names a screen reader announces, and every window's icon.

#include "form1.h"
#include "form4.h"
#include "form5.h"
#include "formbuilder.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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
            QCOMPARE(accessible->text(QAccessible::Name), label->text());
        }
    }

    void mainFieldsNamedAsTheUserReadsThem()
    {
        Form1 main;
        const auto name = [&main](const char *control) {
            return QAccessible::queryAccessibleInterface(forms::child<QWidget>(&main, control))
                ->text(QAccessible::Name);
        };
        QCOMPARE(name("Text2"), QStringLiteral("Experiencia:"));
        QCOMPARE(name("Text7"), QStringLiteral("Ip´s:"));
        QCOMPARE(name("Check4"), QStringLiteral("Trade:"));
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
        QCOMPARE(form->windowIcon().availableSizes(), (QList<QSize>{QSize(32, 32)}));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
