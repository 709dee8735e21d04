#include "form1.h"
#include "form4.h"
#include "form5.h"
#include "formbuilder.h"
#include "identity.h"
#include "profile.h"
#include "support.h"
#include "uisupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// Which editor a row is about, with the names of its three buttons.
struct Editor
{
    const char *opener; // the main window's button that shows it
    const char *load;
    const char *save;
    const char *cancel;
};
const Editor kOther{"Command5", "Command3", "Command1", "Command2"};
const Editor kCastle{"Command6", "Command1", "Command2", "Command3"};

Editor editorNamed(const QString &name)
{
    return name == QLatin1String("Form4") ? kOther : kCastle;
}

// A main window pointing at a settings file in a temporary folder, with the
// editor buttons unlocked as after "Abrir".
struct Setup : MainWindowOnFile
{
    explicit Setup(const QByteArray &content = QByteArray())
        : MainWindowOnFile(content)
    {
        for (const char *name : {"Command5", "Command6"})
            forms::child<QPushButton>(&main, name)->setEnabled(true);
    }

    QWidget *open(const Editor &editor)
    {
        forms::child<QPushButton>(&main, editor.opener)->click();
        const QList<QWidget *> editors = openEditors();
        return editors.isEmpty() ? nullptr : editors.constLast();
    }
    QList<QWidget *> openEditors() const
    {
        QList<QWidget *> editors;
        for (QWidget *window : main.findChildren<QWidget *>()) {
            if ((qobject_cast<Form4 *>(window) || qobject_cast<Form5 *>(window)) && window->isVisible())
                editors << window;
        }
        return editors;
    }
};

void press(QWidget *window, const char *button)
{
    forms::child<QPushButton>(window, button)->click();
}

QString shown(QWidget *window, const QString &control)
{
    if (auto *check = window->findChild<QCheckBox *>(control)) {
        const Qt::CheckState state = check->checkState();
        return state == Qt::PartiallyChecked ? QStringLiteral("unknown")
               : state == Qt::Checked        ? QStringLiteral("checked")
                                             : QStringLiteral("clear");
    }
    return forms::child<QLineEdit>(window, qPrintable(control))->text();
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

private slots:
    void fullLoadShowsEveryValue_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");

        const char *other[][2] = {{"Text1", "201"},  {"Text2", "202"},  {"Text3", "203"},  {"Text4", "204"},
                                  {"Text5", "205"},  {"Text6", "206"},  {"Text7", "207"},  {"Text8", "208"},
                                  {"Text9", "209"},  {"Text10", "210"}, {"Text11", "211"}, {"Text12", "212"},
                                  {"Text13", "213"}, {"Text14", "214"}};
        for (const auto &row : other)
            QTest::addRow("Form4 %s", row[0]) << "Form4" << row[0] << row[1];
        const char *castle[][2] = {{"Check1", "checked"}, {"Text1", "2031"}, {"Text2", "302"}, {"Text3", "303"},
                                   {"Text4", "304"},      {"Text5", "2035"}, {"Text6", "306"}, {"Text7", "307"},
                                   {"Text8", "308"},      {"Text9", "309"}};
        for (const auto &row : castle)
            QTest::addRow("Form5 %s", row[0]) << "Form5" << row[0] << row[1];
    }

    void fullLoadShowsEveryValue()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, value);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        const Editor editor = editorNamed(window);
        QWidget *form = setup.open(editor);
        QCOMPARE(shown(form, control), control.startsWith(QLatin1String("Check")) ? "clear" : "");
        press(form, editor.load);
        QCOMPARE(shown(form, control), value);
    }

    void loadAndUnchangedSaveKeepTheBytes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Outras Ediçoes") << "Form4";
        QTest::newRow("Castle Siege") << "Form5";
    }

    void loadAndUnchangedSaveKeepTheBytes()
    {
        QFETCH(QString, window);
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
        const Editor editor = editorNamed(window);
        QWidget *form = setup.open(editor);
        press(form, editor.load);
        press(form, editor.save);
        QCOMPARE(fileBytes(setup.path), content);

        // A new path between load and save: the save goes to the new file,
        // with only the value the user changed, not the other file's values.
        const QString other = setup.dir.filePath(QStringLiteral("other.cfg"));
        putFile(other, "[GameServerInfo]\r\nNumberOfMaxUser=5\r\nCastleCycleStartYear=2020\r\n");
        setup.setPath(other);
        forms::child<QLineEdit>(form, "Text9")->setText(QStringLiteral("8"));
        press(form, editor.save);
        QCOMPARE(fileBytes(setup.path), content);
        const QByteArray key = window == QLatin1String("Form4") ? "PointsLevelUp_MG" : "CastleStateStartMinute";
        QCOMPARE(fileBytes(other),
                 "[GameServerInfo]\r\nNumberOfMaxUser=5\r\nCastleCycleStartYear=2020\r\n" + key + "= 8\r\n");
    }

    void saveBeforeLoadWritesOnlyWhatWasTyped_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("typed");     // into Text2; empty: nothing typed
        QTest::addColumn<QByteArray>("before"); // the fixture's line it changes
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("Outras Ediçoes, Level Maximo typed")
            << "Form4" << "400" << QByteArray("MaxLevel = 202") << QByteArray("MaxLevel = 400");
        QTest::newRow("Castle Siege, a month typed")
            << "Form5" << "12" << QByteArray("CastleCycleStartMonth = 302") << QByteArray("CastleCycleStartMonth = 12");
        QTest::newRow("Castle Siege, nothing typed") << "Form5" << "" << QByteArray() << QByteArray();
    }

    void saveBeforeLoadWritesOnlyWhatWasTyped()
    {
        QFETCH(QString, window);
        QFETCH(QString, typed);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QByteArray content = fileBytes(fixture("commonserver.cfg"));
        Setup setup(content);
        const Editor editor = editorNamed(window);
        QWidget *form = setup.open(editor);
        forms::child<QLineEdit>(form, "Text2")->setText(typed);
        press(form, editor.save);
        QCOMPARE(fileBytes(setup.path), before.isEmpty() ? content : QByteArray(content).replace(before, after));
    }

    void oneWindowAtATimeAndFreshAfterClosing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("byCancelar"); // else by the close box
        QTest::newRow("Outras Ediçoes, Cancelar") << "Form4" << true;
        QTest::newRow("Outras Ediçoes, close box") << "Form4" << false;
        QTest::newRow("Castle Siege, Cancelar") << "Form5" << true;
        QTest::newRow("Castle Siege, close box") << "Form5" << false;
    }

    void oneWindowAtATimeAndFreshAfterClosing()
    {
        QFETCH(QString, window);
        QFETCH(bool, byCancelar);
        Setup setup(fileBytes(fixture("commonserver.cfg")));
        const Editor editor = editorNamed(window);
        QPointer<QWidget> first = setup.open(editor);
        QVERIFY(first);
        QVERIFY(!first->isModal());
        QVERIFY(first->parentWidget() == &setup.main); // owned: no taskbar entry of its own
        press(first, editor.load);
        QCOMPARE(setup.open(editor), first.data());
        QCOMPARE(setup.openEditors().size(), 1);

        if (byCancelar)
            press(first, editor.cancel);
        else
            first->close();
        QTRY_VERIFY(first.isNull()); // destroyed, not just hidden

        QWidget *second = setup.open(editor);
        QVERIFY(second);
        QCOMPARE(shown(second, QStringLiteral("Text1")), QString());
        if (window == QLatin1String("Form5"))
            QCOMPARE(shown(second, QStringLiteral("Check1")), QStringLiteral("clear"));
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
        press(form, kCastle.load);
        QCOMPARE(shown(form, QStringLiteral("Check1")), QStringLiteral("checked"));

        const QByteArray content = QByteArray("[GameServerInfo]\r\nCastleCycleStartYear=2040\r\n"
                                              "CastleStateStartMinute=45\r\n")
                                   + second;
        putFile(setup.path, content);
        press(form, kCastle.load);
        QCOMPARE(shown(form, QStringLiteral("Check1")), check);
        // The nine dates are filled before the run flag is looked at.
        QCOMPARE(shown(form, QStringLiteral("Text1")), QStringLiteral("2040"));
        QCOMPARE(shown(form, QStringLiteral("Text9")), QStringLiteral("45"));
        QCOMPARE(shown(form, QStringLiteral("Text2")), QString());
        QCOMPARE(recorder.failures.size(), reported ? 1 : 0);
        if (reported) {
            QCOMPARE(recorder.failures.constFirst().number, 13);
            QVERIFY(recorder.failures.constFirst().description.contains(QStringLiteral("CastleSiegeRun")));
        }
        // Saving another change leaves the run flag as the file has it.
        forms::child<QLineEdit>(form, "Text9")->setText(QStringLiteral("50"));
        press(form, kCastle.save);
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
        press(form, kOther.load);
        forms::child<QLineEdit>(form, "Text2")->setText(QStringLiteral("401 \u2713"));
        QLineEdit *zen = forms::child<QLineEdit>(form, "Text6");
        zen->setText(zen->text().replace(QStringLiteral("2000000000"), QStringLiteral("3000000000")));
        press(form, kOther.save);
        QCOMPARE(fileBytes(setup.path), QByteArray("\xEF\xBB\xBF[GameServerInfo]\r\nMaxZen = 3000000000 ; m\xE1ximo\r\n"
                                                   "MaxZenMessage = Zen m\xE1ximo!\r\nMaxLevel = 401 \xE2\x9C\x93\r\n"));
    }

    void failedSaveIsReported()
    {
        FailureRecorder recorder;
        Setup setup;
        setup.setPath(setup.dir.filePath(QStringLiteral("missing/commonserver.cfg")));
        QWidget *form = setup.open(kOther);
        forms::child<QLineEdit>(form, "Text1")->setText(QStringLiteral("100"));
        press(form, kOther.save);
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(recorder.failures.constFirst().number, 75);
    }

    void tutorialOpensItsPageOncePerClick()
    {
        UrlRecorder urls;
        Setup setup;
        QWidget *form = setup.open(kCastle);
        QAction *tutorial = forms::child<QAction>(form, "mnuTutorial");
        tutorial->trigger();
        tutorial->trigger();
        QCOMPARE(urls.opened, (QList<QUrl>{QUrl(QString::fromUtf8(identity::kTutorialAddress)), QUrl(QString::fromUtf8(identity::kTutorialAddress))}));
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
