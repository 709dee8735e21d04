#include "support.h"
#include "uisupport.h"
#include "ui/editors/settingseditor.h"
#include "formdata/identity.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString kOther = QStringLiteral("Outras Ediçoes");
const QString kCastle = QStringLiteral("Castle Siege");

// The main window's button that shows the editor of that title.
QString openerOf(const QString &title)
{
    return title == QLatin1String("Castle Siege") ? QStringLiteral("castleSiegeButton")
                                                  : QStringLiteral("otherSettingsButton");
}

// A main window pointing at a settings file in a temporary folder, with the
// editor buttons unlocked as after "Abrir".
struct Setup : MainWindowOnFile
{
    explicit Setup(const QByteArray &content = QByteArray())
        : MainWindowOnFile(content)
    {
        for (const char *name : {"otherSettingsButton", "castleSiegeButton"})
            child<QPushButton>(&main, QLatin1String(name))->setEnabled(true);
    }

    QWidget *open(const QString &title)
    {
        child<QPushButton>(&main, openerOf(title))->click();
        const QList<QWidget *> editors = openEditors();
        return editors.isEmpty() ? nullptr : editors.constLast();
    }
    QList<QWidget *> openEditors() const
    {
        QList<QWidget *> editors;
        for (QWidget *window : main.findChildren<QWidget *>()) {
            if (qobject_cast<ui::SettingsEditor *>(window) && window->isVisible())
                editors << window;
        }
        return editors;
    }
};

void press(QWidget *window, const char *button)
{
    child<QPushButton>(window, QLatin1String(button))->click();
}

QString shown(QWidget *window, const QString &control)
{
    if (auto *check = window->findChild<QCheckBox *>(control)) {
        const Qt::CheckState state = check->checkState();
        return state == Qt::PartiallyChecked ? QStringLiteral("unknown")
               : state == Qt::Checked        ? QStringLiteral("checked")
                                             : QStringLiteral("clear");
    }
    return child<QLineEdit>(window, control)->text();
}

} // namespace

class TestSettingsEditor : public QObject
{
    Q_OBJECT

private slots:
    void fullLoadShowsEveryValue_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");

        // The fixture gives every key a value of its own, so a key shown in
        // the wrong box shows up.
        const char *other[] = {"NumberOfMaxUser", "MaxLevel", "ExcellentItemsDropRate", "ChaosCastleMinPlayers",
                               "ElfSoldierMaxLevel", "MaxZen", "MaxZenMessage", "PointsLevelUp_Normal",
                               "PointsLevelUp_MG", "PointsLevelUp_DL", "ChaosMachineItemMixRate10",
                               "ChaosMachineItemMixRate11", "ChaosMachineItemMixRate12", "ChaosMachineItemMixRate13"};
        const char *castle[] = {"CastleCycleStartYear", "CastleCycleStartMonth", "CastleCycleStartDay",
                                "CastleSpecificState", "CastleStateStartYear", "CastleStateStartMonth",
                                "CastleStateStartDay", "CastleStateStartHour", "CastleStateStartMinute"};
        const QString file = fixture("commonserver.cfg");
        const QString section = QStringLiteral("GameServerInfo");
        for (const char *key : other)
            QTest::addRow("Outras Ediçoes %s", key) << kOther << key << readValue(file, section, QLatin1String(key));
        for (const char *key : castle)
            QTest::addRow("Castle Siege %s", key) << kCastle << key << readValue(file, section, QLatin1String(key));
        QTest::newRow("Castle Siege CastleSiegeRun") << kCastle << "CastleSiegeRun" << "checked";
    }

    void fullLoadShowsEveryValue()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, value);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
                QWidget *form = setup.open(window);
        QCOMPARE(shown(form, control), control == QLatin1String("CastleSiegeRun") ? "clear" : "");
        press(form, "openButton");
        QCOMPARE(shown(form, control), value);
    }

    void loadAndUnchangedSaveKeepTheBytes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Outras Ediçoes") << kOther;
        QTest::newRow("Castle Siege") << kCastle;
    }

    void loadAndUnchangedSaveKeepTheBytes()
    {
        QFETCH(QString, window);
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
                QWidget *form = setup.open(window);
        press(form, "openButton");
        press(form, "saveButton");
        QCOMPARE(fileBytes(setup.path), content);

        // A new path between load and save: the save goes to the new file,
        // with only the value the user changed, not the other file's values.
        const QString other = setup.dir.filePath(QStringLiteral("other.cfg"));
        putFile(other, "[GameServerInfo]\r\nNumberOfMaxUser=5\r\nCastleCycleStartYear=2020\r\n");
        setup.setPath(other);
        child<QLineEdit>(form, window == kOther ? QStringLiteral("PointsLevelUp_MG") : QStringLiteral("CastleStateStartMinute"))->setText(QStringLiteral("8"));
        press(form, "saveButton");
        QCOMPARE(fileBytes(setup.path), content);
        const QByteArray key = window == kOther ? "PointsLevelUp_MG" : "CastleStateStartMinute";
        QCOMPARE(fileBytes(other),
                 "[GameServerInfo]\r\nNumberOfMaxUser=5\r\nCastleCycleStartYear=2020\r\n" + key + "= 8\r\n");
    }

    void saveBeforeLoadWritesOnlyWhatWasTyped_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("typed");     // into the second box; empty: nothing typed
        QTest::addColumn<QByteArray>("before"); // the fixture's line it changes
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("Outras Ediçoes, Level Maximo typed")
            << kOther << "400" << QByteArray("MaxLevel = 202") << QByteArray("MaxLevel = 400");
        QTest::newRow("Castle Siege, a month typed")
            << kCastle << "12" << QByteArray("CastleCycleStartMonth = 302") << QByteArray("CastleCycleStartMonth = 12");
        QTest::newRow("Castle Siege, nothing typed") << kCastle << "" << QByteArray() << QByteArray();
    }

    void saveBeforeLoadWritesOnlyWhatWasTyped()
    {
        QFETCH(QString, window);
        QFETCH(QString, typed);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
                QWidget *form = setup.open(window);
        child<QLineEdit>(form, window == kOther ? QStringLiteral("MaxLevel") : QStringLiteral("CastleCycleStartMonth"))->setText(typed);
        press(form, "saveButton");
        QCOMPARE(fileBytes(setup.path), before.isEmpty() ? content : QByteArray(content).replace(before, after));
    }

    void oneWindowAtATimeAndFreshAfterClosing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("byCancelar"); // else by the close box
        QTest::newRow("Outras Ediçoes, Cancelar") << kOther << true;
        QTest::newRow("Outras Ediçoes, close box") << kOther << false;
        QTest::newRow("Castle Siege, Cancelar") << kCastle << true;
        QTest::newRow("Castle Siege, close box") << kCastle << false;
    }

    void oneWindowAtATimeAndFreshAfterClosing()
    {
        QFETCH(QString, window);
        QFETCH(bool, byCancelar);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
                QPointer<QWidget> first = setup.open(window);
        QVERIFY(first);
        QVERIFY(!first->isModal());
        QVERIFY(first->parentWidget() == &setup.main); // owned: no taskbar entry of its own
        press(first, "openButton");
        QCOMPARE(setup.open(window), first.data());
        QCOMPARE(setup.openEditors().size(), 1);

        if (byCancelar)
            press(first, "cancelButton");
        else
            first->close();
        QTRY_VERIFY(first.isNull()); // destroyed, not just hidden

        QWidget *second = setup.open(window);
        QVERIFY(second);
        QCOMPARE(shown(second, window == kOther ? QStringLiteral("NumberOfMaxUser") : QStringLiteral("CastleCycleStartYear")), QString());
        if (window == kCastle)
            QCOMPARE(shown(second, QStringLiteral("CastleSiegeRun")), QStringLiteral("clear"));
    }

    void runFlag_data()
    {
        QTest::addColumn<QByteArray>("second"); // the run flag line of the second load
        QTest::addColumn<QString>("check");     // the box after it
        QTest::addColumn<bool>("reported");

        QTest::newRow("0 clears the box") << QByteArray("CastleSiegeRun=0\r\n") << "clear" << false;
        QTest::newRow("2 clears the box") << QByteArray("CastleSiegeRun = 2\r\n") << "clear" << false;
        QTest::newRow("01 checks") << QByteArray("CastleSiegeRun=01\r\n") << "checked" << false;
        QTest::newRow("missing is unknown and reported") << QByteArray() << "unknown" << true;
        QTest::newRow("empty is unknown and reported") << QByteArray("CastleSiegeRun=\r\n") << "unknown" << true;
        QTest::newRow("letters are unknown and reported") << QByteArray("CastleSiegeRun=sim\r\n") << "unknown"
                                                          << true;
        QTest::newRow("trailing comment is unknown and reported")
            << QByteArray("CastleSiegeRun = 1 ; cerco ligado\r\n") << "unknown" << true;
    }

    void runFlag()
    {
        QFETCH(QByteArray, second);
        QFETCH(QString, check);
        QFETCH(bool, reported);
        FailureRecorder recorder;
        Setup setup(QByteArray("[GameServerInfo]\r\nCastleSiegeRun=1\r\nCastleCycleStartYear=2030\r\n"));
        QWidget *form = setup.open(kCastle);
        press(form, "openButton");
        QCOMPARE(shown(form, QStringLiteral("CastleSiegeRun")), QStringLiteral("checked"));

        const QByteArray content = QByteArray("[GameServerInfo]\r\nCastleCycleStartYear=2040\r\n"
                                              "CastleStateStartMinute=45\r\n")
                                   + second;
        putFile(setup.path, content);
        press(form, "openButton");
        QCOMPARE(shown(form, QStringLiteral("CastleSiegeRun")), check);
        // The nine dates are filled before the run flag is looked at.
        QCOMPARE(shown(form, QStringLiteral("CastleCycleStartYear")), QStringLiteral("2040"));
        QCOMPARE(shown(form, QStringLiteral("CastleStateStartMinute")), QStringLiteral("45"));
        QCOMPARE(shown(form, QStringLiteral("CastleCycleStartMonth")), QString());
        QCOMPARE(recorder.failures.size(), reported ? 1 : 0);
        if (reported) {
            QCOMPARE(recorder.failures.constFirst().number, 13);
            QVERIFY(recorder.failures.constFirst().description.contains(QStringLiteral("CastleSiegeRun")));
        }
        // Saving another change leaves the run flag as the file has it.
        child<QLineEdit>(form, QStringLiteral("CastleStateStartMinute"))->setText(QStringLiteral("50"));
        press(form, "saveButton");
        QCOMPARE(fileBytes(setup.path), QByteArray(content).replace("Minute=45", "Minute= 50"));
    }

    // A UTF-8 file with a stray Windows-1252 byte ("máximo" typed in an old
    // editor): the byte stays as it was, in the value edited and elsewhere.
    void strayBytesOfAUtf8FileSurvive()
    {
        const QByteArray content("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZen = 2000000000 ; m\xE1ximo\r\n"
                                 "MaxZenMessage = Zen m\xE1ximo!\r\nMaxLevel = 400 \xE2\x9C\r\n");
        Setup setup(content);
        QWidget *form = setup.open(kOther);
        press(form, "openButton");
        child<QLineEdit>(form, QStringLiteral("MaxLevel"))->setText(QStringLiteral("401 \u2713"));
        QLineEdit *zen = child<QLineEdit>(form, QStringLiteral("MaxZen"));
        zen->setText(zen->text().replace(QStringLiteral("2000000000"), QStringLiteral("3000000000")));
        press(form, "saveButton");
        QCOMPARE(fileBytes(setup.path), QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZen = 3000000000 ; m\xE1ximo\r\n"
                                                   "MaxZenMessage = Zen m\xE1ximo!\r\nMaxLevel = 401 \xE2\x9C\x93\r\n"));
    }

    void failedSaveIsReported()
    {
        FailureRecorder recorder;
        Setup setup;
        setup.setPath(setup.dir.filePath(QStringLiteral("missing/commonserver.cfg")));
        QWidget *form = setup.open(kOther);
        child<QLineEdit>(form, QStringLiteral("NumberOfMaxUser"))->setText(QStringLiteral("100"));
        press(form, "saveButton");
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(recorder.failures.constFirst().number, 75);
    }

    // Unsaved edits: the caption's mark while a box differs from what the
    // window last had; the close box asks first (Salvar / Descartar /
    // Cancelar, Salvar closing only once saved); "Cancelar" and Escape drop
    // them at once; Ctrl+S saves as "Salvar" does.
    void unsavedEdits_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer"); // the button answered; -1: nothing may be asked
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("close box, Salvar") << "close box" << int(QMessageBox::Save) << true << true;
        QTest::newRow("close box, Descartar") << "close box" << int(QMessageBox::Discard) << true << false;
        QTest::newRow("close box, Cancelar: stays open") << "close box" << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("close box, Salvar refused: stays open") << "close box refused" << int(QMessageBox::Save) << false
                                                                << false;
        QTest::newRow("the Cancelar button asks nothing") << "Cancelar" << -1 << true << false;
        QTest::newRow("Escape asks nothing") << "Escape" << -1 << true << false;
        QTest::newRow("Ctrl+S saves") << "Ctrl+S" << -1 << false << true;
    }

    void unsavedEdits()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        QPointer<QWidget> editor = setup.open(kCastle);
        press(editor, "openButton");
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QCOMPARE(caption(editor), kCastle);
        auto *year = child<QLineEdit>(editor, QStringLiteral("CastleCycleStartYear"));
        const QString before = year->text();
        year->setText(QStringLiteral("1999"));
        QCOMPARE(caption(editor), kCastle + QLatin1Char('*'));
        year->setText(before); // back as the file has it: nothing unsaved
        QCOMPARE(caption(editor), kCastle);
        year->setText(how == QLatin1String("close box refused") ? QStringLiteral("19\x1b") : QStringLiteral("1999"));

        FailureRecorder recorder;
        QuestionAnswers answers(answer >= 0 ? QList<int>{answer} : QList<int>{});
        if (how.startsWith(QLatin1String("close box")))
            editor->close();
        else if (how == QLatin1String("Cancelar"))
            press(editor, "cancelButton");
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(year, Qt::Key_Escape);
        else
            QTest::keySequence(year, QKeySequence::Save);
        QCOMPARE(answers.asked.size(), answer >= 0 ? 1 : 0);
        if (answer >= 0)
            QVERIFY2(answers.asked.constFirst().text.startsWith(QStringLiteral("Há mudanças em \"Castle Siege\" que ainda não")),
                     qPrintable(answers.asked.constFirst().text));
        QCOMPARE(!editor || !editor->isVisible(), closed);
        QCOMPARE(setup.read("CastleCycleStartYear"), saved ? QStringLiteral("1999") : before);
        QCOMPARE(recorder.failures.size(), how == QLatin1String("close box refused") ? 1 : 0);
        if (!closed)
            QCOMPARE(caption(editor), saved ? kCastle : kCastle + QLatin1Char('*'));
        if (editor && editor->isVisible() && editor->isWindowModified()) {
            // Kept open with its edits: the next close box asks again.
            QuestionAnswers again({int(QMessageBox::Cancel)});
            editor->close();
            QCOMPARE(again.asked.size(), 1);
            QVERIFY(editor->isVisible());
        }
    }

    // "Tutorial" is an item of the menu bar itself, not a menu: a click on it
    // opens the page.
    void tutorialOpensItsPageOncePerClick()
    {
        UrlRecorder urls;
        Setup setup;
        QWidget *form = setup.open(kCastle);
        QAction *tutorial = child<QAction>(form, QStringLiteral("tutorialAction"));
        auto *bar = form->findChild<QMenuBar *>();
        QVERIFY(bar);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(tutorial).center());
        tutorial->trigger();
        QCOMPARE(urls.opened, (QList<QUrl>{QUrl(QString::fromUtf8(formdata::identity::kTutorialAddress)), QUrl(QString::fromUtf8(formdata::identity::kTutorialAddress))}));
    }
};

QTEST_MAIN(TestSettingsEditor)
#include "tst_settingseditor.moc"
