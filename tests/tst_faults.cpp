// Faults from outside the program: a disk that fills up mid-save, a very
// large settings file, a file that is not a settings file at all.

#include "form1.h"
#include "formbuilder.h"
#include "profile.h"
#include "support.h"
#include "uisupport.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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

private:
    QString m_where;
    bool m_mounted = false;
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskMidSaveLeavesTheOldFile()
    {
#ifndef Q_OS_LINUX
        QSKIP("the tiny file system is a Linux mount");
#endif
        QTemporaryDir dir;
        const TinyFileSystem disk(dir.filePath(QStringLiteral("tiny")));
        if (!disk.mounted())
            QSKIP("mounting a tiny file system needs root");
        const QString path = dir.filePath(QStringLiteral("tiny/commonserver.cfg"));
        // 40 KB fit once on the 64 KB disk, not twice: the new copy cannot be completed.
        const QByteArray original = filler(40 << 10, 0) + "[GameServerInfo]\r\nTrade = 1\r\n";
        putFile(path, original);

        try {
            profile::writeString(kSection, QStringLiteral("Trade"), QStringLiteral(" 0"), path);
            QFAIL("a save on a full disk did not fail");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, FailureNumber::FileAccess);
            QVERIFY2(failure.description.contains(path), qPrintable(failure.description));
        }
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("tiny"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("commonserver.cfg")}); // no temporary file left behind
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

        Form1 form;
        forms::child<QLineEdit>(&form, "Text1")->setText(path);
        QElapsedTimer timer;
        timer.start();
        forms::child<QAction>(&form, "mnuabrir")->trigger();
        QCOMPARE(forms::child<QLineEdit>(&form, "Text2")->text(), QStringLiteral("10"));
        forms::child<QLineEdit>(&form, "Text2")->setText(QStringLiteral("77"));
        forms::child<QAction>(&form, "mnusalvar")->trigger();
        qInfo("50 MB file: load and save took %lld ms", timer.elapsed());

        QByteArray expected = original;
        expected.replace("AddExperience = 10\r\n", "AddExperience = 77\r\n");
        QVERIFY(fileBytes(path) == expected); // not QCOMPARE: no 50 MB dump on failure
    }

    void binaryFileKeepsEveryByte()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("picture.cfg"));
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 7919) % 256));
        putFile(path, binary);

        FailureRecorder recorder;
        Form1 form;
        forms::child<QLineEdit>(&form, "Text1")->setText(path);
        forms::child<QAction>(&form, "mnuabrir")->trigger();
        forms::child<QAction>(&form, "mnusalvar")->trigger();

        const QByteArray after = fileBytes(path);
        QVERIFY(recorder.failures.isEmpty());
        QVERIFY2(after.startsWith(binary), "a byte of the named file was changed");
        QCOMPARE(profile::readString(kSection, QStringLiteral("Trade"), QString(), path), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
