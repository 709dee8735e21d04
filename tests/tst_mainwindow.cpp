#include "support.h"
#include "uisupport.h"
#include "ui/main/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QStringList kButtons{"browseButton", "openButton", "saveButton", "cancelButton", "otherSettingsButton", "castleSiegeButton"};
const QStringList kBoxes{"settingsPath", "AddExperience", "CharacterDeleteMinLevel", "GuildCreateLevel", "MonsterHp", "ItemDropPer", "eventServerAddress"};
const QStringList kChecks{"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"};

QLineEdit *box(const ui::MainWindow &form, const QString &name)
{
    return child<QLineEdit>(&form, name);
}
QCheckBox *check(const ui::MainWindow &form, const QString &name)
{
    return child<QCheckBox>(&form, name);
}
QPushButton *button(const ui::MainWindow &form, const QString &name)
{
    return child<QPushButton>(&form, name);
}
QAction *menuItem(const ui::MainWindow &form, const char *name)
{
    return child<QAction>(&form, QLatin1String(name));
}

QStringList enabledButtons(const ui::MainWindow &form)
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

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startState()
    {
        ui::MainWindow form;
        QCOMPARE(enabledButtons(form), (QStringList{"browseButton", "cancelButton"}));
        for (const QString &name : kBoxes)
            QVERIFY2(box(form, name)->text().isEmpty(), qPrintable(name));
        for (const QString &name : kChecks)
            QVERIFY2(!check(form, name)->isChecked(), qPrintable(name));

        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // "Salvar" heads the tab order but is disabled, so the path box has the focus.
        QCOMPARE(QApplication::focusWidget(), box(form, QStringLiteral("settingsPath")));
        QWidget *next = box(form, QStringLiteral("settingsPath"))->nextInFocusChain();
        QCOMPARE(next, box(form, QStringLiteral("AddExperience")));
    }

    void disabledButtonsDoNothingButTheMenuWorks()
    {
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        button(setup.main, QStringLiteral("openButton"))->click();
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), QString());

        menuItem(setup.main, "openAction")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("101"));
        QCOMPARE(enabledButtons(setup.main), (QStringList{"browseButton", "cancelButton"}));

        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("55"));
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(setup.read("AddExperience"), QStringLiteral("55"));
    }

    void fullLoadShowsEveryValue_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown"); // a box's text, or "checked" / "clear"

        QTest::newRow("AddExperience") << "AddExperience" << "101";
        QTest::newRow("MonsterHp") << "MonsterHp" << "102";
        QTest::newRow("ItemDropPer") << "ItemDropPer" << "103";
        QTest::newRow("CharacterDeleteMinLevel") << "CharacterDeleteMinLevel" << "104";
        QTest::newRow("GuildCreateLevel") << "GuildCreateLevel" << "105";
        QTest::newRow("event servers") << "eventServerAddress" << "10.0.0.7";
        QTest::newRow("CreateCharacter") << "CreateCharacter" << "checked";
        QTest::newRow("GuildCreate") << "GuildCreate" << "clear";
        QTest::newRow("GuildDestroy") << "GuildDestroy" << "checked";
        QTest::newRow("Trade") << "Trade" << "clear";
    }

    void fullLoadShowsEveryValue()
    {
        QFETCH(QString, control);
        QFETCH(QString, shown);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        button(setup.main, QStringLiteral("browseButton"))->setEnabled(false);
        check(setup.main, QStringLiteral("GuildCreate"))->setChecked(true);
        check(setup.main, QStringLiteral("Trade"))->setChecked(true);
        button(setup.main, QStringLiteral("openButton"))->setEnabled(true);
        button(setup.main, QStringLiteral("openButton"))->click();

        if (kChecks.contains(control))
            QCOMPARE(check(setup.main, control)->isChecked() ? "checked" : "clear", shown);
        else
            QCOMPARE(box(setup.main, control)->text(), shown);
        QCOMPARE(enabledButtons(setup.main), kButtons);
    }

    // A save writes the keys whose boxes the user changed since the last load
    // (or since the start), and nothing else; a load is taken from the file
    // as it is at that moment.
    void saveWritesOnlyWhatChanged_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<bool>("load");
        QTest::addColumn<QByteArray>("otherProgram"); // "old|new": another program's edit after the load
        QTest::addColumn<QStringList>("edits");       // "AddExperience=77" sets a box; "Trade" clicks a check box
        QTest::addColumn<QByteArray>("expected");     // null: no file

        const QByteArray base = section("AddExperience = 10\r\nMonsterHp = 20\r\nChaosEventServer = 1.1.1.1\r\n"
                                        "EventChipServerIp = 2.2.2.2\r\nDevilSquareEventServer = 3.3.3.3\r\n"
                                        "Trade = 1 ; permitir trocas\r\nGuildCreate=2\r\n");
        const auto with = [&base](const char *from, const char *to) { return QByteArray(base).replace(from, to); };

        QTest::newRow("load and save, nothing changed") << base << true << QByteArray() << QStringList() << base;
        QTest::newRow("only Experiencia changed: three different addresses stay")
            << base << true << QByteArray() << QStringList{"AddExperience=77"} << with("AddExperience = 10", "AddExperience = 77");
        QTest::newRow("address box changed: all three addresses")
            << base << true << QByteArray() << QStringList{"eventServerAddress=9.9.9.9"}
            << with("1.1.1.1", "9.9.9.9").replace("2.2.2.2", "9.9.9.9").replace("3.3.3.3", "9.9.9.9");
        QTest::newRow("another program's change after the load survives")
            << base << true << QByteArray("AddExperience = 10|AddExperience = 15") << QStringList{"MonsterHp=25"}
            << with("AddExperience = 10", "AddExperience = 15").replace("MonsterHp = 20", "MonsterHp = 25");
        QTest::newRow("unknown flag set by the user")
            << base << true << QByteArray() << QStringList{"Trade"} << with("Trade = 1 ; permitir trocas", "Trade = 1");
        QTest::newRow("changed and changed back") << base << true << QByteArray()
                                                  << QStringList{"AddExperience=11", "AddExperience=10", "GuildCreate", "GuildCreate"} << base;
        QTest::newRow("typed before any load") << base << false << QByteArray() << QStringList{"AddExperience=5"}
                                               << with("AddExperience = 10", "AddExperience = 5");
        QTest::newRow("nothing typed before any load: no file made") << QByteArray() << false << QByteArray()
                                                                    << QStringList() << QByteArray();
        QTest::newRow("a check box set before any load, no file yet")
            << QByteArray() << false << QByteArray() << QStringList{"CreateCharacter"} << section("CreateCharacter= 1\r\n");
    }

    void saveWritesOnlyWhatChanged()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, load);
        QFETCH(QByteArray, otherProgram);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, expected);
        FailureRecorder recorder;
        Setup setup(content);
        if (load)
            menuItem(setup.main, "openAction")->trigger();
        if (!otherProgram.isEmpty()) {
            const QList<QByteArray> change = otherProgram.split('|');
            putFile(setup.path, fileBytes(setup.path).replace(change[0], change[1]));
        }
        for (const QString &edit : edits) {
            if (!edit.contains(QLatin1Char('=')))
                check(setup.main, edit)->click();
            else
                box(setup.main, edit.section('=', 0, 0))->setText(edit.section('=', 1));
        }
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        if (!content.isNull()) {
            QFile file(setup.path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }

        menuItem(setup.main, "saveAction")->trigger();

        QVERIFY(recorder.failures.isEmpty());
        QCOMPARE(QFileInfo::exists(setup.path), !expected.isNull());
        if (expected.isNull())
            return;
        QCOMPARE(fileBytes(setup.path), expected);
        if (expected == content) // untouched, not rewritten
            QCOMPARE(QFileInfo(setup.path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());

        // What was saved is what the boxes now remember: saving again writes nothing.
        putFile(setup.path, "[GameServerInfo]\r\n");
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(fileBytes(setup.path), QByteArray("[GameServerInfo]\r\n"));
    }

    void addressBox_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("shown");

        // Which key's value the box shows is the document's rule (tst_settings);
        // here, that the box takes it, shown from its start.
        QTest::newRow("a long value")
            << QByteArray("EventChipServerIp=192.0.2.50 ; servidor de eventos do fim de semana, porta 55901\r\n")
            << "192.0.2.50 ; servidor de eventos do fim de semana, porta 55901";
        QTest::newRow("none of them: the box is empty") << QByteArray("Other=1\r\n") << "";
    }

    void addressBox()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, shown);
        Setup setup(section(lines));
        box(setup.main, QStringLiteral("eventServerAddress"))->setText(QStringLiteral("typed before"));
        menuItem(setup.main, "openAction")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("eventServerAddress"))->text(), shown);
        QCOMPARE(box(setup.main, QStringLiteral("eventServerAddress"))->cursorPosition(), 0); // shown from its start
    }

    void flags_data()
    {
        QTest::addColumn<QByteArray>("value"); // a null value leaves the keys out
        QTest::addColumn<int>("shown");        // Qt::CheckState

        // What a value means is the one yes/no rule (tst_settings); here, the
        // three states a check box shows it in.
        QTest::newRow("01") << QByteArray("01") << int(Qt::Checked);
        QTest::newRow("2") << QByteArray("2") << int(Qt::Unchecked);
        QTest::newRow("trailing comment is unknown") << QByteArray("1 ; permitir") << int(Qt::PartiallyChecked);
        QTest::newRow("missing is unknown") << QByteArray() << int(Qt::PartiallyChecked);
    }

    void flags()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, shown);
        QByteArray lines("AddExperience=1\r\n");
        if (!value.isNull()) {
            for (const char *key : {"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"})
                lines += QByteArray(key) + '=' + value + "\r\n";
        }
        // A first load leaves the boxes in another state: unknown before a
        // number, so that the second load must also end the unknown state.
        QByteArray first("AddExperience=1\r\n");
        for (const char *key : {"CreateCharacter", "GuildCreate", "GuildDestroy", "Trade"})
            first += QByteArray(key) + (shown == Qt::PartiallyChecked ? "=1\r\n" : "=sim\r\n");
        Setup setup(section(first));
        menuItem(setup.main, "openAction")->trigger();
        putFile(setup.path, section(lines));
        menuItem(setup.main, "openAction")->trigger();
        for (const QString &name : kChecks) {
            QVERIFY2(check(setup.main, name)->checkState() == shown, qPrintable(name));
            // Only an unknown flag is a three-state box; a number makes it yes or no again.
            QVERIFY2(check(setup.main, name)->isTristate() == (shown == Qt::PartiallyChecked), qPrintable(name));
        }

        // A flag the user did not touch is not written, whatever it shows.
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("2"));
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(fileBytes(setup.path), section(lines).replace("AddExperience=1", "AddExperience= 2"));

        // Clicked, a flag becomes yes or no, an unknown one yes; from then on
        // it is yes or no.
        QCheckBox *trade = check(setup.main, QStringLiteral("Trade"));
        trade->click();
        const bool yes = shown != Qt::Checked;
        QCOMPARE(trade->checkState(), yes ? Qt::Checked : Qt::Unchecked);
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(setup.read("Trade"), yes ? QStringLiteral("1") : QStringLiteral("0"));
        trade->click();
        trade->click();
        QCOMPARE(trade->checkState(), yes ? Qt::Checked : Qt::Unchecked);
    }

    // Every button and menu item does its own job and nothing else: no
    // other change to the boxes, the file, the buttons or the open windows.
    void everyButtonAndMenuItemDoesItsJob_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("job");

        QTest::newRow("Procurar") << "browseButton" << "choose";
        QTest::newRow("Abrir") << "openButton" << "load and unlock";
        QTest::newRow("Arquivo, Abrir") << "openAction" << "load";
        QTest::newRow("Salvar") << "saveButton" << "save";
        QTest::newRow("Arquivo, Salvar") << "saveAction" << "save";
        QTest::newRow("Outras Ediçoes") << "otherSettingsButton" << titles::kOther;
        QTest::newRow("Castle Siege") << "castleSiegeButton" << titles::kCastle;
        QTest::newRow("Ajuda, Como Usar") << "instructionsAction" << titles::kInstructions;
        QTest::newRow("Ajuda, Creditos") << "creditsAction" << titles::kCredits;
    }

    void everyButtonAndMenuItemDoesItsJob()
    {
        QFETCH(QString, control);
        QFETCH(QString, job);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        const QString chosen = setup.dir.filePath(QStringLiteral("chosen.cfg"));
        OpenFileAnswers answers({chosen});
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("77"));
        const QString path = box(setup.main, QStringLiteral("settingsPath"))->text();
        if (control.endsWith(QLatin1String("Action"))) {
            menuItem(setup.main, qPrintable(control))->trigger();
        } else {
            button(setup.main, control)->setEnabled(true);
            button(setup.main, control)->click();
        }

        const bool loads = job.startsWith(QLatin1String("load"));
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), loads ? "101" : "77");
        QCOMPARE(setup.read("AddExperience"), job == QLatin1String("save") ? "77" : "101");
        QCOMPARE(box(setup.main, QStringLiteral("settingsPath"))->text(),
                 job == QLatin1String("choose") ? QDir::toNativeSeparators(chosen) : path);
        QCOMPARE(answers.asked.size(), job == QLatin1String("choose") ? 1 : 0);
        QStringList expectedButtons{"browseButton", "cancelButton"};
        if (kButtons.contains(control))
            expectedButtons << control;
        if (job == QLatin1String("choose"))
            expectedButtons << "openButton";
        if (job == QLatin1String("load and unlock"))
            expectedButtons = kButtons;
        expectedButtons.removeDuplicates();
        expectedButtons.sort();
        QStringList enabled = enabledButtons(setup.main);
        enabled.sort();
        QCOMPARE(enabled, expectedButtons);
        QStringList shown;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window != &setup.main && window->isVisible())
                shown << caption(window);
        }
        const bool showsAWindow = !QStringList{"choose", "load", "load and unlock", "save"}.contains(job);
        QCOMPARE(shown, showsAWindow ? QStringList{job} : QStringList());
    }

    // The system's own file dialog, answered as a user would, once with a
    // file chosen and once cancelled.
    void realFileDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("a file chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void realFileDialog()
    {
        QFETCH(bool, accept);
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("escolhido.cfg"));
        ui::MainWindow form;
        form.show();
        box(form, QStringLiteral("settingsPath"))->setText(QStringLiteral("typed before"));
        bool answered = false;
        QString offered; // the name the dialog starts from
        QStringList filters;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &form, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            filters = dialog->nameFilters();
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                offered = name->text();
            if (!accept) {
                answered = true;
                dialog->reject();
                return;
            }
            // The dialog reads a folder in the background: answer once the
            // folder of the chosen file has been read, as a user would.
            auto *folder = dialog->findChild<QFileSystemModel *>();
            QVERIFY(folder);
            connect(folder, &QFileSystemModel::directoryLoaded, dialog, [&, dialog](const QString &loaded) {
                if (QDir(loaded) != QDir(dir.path()) || answered)
                    return;
                answered = true;
                QTimer::singleShot(0, dialog, [&, dialog] {
                    // Typed into the file name box, then "Abrir".
                    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                    QVERIFY(name);
                    name->setText(chosen);
                    static_cast<QDialog *>(dialog)->accept();
                });
            });
            dialog->setDirectory(dir.path());
        });
        poll.start(10);
        QTimer::singleShot(5000, &form, [] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
                dialog->reject(); // a hang fails, not blocks
        });
        button(form, QStringLiteral("browseButton"))->click();
        QVERIFY(answered);
        QCOMPARE(offered, QStringLiteral("typed before"));
        QCOMPARE(filters, QStringList{QStringLiteral("Arquivo CFG (*.cfg)")});
        QCOMPARE(box(form, QStringLiteral("settingsPath"))->text(),
                 accept ? QDir::toNativeSeparators(chosen) : QStringLiteral("typed before"));
        QCOMPARE(button(form, QStringLiteral("openButton"))->isEnabled(), accept);
    }

    void procurar()
    {
        const QString chosen = QDir::temp().filePath(QStringLiteral("chosen/commonserver.cfg"));
        OpenFileAnswers answers({std::nullopt, chosen, std::nullopt});
        ui::MainWindow form;
        QLineEdit *path = box(form, QStringLiteral("settingsPath"));

        path->setText(QStringLiteral("typed by hand"));
        button(form, QStringLiteral("browseButton"))->click(); // cancelled: nothing changes
        QCOMPARE(path->text(), QStringLiteral("typed by hand"));
        QVERIFY(!button(form, QStringLiteral("openButton"))->isEnabled());

        button(form, QStringLiteral("browseButton"))->click(); // a file chosen
        QCOMPARE(path->text(), QDir::toNativeSeparators(chosen));
        QVERIFY(button(form, QStringLiteral("openButton"))->isEnabled());

        path->setText(QStringLiteral("typed again"));
        button(form, QStringLiteral("browseButton"))->click(); // cancelled: the typed path stays
        QCOMPARE(path->text(), QStringLiteral("typed again"));

        QCOMPARE(answers.asked.size(), 3);
        const desktop::OpenFileDialog &dialog = answers.asked.constLast();
        QCOMPARE(dialog.title, QStringLiteral("Arquivo CommonServer.cfg"));
        QCOMPARE(dialog.startFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(dialog.filter, QStringLiteral("Arquivo CFG (*.cfg)|*.cfg"));
        QCOMPARE(dialog.fileName, QStringLiteral("typed again")); // starts from the file being edited
        QCOMPARE(desktop::qtNameFilters(dialog.filter), QStringLiteral("Arquivo CFG (*.cfg)"));
    }

    // A save is all or nothing: "HP dos Mostros:" changes too, and comes
    // before the address keys in the save order.
    void badInputIsReportedOrSavedWhole_data()
    {
        QTest::addColumn<QString>("where");    // the file's place: a name in the temporary folder, or a fault
        QTest::addColumn<QString>("field");    // the box the text is pasted into
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("number");       // the failure reported; 0 for a save that works
        QTest::addColumn<QString>("mentions"); // what the report must say

        const QString file = QStringLiteral("commonserver.cfg");
        QTest::newRow("missing folder") << "missing/commonserver.cfg" << "AddExperience" << "1" << 75 << "não existe";
        QTest::newRow("empty path") << "" << "AddExperience" << "1" << 75 << "Procurar";
        QTest::newRow("path names a folder") << "." << "AddExperience" << "1" << 75 << "pasta";
        QTest::newRow("read-only file") << "read-only" << "AddExperience" << "1" << 75 << "somente leitura";
        QTest::newRow("character outside Windows-1252") << file << "AddExperience" << "1 ✓" << 5 << "\"Experiencia:\"";
        QTest::newRow("address outside Windows-1252") << file << "eventServerAddress" << "serwer-łódź.example" << 5 << "\"Ip´s:\"";
        QTest::newRow("pasted line break") << file << "AddExperience" << "1\n[Evil]" << 5 << "AddExperience";
        QTest::newRow("pasted line with its ending") << file << "eventServerAddress" << "192.0.2.7\r\n" << 5 << "\"Ip´s:\"";
        QTest::newRow("NUL") << file << "AddExperience" << QStringLiteral("1") + QChar(0) + QStringLiteral("2") << 5 << "nulo";
        QTest::newRow("escape sequence pasted from a terminal")
            << file << "AddExperience" << "5\x01\x1b[2J" << 5 << "\"Experiencia:\": O valor de \"AddExperience\" contém o caractere de controle U+0001";
        QTest::newRow("file deleted after Abrir: not made again") << "deleted" << "AddExperience" << "123" << 75 << "não existe mais";
        QTest::newRow("10 000 characters") << file << "AddExperience" << QString(10000, QLatin1Char('9')) << 0 << "";
        QTest::newRow("accents and blanks") << file << "AddExperience" << " Criação  ´ " << 0 << "";
    }

    void badInputIsReportedOrSavedWhole()
    {
        QFETCH(QString, where);
        QFETCH(QString, field);
        QFETCH(QString, pasted);
        QFETCH(int, number);
        QFETCH(QString, mentions);
        FailureRecorder recorder;
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
        menuItem(setup.main, "openAction")->trigger();
        if (where == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(setup.path, QFile::ReadOwner | QFile::ReadGroup));
        else if (where == QLatin1String("deleted"))
            QVERIFY(QFile::remove(setup.path));
        else
            box(setup.main, QStringLiteral("settingsPath"))->setText(where.isEmpty() ? QString() : setup.dir.filePath(where));
        QLineEdit *target = box(setup.main, field);
        target->clear();
        QApplication::clipboard()->setText(pasted);
        target->paste();
        box(setup.main, QStringLiteral("MonsterHp"))->setText(QStringLiteral("777"));

        menuItem(setup.main, "saveAction")->trigger();

        const bool deleted = where == QLatin1String("deleted");
        QCOMPARE(QDir(setup.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 deleted ? QStringList() : QStringList{QStringLiteral("commonserver.cfg")});
        if (number == 0) {
            QVERIFY(recorder.failures.isEmpty());
            QCOMPARE(setup.read("AddExperience"), pasted.trimmed());
            QCOMPARE(setup.read("MonsterHp"), QStringLiteral("777"));
            return;
        }
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(recorder.failures.constFirst().number, number);
        QVERIFY2(recorder.failures.constFirst().description.contains(mentions),
                 qPrintable(recorder.failures.constFirst().description));
        if (!deleted)
            QCOMPARE(fileBytes(setup.path), content); // nothing written, not even "HP dos Mostros:"
    }

    // A path copied from a terminal comes with its line break: the box keeps
    // the path, and "Abrir" reads the file it names.
    void pathBoxDropsLineBreaks_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("trailing line feed") << "" << "\n";
        QTest::newRow("trailing CR LF") << "" << "\r\n";
        QTest::newRow("a line break on each side") << "\n" << "\r";
    }

    void pathBoxDropsLineBreaks()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        QLineEdit *path = box(setup.main, QStringLiteral("settingsPath"));
        path->clear();
        QApplication::clipboard()->setText(before + QDir::toNativeSeparators(setup.path) + after);
        path->paste();
        QCOMPARE(path->text(), QDir::toNativeSeparators(setup.path));
        menuItem(setup.main, "openAction")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("101"));
    }

    void unreadableFileIsReportedAndLoadsNothing()
    {
        FailureRecorder recorder;
        Setup setup;
        box(setup.main, QStringLiteral("settingsPath"))->setText(setup.dir.path()); // a folder
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("kept"));
        button(setup.main, QStringLiteral("openButton"))->setEnabled(true);
        button(setup.main, QStringLiteral("openButton"))->click();
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("kept"));
        QCOMPARE(recorder.failures.size(), 1);
        QVERIFY2(recorder.failures.constFirst().description.contains(QStringLiteral("é uma pasta")),
                 qPrintable(recorder.failures.constFirst().description));
        QCOMPARE(enabledButtons(setup.main), kButtons); // the load still reaches its end
    }

    // The same key changed by another program since "Abrir": "Salvar" asks,
    // naming it with the value read, the file's and the typed one, and
    // writes the typed value, takes the file's, or writes nothing. The
    // other keys are saved in the same transaction; a key only the other
    // program changed shows its value once the save is done.
    void sameKeyChangedElsewhere_data()
    {
        QTest::addColumn<QString>("elsewhere"); // what the other program sets AddExperience to
        QTest::addColumn<int>("answer");        // -1: nothing may be asked
        QTest::addColumn<QString>("inFile");    // AddExperience afterwards
        QTest::addColumn<QString>("inBox");
        QTest::addColumn<QString>("drop");      // ItemDropPer afterwards, typed 55
        QTest::newRow("Gravar os meus") << "70" << 0 << "60" << "60" << "55";
        QTest::newRow("Manter os do arquivo") << "70" << 1 << "70" << "70" << "55";
        QTest::newRow("Cancelar: nothing written") << "70" << 2 << "70" << "60" << "103";
        QTest::newRow("the same value typed there: no question") << "60" << -1 << "60" << "60" << "55";
    }

    void sameKeyChangedElsewhere()
    {
        QFETCH(QString, elsewhere);
        QFETCH(int, answer);
        QFETCH(QString, inFile);
        QFETCH(QString, inBox);
        QFETCH(QString, drop);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        menuItem(setup.main, "openAction")->trigger();
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("60"));
        box(setup.main, QStringLiteral("ItemDropPer"))->setText(QStringLiteral("55"));
        QVERIFY(anotherProgramSets(setup.path, QStringLiteral("AddExperience"), elsewhere));
        QVERIFY(anotherProgramSets(setup.path, QStringLiteral("MonsterHp"), QStringLiteral("777")));

        FailureRecorder recorder;
        QuestionAnswers answers(answer >= 0 ? QList<int>{answer} : QList<int>{});
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(answers.asked.size(), answer >= 0 ? 1 : 0);
        if (answer >= 0) {
            const QString asked = answers.asked.constFirst().text;
            QVERIFY2(asked.contains(QStringLiteral("Experiencia: (AddExperience): lido \"101\", no arquivo agora \"70\", "
                                                   "digitado \"60\"")),
                     qPrintable(asked));
            QVERIFY2(!asked.contains(QStringLiteral("ItemDropPer")), qPrintable(asked));
        }
        QCOMPARE(recorder.failures.size(), 0);
        QCOMPARE(setup.read("AddExperience"), inFile);
        QCOMPARE(setup.read("ItemDropPer"), drop);
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), inBox);
        QTRY_COMPARE(box(setup.main, QStringLiteral("MonsterHp"))->text(), QStringLiteral("777"));
        QCOMPARE(setup.main.isWindowModified(), answer == 2);
    }

    // While the window shows a file, a change on disk shows at once in the
    // boxes the user has not edited; edited boxes keep their text. A file
    // that vanishes is reported once, not on every change after it.
    void boxesFollowTheFile()
    {
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        menuItem(setup.main, "openAction")->trigger();
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("60"));
        QVERIFY(anotherProgramSets(setup.path, QStringLiteral("MonsterHp"), QStringLiteral("777")));
        QVERIFY(anotherProgramSets(setup.path, QStringLiteral("AddExperience"), QStringLiteral("70")));
        QVERIFY(anotherProgramSets(setup.path, QStringLiteral("Trade"), QStringLiteral("1")));
        QTRY_COMPARE(box(setup.main, QStringLiteral("MonsterHp"))->text(), QStringLiteral("777"));
        QTRY_VERIFY(check(setup.main, QStringLiteral("Trade"))->isChecked());
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("60"));
        QVERIFY(setup.main.isWindowModified());
        // The file those replacements left, rewritten in place: followed too.
        {
            QFile inPlace(setup.path);
            QVERIFY(inPlace.open(QIODevice::ReadWrite));
            const QByteArray bytes = inPlace.readAll().replace("= 777", "= 778");
            QVERIFY(inPlace.seek(0) && inPlace.write(bytes) == bytes.size() && inPlace.resize(bytes.size()));
        }
        QTRY_COMPARE(box(setup.main, QStringLiteral("MonsterHp"))->text(), QStringLiteral("778"));

        // News from the disk: told in the window's bar, the keyboard left
        // where the user types, no report; the next save says what it finds.
        FailureRecorder recorder;
        QLineEdit *typing = box(setup.main, QStringLiteral("AddExperience"));
        setup.main.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup.main));
        typing->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), typing);
        QVERIFY(QFile::remove(setup.path));
        auto *news = setup.main.findChild<QLabel *>(QStringLiteral("newsBar"));
        QVERIFY(news);
        QVERIFY(news->isHidden()); // no news yet: nothing over the window's controls
        QPalette dark = setup.main.palette(); // a desktop with light text on dark windows
        dark.setColor(QPalette::WindowText, Qt::white);
        setup.main.setPalette(dark);
        QTRY_VERIFY(news->isVisible());
        QVERIFY2(news->text().contains(QStringLiteral("não existe mais")), qPrintable(news->text()));
        QCOMPARE(news->palette().color(QPalette::WindowText), QColor(Qt::black)); // readable on its yellow
        // Across the whole foot of the window, the whole text readable in it.
        QCOMPARE(news->geometry().bottomRight(), setup.main.rect().bottomRight());
        QCOMPARE(news->width(), setup.main.width());
        QVERIFY(news->fontMetrics().boundingRect(news->contentsRect(), Qt::TextWordWrap, news->text()).height()
                <= news->contentsRect().height());
        putFile(setup.dir.filePath(QStringLiteral("other.cfg")), "[Other]\r\n");
        QTest::qWait(500);
        QCOMPARE(QApplication::focusWidget(), typing);
        QCOMPARE(recorder.failures.size(), 0);
        QTest::keyClick(typing, Qt::Key_0);
        QCOMPARE(typing->text(), QStringLiteral("600"));
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(recorder.failures.size(), 1);
        QVERIFY2(recorder.failures.constFirst().description.contains(QStringLiteral("não existe mais")),
                 qPrintable(recorder.failures.constFirst().description));
        QVERIFY(!QFileInfo::exists(setup.path));
        // Read, the bar goes at a click.
        QVERIFY(news->isVisible());
        QTest::mouseClick(news, Qt::LeftButton);
        QVERIFY(news->isHidden());
    }

    // "commonserver-editor FILE": the window starts as after "Procurar" and
    // "Abrir" on it; a file that cannot be loaded is reported and stays in
    // the box.
    // A box holds a value of any length, and the path box may name another
    // file than the one read: a save makes it, with the values edited.
    void longValueAndAnotherFile()
    {
        const QString longValue(40000, QLatin1Char('9'));
        Setup setup(section(("MaxZen = 1\r\nAddExperience = " + longValue + "\r\n").toLatin1()));
        // Another folder, made before the window follows this one.
        const QString other = setup.dir.filePath(QStringLiteral("outra/outro.cfg"));
        QVERIFY(QDir().mkpath(QFileInfo(other).absolutePath()));
        menuItem(setup.main, "openAction")->trigger();
        QCOMPARE(box(setup.main, QStringLiteral("AddExperience"))->text(), longValue);
        box(setup.main, QStringLiteral("MonsterHp"))->setText(QStringLiteral("5"));
        box(setup.main, QStringLiteral("settingsPath"))->setText(other);
        FailureRecorder recorder;
        menuItem(setup.main, "saveAction")->trigger();
        QCOMPARE(recorder.failures.size(), 0);
        QCOMPARE(fileBytes(other), section("MonsterHp= 5\r\n"));
        QCOMPARE(setup.read("AddExperience"), longValue); // the one read stays as it was
        // The window follows the file it saved from then on.
        QVERIFY(anotherProgramSets(other, QStringLiteral("ItemDropPer"), QStringLiteral("55")));
        QTRY_COMPARE(box(setup.main, QStringLiteral("ItemDropPer"))->text(), QStringLiteral("55"));
    }

    void startWithAFile_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a settings file") << false;
        QTest::newRow("a folder") << true;
    }

    void startWithAFile()
    {
        QFETCH(bool, folder);
        QTemporaryDir dir;
        const QString path = folder ? dir.path() : dir.filePath(QStringLiteral("commonserver.cfg"));
        if (!folder)
            putFile(path, fileBytes(fixture("commonserver.cfg")));
        FailureRecorder recorder;
        ui::MainWindow form(path);
        QTRY_COMPARE(enabledButtons(form), kButtons);
        QCOMPARE(box(form, QStringLiteral("settingsPath"))->text(), QDir::toNativeSeparators(path));
        QCOMPARE(recorder.failures.size(), folder ? 1 : 0);
        QCOMPARE(box(form, QStringLiteral("AddExperience"))->text(), folder ? QString() : QStringLiteral("101"));
    }

    // Each box tells, as a tooltip and to screen readers, which keys of the
    // file it edits and their kind.
    void eachBoxNamesItsKey_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("named");
        QTest::newRow("a text") << "AddExperience" << "AddExperience: texto";
        QTest::newRow("a yes or no") << "Trade" << "Trade: sim ou não (0 ou 1)";
        QTest::newRow("the box of three keys")
            << "eventServerAddress" << "ChaosEventServer, EventChipServerIp, DevilSquareEventServer: texto";
    }

    void eachBoxNamesItsKey()
    {
        QFETCH(QString, control);
        QFETCH(QString, named);
        ui::MainWindow form;
        QWidget *widget = form.findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(widget->toolTip(), named);
        QCOMPARE(widget->accessibleDescription(), named);
    }

    // The close box of the main window ends the program: unsaved edits of
    // any window are asked about first, in one question; Ctrl+S saves.
    void closeBoxAsksAboutEveryWindow()
    {
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        setup.main.show();
        menuItem(setup.main, "openAction")->trigger();
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("60"));
        QWidget *castle = openWindow(setup.main, titles::kCastle);
        child<QPushButton>(castle, QStringLiteral("openButton"))->click();
        child<QLineEdit>(castle, QStringLiteral("CastleCycleStartYear"))->setText(QStringLiteral("1999"));
        QCOMPARE(caption(&setup.main), titles::kMain + QLatin1Char('*'));

        QuestionAnswers answers({int(QMessageBox::Cancel)});
        setup.main.close();
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY2(answers.asked.constFirst().text.contains(titles::kMain)
                     && answers.asked.constFirst().text.contains(titles::kCastle),
                 qPrintable(answers.asked.constFirst().text));
        QVERIFY(setup.main.isVisible() && castle->isVisible());

        child<QPushButton>(castle, QStringLiteral("cancelButton"))->click(); // drops its edits, asking nothing
        QCOMPARE(answers.asked.size(), 1);
        setup.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&setup.main));
        QTest::keySequence(box(setup.main, QStringLiteral("AddExperience")), QKeySequence::Save);
        QCOMPARE(setup.read("AddExperience"), QStringLiteral("60"));
        QCOMPARE(caption(&setup.main), titles::kMain);
    }

    // A save of the main window that fails on closing stops there: the
    // other windows' edits are not saved behind its back, nothing closes.
    void failedSaveOnCloseKeepsEveryWindowOpen()
    {
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        setup.main.show();
        menuItem(setup.main, "openAction")->trigger();
        box(setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("6\x01")); // refused on save
        QWidget *castle = openWindow(setup.main, titles::kCastle);
        child<QPushButton>(castle, QStringLiteral("openButton"))->click();
        child<QLineEdit>(castle, QStringLiteral("CastleCycleStartYear"))->setText(QStringLiteral("1999"));
        FailureRecorder recorder;
        QuestionAnswers answers({int(QMessageBox::Save)});
        setup.main.close();
        QCOMPARE(recorder.failures.size(), 1);
        QVERIFY(setup.main.isVisible() && castle->isVisible());
        QVERIFY(setup.read("CastleCycleStartYear") != QStringLiteral("1999"));
    }

    // Runs last: once the application has been told to quit, later event loops
    // in this process would return at once.
    void cancelarEndsTheProgram()
    {
        ui::MainWindow form;
        form.show();
        QWidget other;
        other.show();
        QTimer::singleShot(0, &form, [&form] { button(form, QStringLiteral("cancelButton"))->click(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); }); // a hang fails, not blocks
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!form.isVisible());
        QVERIFY(!other.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
