// Faults from outside the program: a disk that fills up mid-save, a very
// large settings file, a file that is not a settings file at all.

#include "engine/patience.h"
#include "formdata/identity.h"
#include "helpers/faultseams.h"
#include "support.h"
#include "ui/main/mainwindow.h"
#include "uisupport.h"

#include <QAction>
#include <QFileInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const QString kSection = QStringLiteral("GameServerInfo");

QByteArray filler(qint64 bytes, int firstSection)
{
    QByteArray text;
    text.reserve(bytes + 100);
    for (int section = firstSection; text.size() < bytes; ++section) {
        text += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 40 && text.size() < bytes; ++key)
            text += "Key" + QByteArray::number(key) + " = \xe7\xe3o " + QByteArray::number(section) + "\r\n";
    }
    return text;
}

// A tiny file system, so that a save runs out of space for real. Mounting
// needs root, as the developers' machines and CI run.
class TinyFileSystem
{
public:
    explicit TinyFileSystem(const QString &where)
        : m_where(where)
    {
        QDir().mkpath(where);
        m_mounted = QProcess::execute(QStringLiteral("mount"),
                                      {"-t", "tmpfs", "-o", "size=64k", "tmpfs", where})
                    == 0;
    }
    ~TinyFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_where});
    }
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() const
    {
        return QProcess::execute(QStringLiteral("mount"), {"-o", "remount,ro", m_where}) == 0;
    }
    // Ends the fault: writable again, with the filler gone.
    bool clear() const
    {
        return QProcess::execute(QStringLiteral("mount"), {"-o", "remount,rw", m_where}) == 0
               && (!QFileInfo::exists(m_where + QStringLiteral("/filler")) || QFile::remove(m_where + QStringLiteral("/filler")));
    }
    // Fills what is left with a file of zeros, as `dd if=/dev/zero` would.
    bool fill() const
    {
        QFile filler(m_where + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(1024, '\0');
        while (filler.write(block) > 0) {
        }
        while (filler.write(block.left(1)) > 0) {
        }
        return true;
    }

private:
    QString m_where;
    bool m_mounted = false;
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_state;

private slots:
    // Rewrites in place keep their safety copies here, not in the user's folder.
    void initTestCase() { qputenv("XDG_STATE_HOME", QFile::encodeName(m_state.path())); }

    // Load, change "Experiencia:", "Salvar" where the new copy cannot be
    // written or cannot replace the old file: the report says why, and the
    // file stays whole. Once the fault is gone, "Salvar" writes the change:
    // the failed save was not taken for done.
    void faultsLeaveTheOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");

        QTest::newRow("nearly full: the copy does not fit") << "nearly full" << "espaço";
        QTest::newRow("completely full: 0 bytes free") << "full" << "espaço";
        QTest::newRow("read-only file system") << "read-only" << "somente leitura";
        QTest::newRow("bind-mounted from a full disk: no room to grow in place") << "bind mount" << "espaço";
        QTest::newRow("held open by another program") << "held open" << "outro programa";
    }

    void faultsLeaveTheOldFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("tiny"));
        std::unique_ptr<TinyFileSystem> disk;
        if (fault == QLatin1String("held open")) {
#ifndef Q_OS_WIN
            QSKIP("only Windows keeps a file that another program holds open from being replaced");
#endif
            QVERIFY(QDir().mkpath(folder));
        } else {
#ifndef Q_OS_LINUX
            QSKIP("the tiny file system is a Linux mount");
#endif
            disk = std::make_unique<TinyFileSystem>(folder);
            if (!disk->mounted())
                QSKIP("mounting a tiny file system needs root");
        }
        QString path = QDir(folder).filePath(QStringLiteral("commonserver.cfg"));
        // 40 KB fit once on the 64 KB disk, not twice.
        QByteArray original = fault == QLatin1String("nearly full")
                                  ? filler(40 << 10, 0) + fileBytes(fixture("commonserver.cfg"))
                                  : fileBytes(fixture("commonserver.cfg"));
        QString mounted; // a bind mount to undo
        const auto unmount = qScopeGuard([&mounted] {
            if (!mounted.isEmpty())
                QProcess::execute(QStringLiteral("umount"), {mounted});
        });
        if (fault == QLatin1String("bind mount")) {
            // The file lives on the full disk, one page long, and is mounted
            // into a folder of its own: the rename is refused, and the file
            // cannot grow in place.
            original.append(QByteArray(4096 - original.size() - 2, ';')).append("\r\n");
            putFile(path, original);
            const QString host = path;
            path = dir.filePath(QStringLiteral("server/commonserver.cfg"));
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("server"))));
            putFile(path, QByteArray());
            if (QProcess::execute(QStringLiteral("mount"), {"--bind", host, path}) != 0)
                QSKIP("bind mounts are not allowed here");
            mounted = path;
        } else {
            putFile(path, original);
        }
        if (fault == QLatin1String("full") || fault == QLatin1String("bind mount"))
            QVERIFY(disk->fill());
        if (fault == QLatin1String("read-only"))
            QVERIFY(disk->makeReadOnly());
#ifdef Q_OS_WIN
        // Another program reading the file, sharing it for reading only.
        const HANDLE held = fault == QLatin1String("held open")
                                ? CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()),
                                              GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr)
                                : INVALID_HANDLE_VALUE;
        const auto release = qScopeGuard([held] {
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
        });
#endif

        FailureRecorder recorder;
        MainWindowOnFile setup;
        setup.setPath(path);
        child<QAction>(&setup.main, QStringLiteral("openAction"))->trigger();
        QCOMPARE(child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("101"));
        child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("2022")); // one byte longer
        child<QAction>(&setup.main, QStringLiteral("saveAction"))->trigger();

        QCOMPARE(recorder.failures.size(), 1);
        const engine::Failure &failure = recorder.failures.constFirst();
        QCOMPARE(failure.number, engine::FailureNumber::FileAccess);
        QVERIFY2(failure.description.contains(QDir::toNativeSeparators(path)) && failure.description.contains(reason),
                 qPrintable(failure.description));
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("cse")),
                 QStringList()); // no temporary file left
        QCOMPARE(journalsIn(m_state.filePath(QStringLiteral("commonserver-editor"))), QStringList());

        if (!disk || fault == QLatin1String("nearly full"))
            return;
        QVERIFY(disk->clear());
        child<QAction>(&setup.main, QStringLiteral("saveAction"))->trigger();
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(readValue(path, QStringLiteral("GameServerInfo"), QStringLiteral("AddExperience")), QStringLiteral("2022"));
    }

    void fiftyMegabyteFileLoadsAndSaves()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray section("[GameServerInfo]\r\nAddExperience = 10\r\nMonsterHp = 20\r\nItemDropPer = 30\r\n"
                                 "CharacterDeleteMinLevel = 40\r\nGuildCreateLevel = 50\r\n"
                                 "ChaosEventServer = 192.0.2.1\r\nEventChipServerIp = 192.0.2.1\r\n"
                                 "DevilSquareEventServer = 192.0.2.1\r\nCreateCharacter = 1\r\nGuildCreate = 0\r\n"
                                 "GuildDestroy = 1\r\nTrade = 0\r\n");
        const QByteArray original = filler(25 << 20, 0) + section + filler(25 << 20, 1000000);
        putFile(path, original);

        ui::MainWindow form;
        child<QLineEdit>(&form, QStringLiteral("settingsPath"))->setText(path);
        QElapsedTimer timer;
        timer.start();
        child<QAction>(&form, QStringLiteral("openAction"))->trigger();
        QCOMPARE(child<QLineEdit>(&form, QStringLiteral("AddExperience"))->text(), QStringLiteral("10"));
        child<QLineEdit>(&form, QStringLiteral("AddExperience"))->setText(QStringLiteral("77"));
        child<QAction>(&form, QStringLiteral("saveAction"))->trigger();
        qInfo("50 MB file: load and save took %lld ms", timer.elapsed());

        QByteArray expected = original;
        expected.replace("AddExperience = 10\r\n", "AddExperience = 77\r\n");
        QVERIFY(fileBytes(path) == expected); // not QCOMPARE: no 50 MB dump on failure
    }

    // A file an earlier save left torn (it was cut off halfway through a
    // rewrite in place), or a save's finished content left beside a file
    // that is gone: "Abrir" asks, and does what the user answers.
    void tornFileIsOfferedBack_data()
    {
        QTest::addColumn<bool>("aside");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown"); // "Experiencia:" afterwards
        QTest::newRow("restore the old content") << false << 0 << "101";
        QTest::newRow("keep the file as it is") << false << 1 << "1234567";
        QTest::newRow("cancel: nothing loaded, nothing reported") << false << 2 << "";
        QTest::newRow("a finished save put in place") << true << 0 << "1234567";
    }

    void tornFileIsOfferedBack()
    {
#ifdef Q_OS_WIN
        QSKIP("the second name of the file is made with link(2) here");
#else
        QFETCH(bool, aside);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        const QByteArray old = fileBytes(fixture("commonserver.cfg")) + QByteArray(64 << 10, ';') + "\r\n";
        MainWindowOnFile setup(old);
        if (!aside) { // rewritten in place
            QCOMPARE(::link(QFile::encodeName(setup.path).constData(),
                            QFile::encodeName(setup.dir.filePath(QStringLiteral("second.cfg"))).constData()),
                     0);
        }
        QProcess cut;
        cut.start(QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter"),
                  {"set", setup.path, "AddExperience", "1234567", "--stop-after", aside ? "temporary-written" : "file-half-written"});
        QVERIFY(cut.waitForFinished(30000));
        QCOMPARE(cut.exitCode(), 9);
        if (aside)
            QVERIFY(QFile::remove(setup.path));
        const QByteArray torn = fileBytes(setup.path);

        FailureRecorder recorder;
        QuestionAnswers answers({answer});
        child<QAction>(&setup.main, QStringLiteral("openAction"))->trigger();
        QCOMPARE(answers.asked.size(), 1);
        const desktop::Question &asked = answers.asked.constFirst();
        QVERIFY2(asked.text.contains(QStringLiteral(".cse-")), qPrintable(asked.text));
        QCOMPARE(asked.buttons.constFirst(),
                 aside ? QStringLiteral("Pôr o conteúdo no lugar") : QStringLiteral("Restaurar o conteúdo de antes"));
        QCOMPARE(recorder.failures.size(), 0);
        QCOMPARE(child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->text(), shown);
        if (aside) {
            QVERIFY(fileBytes(setup.path) == QByteArray(old).replace("AddExperience = 101", "AddExperience = 1234567"));
            return;
        }
        QCOMPARE(fileBytes(setup.path), answer == 0 ? old : torn);
        const bool journalLeft =
            !QDir(setup.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".cse-")).isEmpty();
        QCOMPARE(journalLeft, answer == 2);
#endif
    }

    // A save that waits for another program: every window keeps painting,
    // and after half a second a small window says what the save waits for,
    // with "Cancelar". A program that holds the file open for writing and
    // never changes it can be written past.
    void waitingSave_data()
    {
        QTest::addColumn<QString>("holder");    // a shell command that holds the file "$1"
        QTest::addColumn<int>("lookAfter");     // ms after "Salvar" that the small window is read
        QTest::addColumn<QString>("cancel");    // how the small window is cancelled: "Cancelar", Escape; empty: not
        QTest::addColumn<int>("writeAnyway");   // the answer to "Gravar mesmo assim"
        QTest::addColumn<bool>("written");
        const QString heldOpen = QStringLiteral("exec 3>>\"$1\"; exec sleep 30");
        QTest::newRow("cancelled while it waits") << heldOpen << 900 << "Cancelar" << -1 << false;
        QTest::newRow("cancelled with Escape") << heldOpen << 900 << "Escape" << -1 << false;
        QTest::newRow("held open, written anyway") << heldOpen << 900 << "" << 0 << true;
        QTest::newRow("held open, not written") << heldOpen << 900 << "" << 1 << false;
        QTest::newRow("locked, then held open: the small window follows")
            << QStringLiteral("exec 3>>\"$1\"; flock \"$1\" sleep 1; exec sleep 30") << 1700 << "Cancelar" << -1 << false;
    }

    void waitingSave()
    {
#ifdef Q_OS_LINUX
        QFETCH(QString, holder);
        QFETCH(int, lookAfter);
        QFETCH(QString, cancel);
        QFETCH(int, writeAnyway);
        QFETCH(bool, written);
        faultseams::setDefaultBudget(std::chrono::milliseconds(lookAfter + 600));
        const auto restoreBudget = qScopeGuard([] { faultseams::setDefaultBudget(engine::filebytes::settling::kBudget); });
        const QByteArray old = fileBytes(fixture("commonserver.cfg"));
        MainWindowOnFile setup(old);
        child<QAction>(&setup.main, QStringLiteral("openAction"))->trigger();
        child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("77"));
        QProcess holding; // holds the file open for writing, and never writes
        holding.start(QStringLiteral("sh"), {"-c", holder, "sh", setup.path});
        QVERIFY(holding.waitForStarted());
        QTest::qWait(200);

        FailureRecorder recorder;
        QuestionAnswers answers(writeAnyway >= 0 ? QList<int>{writeAnyway} : QList<int>{});
        QString said;
        int ticks = 0;
        QTimer painting; // the event loop runs while the save waits
        QObject::connect(&painting, &QTimer::timeout, [&ticks] { ++ticks; });
        painting.start(50);
        QTimer::singleShot(lookAfter, [&] {
            auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (!progress)
                return;
            said = progress->labelText();
            QCOMPARE(progress->windowTitle(), QString::fromUtf8(formdata::identity::kProgramTitle));
            QCOMPARE(progress->maximum(), 0); // busy: how long is not known
            if (cancel == QLatin1String("Cancelar"))
                progress->findChild<QPushButton *>()->click();
            else if (cancel == QLatin1String("Escape"))
                QTest::keyClick(progress, Qt::Key_Escape);
            if (!cancel.isEmpty()) {
                // Shown until the save has stopped, holding the other windows, and saying so.
                QCOMPARE(QApplication::activeModalWidget(), progress);
                QCOMPARE(progress->labelText(), QStringLiteral("Cancelando..."));
            }
        });
        child<QAction>(&setup.main, QStringLiteral("saveAction"))->trigger();
        holding.kill();
        holding.waitForFinished();

        QVERIFY2(said.contains(QStringLiteral("aberto para gravação")), qPrintable(said));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(recorder.failures.size(), 0);
        QCOMPARE(answers.asked.size(), cancel.isEmpty() ? 1 : 0);
        QCOMPARE(fileBytes(setup.path), written ? withValue(old, kSection, "AddExperience", " 77") : old);
#else
        QSKIP("a shell holding the file open, and the system telling so, are Linux here");
#endif
    }

    // Files the editor would damage: reported on "Abrir" and at the save.
    void filesTheEditorCannotEditAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");

        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 7919) % 256));
        QTest::newRow("binary file") << binary;
        QTest::newRow("UTF-16 big-endian") << QByteArray("\xFE\xFF\0[\0G\0]\0\r\0\n\0A\0=\0" "1", 18);
        QTest::newRow("UTF-16 without a mark") << QByteArray("[\0G\0]\0\r\0\n\0A\0=\0" "1\0", 16);
    }

    void filesTheEditorCannotEditAreRefused()
    {
        QFETCH(QByteArray, content);
        FailureRecorder recorder;
        MainWindowOnFile setup(fileBytes(fixture("commonserver.cfg")));
        child<QAction>(&setup.main, QStringLiteral("openAction"))->trigger();
        const QString path = setup.dir.filePath(QStringLiteral("refused.cfg"));
        putFile(path, content);
        setup.setPath(path);

        // "Abrir" says why, and the boxes keep the other file's values.
        child<QAction>(&setup.main, QStringLiteral("openAction"))->trigger();
        QCOMPARE(recorder.failures.size(), 1);
        QCOMPARE(child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->text(), QStringLiteral("101"));
        // "Salvar" refuses it too.
        child<QLineEdit>(&setup.main, QStringLiteral("AddExperience"))->setText(QStringLiteral("5"));
        child<QAction>(&setup.main, QStringLiteral("saveAction"))->trigger();
        QCOMPARE(recorder.failures.size(), 2);
        QCOMPARE(fileBytes(path), content);
        for (const engine::Failure &failure : recorder.failures) {
            QCOMPARE(failure.number, engine::FailureNumber::FileAccess);
            QVERIFY2(failure.description.contains(QStringLiteral("Nada foi")), qPrintable(failure.description));
        }
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
