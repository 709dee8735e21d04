#include "form1.h"
#include "formbuilder.h"
#include "profile.h"
#include "support.h"
#include "uisupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QStringList kButtons{"Command3", "Command4", "Command1", "Command2", "Command5", "Command6"};
const QStringList kBoxes{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};
const QStringList kChecks{"Check1", "Check2", "Check3", "Check4"};

QLineEdit *box(const Form1 &form, const QString &name)
{
    return forms::child<QLineEdit>(&form, qPrintable(name));
}
QCheckBox *check(const Form1 &form, const QString &name)
{
    return forms::child<QCheckBox>(&form, qPrintable(name));
}
QPushButton *button(const Form1 &form, const QString &name)
{
    return forms::child<QPushButton>(&form, qPrintable(name));
}
QAction *menuItem(const Form1 &form, const char *name)
{
    return forms::child<QAction>(&form, name);
}

QStringList enabledButtons(const Form1 &form)
{
    QStringList enabled;
    for (const QString &name : kButtons) {
        if (button(form, name)->isEnabled())
            enabled << name;
    }
    return enabled;
}

using Setup = MainWindowOnFile;

QByteArray section(const QByteArray &lines)
{
    return QByteArray("[GameServerInfo]\r\n") + lines;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startState()
    {
        Form1 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Vardok - Zilvane s3 beta 39 (Versão 0.5)"));
        QCOMPARE(form.centralWidget()->size(), QSize(429, 488));
        QCOMPARE(enabledButtons(form), (QStringList{"Command3", "Command2"}));
        for (const QString &name : kBoxes)
            QVERIFY2(box(form, name)->text().isEmpty(), qPrintable(name));
        for (const QString &name : kChecks)
            QVERIFY2(!check(form, name)->isChecked(), qPrintable(name));
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // "Salvar" heads the tab order but is disabled, so the path box has the focus.
        QCOMPARE(QApplication::focusWidget(), box(form, QStringLiteral("Text1")));
        QWidget *next = box(form, QStringLiteral("Text1"))->nextInFocusChain();
        QCOMPARE(next, box(form, QStringLiteral("Text2")));
    }

    void disabledButtonsDoNothingButTheMenuWorks()
    {
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        button(setup.main, QStringLiteral("Command4"))->click();
        QCOMPARE(box(setup.main, QStringLiteral("Text2"))->text(), QString());

        menuItem(setup.main, "mnuabrir")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("Text2"))->text(), QStringLiteral("101"));
        QCOMPARE(enabledButtons(setup.main), (QStringList{"Command3", "Command2"}));

        box(setup.main, QStringLiteral("Text2"))->setText(QStringLiteral("55"));
        menuItem(setup.main, "mnusalvar")->trigger();
        QCOMPARE(setup.read("AddExperience"), QStringLiteral("55"));
    }

    void fullLoadShowsEveryValue_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown"); // a box's text, or "checked" / "clear"

        QTest::newRow("AddExperience") << "Text2" << "101";
        QTest::newRow("MonsterHp") << "Text5" << "102";
        QTest::newRow("ItemDropPer") << "Text6" << "103";
        QTest::newRow("CharacterDeleteMinLevel") << "Text3" << "104";
        QTest::newRow("GuildCreateLevel") << "Text4" << "105";
        QTest::newRow("event servers") << "Text7" << "10.0.0.7";
        QTest::newRow("CreateCharacter") << "Check1" << "checked";
        QTest::newRow("GuildCreate") << "Check2" << "clear";
        QTest::newRow("GuildDestroy") << "Check3" << "checked";
        QTest::newRow("Trade") << "Check4" << "clear";
    }

    void fullLoadShowsEveryValue()
    {
        QFETCH(QString, control);
        QFETCH(QString, shown);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        button(setup.main, QStringLiteral("Command3"))->setEnabled(false);
        check(setup.main, QStringLiteral("Check2"))->setChecked(true);
        check(setup.main, QStringLiteral("Check4"))->setChecked(true);
        button(setup.main, QStringLiteral("Command4"))->setEnabled(true);
        button(setup.main, QStringLiteral("Command4"))->click();

        if (control.startsWith(QLatin1String("Check")))
            QCOMPARE(check(setup.main, control)->isChecked() ? "checked" : "clear", shown);
        else
            QCOMPARE(box(setup.main, control)->text(), shown);
        QCOMPARE(enabledButtons(setup.main), kButtons);
    }

    void loadAndUnchangedSaveKeepTheBytes_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("firstSaveKeepsBytes");

        QTest::newRow("fixture in the editor's own form") << fileBytes(fixture("commonserver.cfg")) << true;
        QTest::newRow("compact key lines gain one blank, once")
            << section("AddExperience=5\r\nTrade=1\r\nChaosEventServer=1.2.3.4\r\n"
                       "EventChipServerIp=1.2.3.4\r\nDevilSquareEventServer=1.2.3.4\r\n"
                       "MonsterHp=1\r\nItemDropPer=2\r\nCharacterDeleteMinLevel=3\r\nGuildCreateLevel=4\r\n"
                       "CreateCharacter=0\r\nGuildCreate=1\r\nGuildDestroy=0\r\n")
            << false;
    }

    void loadAndUnchangedSaveKeepTheBytes()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, firstSaveKeepsBytes);
        Setup setup(content);
        menuItem(setup.main, "mnuabrir")->trigger();
        menuItem(setup.main, "mnusalvar")->trigger();
        const QByteArray afterFirst = fileBytes(setup.path);
        QCOMPARE(afterFirst == content, firstSaveKeepsBytes);

        Form1 again;
        box(again, QStringLiteral("Text1"))->setText(setup.path);
        menuItem(again, "mnuabrir")->trigger();
        for (const QString &name : kBoxes)
            QCOMPARE(box(again, name)->text(), box(setup.main, name)->text());
        for (const QString &name : kChecks)
            QCOMPARE(check(again, name)->isChecked(), check(setup.main, name)->isChecked());
        menuItem(again, "mnusalvar")->trigger();
        QCOMPARE(fileBytes(setup.path), afterFirst);
    }

    void addressBox_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("shown");

        QTest::newRow("three different values: EventChipServerIp wins")
            << QByteArray("ChaosEventServer=1.1.1.1\r\nEventChipServerIp=2.2.2.2\r\nDevilSquareEventServer=3.3.3.3\r\n")
            << "2.2.2.2";
        QTest::newRow("EventChipServerIp missing keeps the last value read")
            << QByteArray("ChaosEventServer=1.1.1.1\r\nDevilSquareEventServer=3.3.3.3\r\n") << "3.3.3.3";
        QTest::newRow("EventChipServerIp empty keeps the last value read")
            << QByteArray("ChaosEventServer=1.1.1.1\r\nEventChipServerIp=\r\nDevilSquareEventServer=\r\n")
            << "1.1.1.1";
        QTest::newRow("only EventChipServerIp") << QByteArray("EventChipServerIp=2.2.2.2\r\n") << "2.2.2.2";
        QTest::newRow("none of them empties the box") << QByteArray("Other=1\r\n") << "";
    }

    void addressBox()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, shown);
        Setup setup(section(lines));
        box(setup.main, QStringLiteral("Text7"))->setText(QStringLiteral("typed before"));
        menuItem(setup.main, "mnuabrir")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("Text7"))->text(), shown);

        menuItem(setup.main, "mnusalvar")->trigger();
        for (const char *key : {"ChaosEventServer", "EventChipServerIp", "DevilSquareEventServer"})
            QCOMPARE(setup.read(key), shown);
    }

    void flags_data()
    {
        QTest::addColumn<QByteArray>("value"); // a null value leaves the keys out
        QTest::addColumn<bool>("checked");

        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("blank and 1") << QByteArray(" 1") << true;
        QTest::newRow("01") << QByteArray("01") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("2") << QByteArray("2") << false;
        QTest::newRow("empty clears") << QByteArray("") << false;
        QTest::newRow("letters clear") << QByteArray("sim") << false;
        QTest::newRow("missing clears") << QByteArray() << false;
    }

    void flags()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, checked);
        QByteArray lines;
        if (!value.isNull()) {
            for (const char *key : {"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"})
                lines += QByteArray(key) + '=' + value + "\r\n";
        }
        Setup setup(section(lines));
        for (const QString &name : kChecks)
            check(setup.main, name)->setChecked(!checked);
        menuItem(setup.main, "mnuabrir")->trigger();
        for (const QString &name : kChecks)
            QVERIFY2(check(setup.main, name)->isChecked() == checked, qPrintable(name));

        // An unreadable flag must not switch the setting on at the next save.
        menuItem(setup.main, "mnusalvar")->trigger();
        for (const char *key : {"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"})
            QCOMPARE(setup.read(key), checked ? QStringLiteral("1") : QStringLiteral("0"));
    }

    void procurar()
    {
        const QString chosen = QDir::temp().filePath(QStringLiteral("chosen/commonserver.cfg"));
        OpenFileAnswers answers({std::nullopt, chosen, std::nullopt});
        Form1 form;
        QLineEdit *path = box(form, QStringLiteral("Text1"));

        path->setText(QStringLiteral("typed by hand"));
        button(form, QStringLiteral("Command3"))->click(); // cancelled at first use
        QCOMPARE(path->text(), QString());
        QVERIFY(button(form, QStringLiteral("Command4"))->isEnabled());

        button(form, QStringLiteral("Command3"))->click(); // a file chosen
        QCOMPARE(path->text(), chosen);

        path->setText(QStringLiteral("typed again"));
        button(form, QStringLiteral("Command3"))->click(); // cancelled: the last choice stays
        QCOMPARE(path->text(), chosen);

        QCOMPARE(answers.asked.size(), 3);
        const platform::OpenFileDialog &dialog = answers.asked.constLast();
        QCOMPARE(dialog.DialogTitle, QStringLiteral("Arquivo CommonServer.cfg"));
        QCOMPARE(dialog.InitDir, QCoreApplication::applicationDirPath());
        QCOMPARE(dialog.Filter, QStringLiteral("Arquivo CFG (*.cfg)|*.cfg"));
        QCOMPARE(dialog.FileName, chosen);
        QCOMPARE(platform::qtNameFilters(dialog.Filter), QStringLiteral("Arquivo CFG (*.cfg)"));
    }

    void saveRightAfterStartWritesBlanks()
    {
        Setup setup;
        menuItem(setup.main, "mnusalvar")->trigger();
        QCOMPARE(fileBytes(setup.path),
                 section("AddExperience= \r\nMonsterHp= \r\nItemDropPer= \r\nCharacterDeleteMinLevel= \r\n"
                         "GuildCreateLevel= \r\nChaosEventServer= \r\nEventChipServerIp= \r\n"
                         "DevilSquareEventServer= \r\nCreateCharacter= 0\r\nGuildCreate= 0\r\n"
                         "GuildDestroy= 0\r\nTrade= 0\r\n"));
    }

    void badInputIsReportedOrSavedWhole_data()
    {
        QTest::addColumn<QString>("where");  // the file's place: a name in the temporary folder, or a fault
        QTest::addColumn<QString>("pasted"); // pasted into "Experiencia:"
        QTest::addColumn<int>("number");     // the failure reported; 0 for a save that works

        QTest::newRow("missing folder") << "missing/commonserver.cfg" << "1" << 75;
        QTest::newRow("empty path") << "" << "1" << 75;
        QTest::newRow("path names a folder") << "." << "1" << 75;
        QTest::newRow("read-only file") << "read-only" << "1" << 75;
        QTest::newRow("character outside Windows-1252") << "commonserver.cfg" << "1 ✓" << 5;
        QTest::newRow("pasted line break") << "commonserver.cfg" << "1\n[Evil]" << 5;
        QTest::newRow("pasted line with its ending") << "commonserver.cfg" << "192.0.2.7\r\n" << 5;
        QTest::newRow("NUL") << "commonserver.cfg" << QStringLiteral("1") + QChar(0) + QStringLiteral("2") << 5;
        QTest::newRow("10 000 characters") << "commonserver.cfg" << QString(10000, QLatin1Char('9')) << 0;
        QTest::newRow("accents and blanks") << "commonserver.cfg" << " Criação  ´ " << 0;
    }

    void badInputIsReportedOrSavedWhole()
    {
        QFETCH(QString, where);
        QFETCH(QString, pasted);
        QFETCH(int, number);
        FailureRecorder recorder;
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
        menuItem(setup.main, "mnuabrir")->trigger();
        if (where == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(setup.path, QFile::ReadOwner | QFile::ReadGroup));
        else
            box(setup.main, QStringLiteral("Text1"))->setText(where.isEmpty() ? QString() : setup.dir.filePath(where));
        QLineEdit *experience = box(setup.main, QStringLiteral("Text2"));
        experience->clear();
        QApplication::clipboard()->setText(pasted);
        experience->paste();
        box(setup.main, QStringLiteral("Text5"))->setText(QStringLiteral("777"));

        menuItem(setup.main, "mnusalvar")->trigger();

        QCOMPARE(QDir(setup.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("commonserver.cfg")});
        if (number == 0) {
            QVERIFY(recorder.failures.isEmpty());
            QCOMPARE(setup.read("AddExperience"), pasted.trimmed());
            QCOMPARE(setup.read("MonsterHp"), QStringLiteral("777"));
            return;
        }
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(recorder.failures.constFirst().number, number);
        QVERIFY(!recorder.failures.constFirst().description.isEmpty());
        QCOMPARE(fileBytes(setup.path), content); // the first key failed: nothing after it ran
    }

    void unreadableFileLoadsNothingAndReportsNothing()
    {
        FailureRecorder recorder;
        Setup setup;
        box(setup.main, QStringLiteral("Text1"))->setText(setup.dir.path()); // a folder
        box(setup.main, QStringLiteral("Text2"))->setText(QStringLiteral("kept"));
        button(setup.main, QStringLiteral("Command4"))->setEnabled(true);
        button(setup.main, QStringLiteral("Command4"))->click();
        QCOMPARE(box(setup.main, QStringLiteral("Text2"))->text(), QStringLiteral("kept"));
        QVERIFY(recorder.failures.isEmpty());
        QCOMPARE(enabledButtons(setup.main), kButtons); // the load still reaches its end
    }

    void enterAnswersCastleSiegeOnceEnabled()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy pressed(button(form, QStringLiteral("Command6")), &QPushButton::clicked);
        QLineEdit *experience = box(form, QStringLiteral("Text2"));
        experience->setFocus();
        QTest::keyClick(experience, Qt::Key_Return);
        QCOMPARE(pressed.size(), 0);
        button(form, QStringLiteral("Command6"))->setEnabled(true);
        QTest::keyClick(experience, Qt::Key_Return);
        QCOMPARE(pressed.size(), 1);
    }

    // Runs last: once the application has been told to quit, later event loops
    // in this process would return at once.
    void cancelarEndsTheProgram()
    {
        Form1 form;
        form.show();
        QWidget other;
        other.show();
        QTimer::singleShot(0, &form, [&form] { button(form, QStringLiteral("Command2"))->click(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); }); // a hang fails, not blocks
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!form.isVisible());
        QVERIFY(!other.isVisible());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
