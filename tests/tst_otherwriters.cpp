// Other writers and the file's identity: saves that run at the same time as
// other saves and as a program rewriting the file (real processes, started
// from tests/helpers/filewriter), and saves of files that are more than their
// bytes: hard links, ACLs, extended attributes, another owner or group, a
// bind mount, a folder the user cannot write to.
//
// OTHERWRITERS_ROUNDS (default 5) sets how many rounds each race runs (twice
// that many killed saves), OTHERWRITERS_MEGABYTES (default 4) how large the
// file of the killed saves is; scripts/races.sh runs them longer and prints
// the figures.

#include "onekey.h"
#include "engine/failure.h"
#include "engine/filebytes.h"
#include "engine/systemerror.h"
#include "support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

const QString kSection = QStringLiteral("GameServerInfo");

QString filewriter()
{
#ifdef Q_OS_WIN
    return QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter.exe");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/filewriter");
#endif
}

int rounds()
{
    return qEnvironmentVariableIsSet("OTHERWRITERS_ROUNDS") ? qEnvironmentVariableIntValue("OTHERWRITERS_ROUNDS") : 5;
}

std::unique_ptr<QProcess> start(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(filewriter(), arguments);
    return process;
}

// Waits for the process; its exit code, or -1 when it did not end well.
int finish(QProcess &process)
{
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QByteArray filler(qint64 bytes)
{
    QByteArray text;
    for (int section = 0; text.size() < bytes; ++section) {
        text += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 40 && text.size() < bytes; ++key)
            text += "Key" + QByteArray::number(key) + " = value " + QByteArray::number(section) + "\r\n";
    }
    return text;
}

// A second name of the file.
bool hardLink(const QString &file, const QString &name)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(name).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(file).utf16()), nullptr);
#else
    return ::link(QFile::encodeName(file).constData(), QFile::encodeName(name).constData()) == 0;
#endif
}

#ifdef Q_OS_WIN
// The file's access control list, as SDDL text.
QString aclOf(const std::wstring &path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor)
        != ERROR_SUCCESS)
        return QStringLiteral("<unreadable>");
    LPWSTR text = nullptr;
    QString sddl;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        sddl = QString::fromWCharArray(text);
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sddl;
}

bool setAcl(const std::wstring &path, const QString &sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(reinterpret_cast<LPCWSTR>(sddl.utf16()),
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const bool set = SetNamedSecurityInfoW(const_cast<LPWSTR>(path.c_str()), SE_FILE_OBJECT,
                                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                           nullptr, dacl, nullptr)
                     == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

// This process's user, as SDDL names it.
QString userSid()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD size = 0;
    QString sid;
    LPWSTR text = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)
        && ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}
#endif

#ifdef Q_OS_UNIX
// A process as another user (UID:GID:GROUPS), its exit code and what it said.
struct Ran
{
    int status;
    QString out;
    QString err;
};

Ran runAs(const QString &user, QStringList arguments)
{
    if (!user.isEmpty())
        arguments << QStringLiteral("--as") << user;
    QProcess process;
    process.start(filewriter(), arguments);
    const int status = finish(process);
    return {status, QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// A journal in the format the README documents, saying that the file was
// being rewritten from `old` to `next`: what anyone can write, no secret needed.
// `inserted` goes before the sizes, `oldHash` stands for the old content's:
// for journals of another format.
QByteArray journalText(const QString &path, const QByteArray &old, const QByteArray &next,
                       const QByteArray &inserted = QByteArray(), const QByteArray &oldHash = QByteArray())
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    const auto hash = [](const QByteArray &bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); };
    QByteArray header = "commonserver-editor journal 2\n";
    header += "path " + QFileInfo(path).canonicalFilePath().toUtf8().toPercentEncoding() + '\n';
    header += "identity " + QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino)) + '\n';
    header += inserted;
    header += "old " + QByteArray::number(old.size()) + ' ' + (oldHash.isNull() ? hash(old) : oldHash) + '\n';
    header += "new " + QByteArray::number(next.size()) + ' ' + hash(next) + "\n\n";
    return header + old + next + "\nend " + hash(header) + '\n';
}


struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

QByteArray aclWithUser(quint32 user, quint16 userPermissions, quint16 others);

// A POSIX ACL giving user 1500 read access, as setfacl -m u:1500:r writes it.
QByteArray aclWithUser1500()
{
    return aclWithUser(1500, 4, 0);
}

// A POSIX ACL with one entry for `user`, the owner's rw, the group's and
// the others' permissions as given ("u:1700:---" shuts that user out of a
// 644 file).
QByteArray aclWithUser(quint32 user, quint16 userPermissions, quint16 others)
{
    QByteArray acl("\x02\x00\x00\x00", 4);
    const auto entry = [&acl](quint16 tag, quint16 permissions, quint32 id) {
        acl.append(char(tag & 0xFF)).append(char(tag >> 8));
        acl.append(char(permissions & 0xFF)).append(char(permissions >> 8));
        for (int shift = 0; shift < 32; shift += 8)
            acl.append(char((id >> shift) & 0xFF));
    };
    entry(0x01, 6, 0xFFFFFFFF);        // owner rw
    entry(0x02, userPermissions, user); // the user named
    entry(0x04, others, 0xFFFFFFFF);   // group
    entry(0x10, 4, 0xFFFFFFFF);        // mask r
    entry(0x20, others, 0xFFFFFFFF);   // others
    return acl;
}
#endif

} // namespace

class TestOtherWriters : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_state;

private slots:
    void initTestCase() { QVERIFY(QFileInfo::exists(filewriter())); }

    // Safety copies of rewrites in place go to a state folder of each test's
    // own, for this process and the helpers, whoever they run as.
    void init()
    {
        m_state = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::setPermissions(m_state->path(), QFileDevice::Permissions(0x7777)));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_state->path()));
    }

    // Two saves of different keys, by two processes started together, on a
    // 1 MB file: both changes are kept, every round.
    void twoSavesAtOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray base = filler(512 << 10) + fileBytes(fixture("commonserver.cfg")) + filler(512 << 10);
        int kept = 0;
        for (int round = 0; round < rounds(); ++round) {
            putFile(path, base);
            const QString a = QString::number(1000 + round);
            const QString b = QString::number(2000 + round);
            auto first = start({"set", path, "AddExperience", a});
            auto second = start({"set", path, "MonsterHp", b});
            QCOMPARE(finish(*first), 0);
            QCOMPARE(finish(*second), 0);
            const QByteArray expected =
                withValue(withValue(base, kSection, "AddExperience", ' ' + a), kSection, "MonsterHp", ' ' + b);
            kept += fileBytes(path) == expected;
        }
        std::printf("two saves at once: %d of %d rounds kept both changes\n", kept, rounds());
        QCOMPARE(kept, rounds());
    }

    // Another program truncates the file and writes it again in 2 KB pieces,
    // keeping it open or opening it again for each piece; a save of one key
    // starts 0-10 ms after it began, by root or by a member of the file's
    // group (who cannot ask the system whether the file is open for
    // writing). Each round ends with the other program's whole content plus
    // the saved key, or with the save refused and reported; never torn.
    void saveRacesARewrite_data()
    {
        QTest::addColumn<int>("pauseMs"); // between two pieces
        QTest::addColumn<bool>("reopening");
        QTest::addColumn<bool>("groupMember");
        QTest::newRow("pieces 1 ms apart") << 1 << false << false;
        QTest::newRow("pieces 100 ms apart, reopened for each") << 100 << true << false;
        QTest::newRow("pieces 100 ms apart, saved by a group member") << 100 << false << true;
        QTest::newRow("pieces 500 ms apart, saved by a group member") << 500 << false << true;
        QTest::newRow("pieces 500 ms apart, reopened, saved by a group member") << 500 << true << true;
    }

    void saveRacesARewrite()
    {
        QFETCH(int, pauseMs);
        QFETCH(bool, reopening);
        QFETCH(bool, groupMember);
#ifdef Q_OS_UNIX
        if (groupMember && ::geteuid() != 0)
            QSKIP("giving the file to another user and dropping to a member of its group need root");
#else
        if (groupMember)
            QSKIP("owners and groups of Unix");
#endif
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QString source = dir.filePath(QStringLiteral("new.cfg"));
        const QByteArray old = fileBytes(fixture("commonserver.cfg")) + filler(6 << 10);
        const QByteArray rewritten = QByteArray(old).replace("= 1", "= 7") + "; rewritten\r\n";
        putFile(source, rewritten);
        int whole = 0;
        int refused = 0;
        int torn = 0;
        const int count = pauseMs >= 100 ? std::max(2, rounds() / 2) : rounds(); // seconds each
        for (int round = 0; round < count; ++round) {
            putFile(path, old);
            QStringList as;
#ifdef Q_OS_UNIX
            if (groupMember) {
                QCOMPARE(::chown(QFile::encodeName(path).constData(), 1500, 1500), 0);
                QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0664), 0);
                as = {"--as", "1600:1600:1500"};
            }
#endif
            auto writer = start({reopening ? "rewrite-reopening" : "rewrite", path, source, "2048",
                                 QString::number(pauseMs * 1000)});
            QVERIFY(writer->waitForReadyRead(30000)); // it has begun: the file is cut short
            std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(11)));
            auto save = start(QStringList{"set", path, "Trade", "1"} + as);
            const int saved = finish(*save);
            QCOMPARE(finish(*writer), 0);
            const QByteArray now = fileBytes(path);
            if (saved == 0 && now == withValue(rewritten, kSection, "Trade", " 1"))
                ++whole;
            else if (saved == 1 && now == rewritten) // e.g. "Outro programa está gravando"
                ++refused;
            else
                ++torn;
        }
        std::printf("a save racing a rewrite, pieces %d ms apart%s%s: %d of %d rounds whole, %d refused, %d torn\n",
                    pauseMs, reopening ? ", reopened" : "", groupMember ? ", by a group member" : "", whole, count,
                    refused, torn);
        QCOMPARE(torn, 0);
    }

    // The file stays the same file: what the replacement cannot copy to a
    // new file is kept by rewriting the file in place.
    void fileStaysTheSameFile_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::newRow("two hard links") << "hard link";
        QTest::newRow("a POSIX ACL for the game server's user") << "acl";
        QTest::newRow("user attributes, one of them empty") << "attribute";
        QTest::newRow("a program whose standard input is closed") << "no standard input";
        QTest::newRow("a symbolic link to it") << "symbolic link";
        QTest::newRow("root saves nobody's 640 file") << "root saves";
        QTest::newRow("a member of its group saves another's 664 file") << "group member";
        QTest::newRow("its owner saves it, of a group the owner is not in") << "owner outside group";
        QTest::newRow("a writable file in a folder the user cannot write to") << "locked folder";
        QTest::newRow("a file bind-mounted over another, as in containers") << "bind mount";
        QTest::newRow("a name of 251 characters") << "long name";
        QTest::newRow("hidden and archive attributes (Windows)") << "hidden";
        QTest::newRow("an ACL of its own, read for everyone (Windows)") << "windows acl";
    }

    void fileStaysTheSameFile()
    {
        QFETCH(QString, layout);
#ifdef Q_OS_WIN
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QString other = dir.filePath(QStringLiteral("second-name.cfg"));
        const QByteArray before = fileBytes(fixture("commonserver.cfg"));
        putFile(path, before);
        const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
        if (layout == QLatin1String("hard link"))
            QVERIFY(CreateHardLinkW(QDir::toNativeSeparators(other).toStdWString().c_str(), native.c_str(), nullptr));
        else if (layout == QLatin1String("hidden"))
            QVERIFY(SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        else if (layout == QLatin1String("windows acl"))
            QVERIFY(setAcl(native, QStringLiteral("D:P(A;;FR;;;WD)(A;;FA;;;%1)").arg(userSid())));
        else
            QSKIP("owners, ACLs, links and mounts of Unix");
        const QString aclBefore = aclOf(native);
        if (layout == QLatin1String("windows acl"))
            QVERIFY2(aclBefore.contains(QLatin1String(";;;WD)")), qPrintable(aclBefore));
        writeValue(path, kSection, QStringLiteral("AddExperience"), QStringLiteral(" 555"));
        const QByteArray after = withValue(before, kSection, "AddExperience", " 555");
        QCOMPARE(fileBytes(path), after);
        if (layout == QLatin1String("hard link"))
            QCOMPARE(fileBytes(other), after);
        else if (layout == QLatin1String("hidden"))
            QVERIFY(GetFileAttributesW(native.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        QCOMPARE(aclOf(native), aclBefore);
        QCOMPARE(journalsInStateFolder(), QStringList());
#else
        const bool root = ::geteuid() == 0;
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString name = layout == QLatin1String("long name") ? QString(247, QLatin1Char('c')) + QStringLiteral(".cfg")
                                                                  : QStringLiteral("commonserver.cfg");
        const QString folder = dir.filePath(QStringLiteral("server"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        QString path = QDir(folder).filePath(name);
        const QByteArray before = fileBytes(fixture("commonserver.cfg"));
        putFile(path, before);
        const QByteArray file = QFile::encodeName(path);
        QString other;   // a second name of the file, when it has one
        QStringList as;  // the helper's user and groups, when not this process
        QString mounted; // a bind mount to undo
        int standardInput = -1; // closed for the save, then given back

        if (layout == QLatin1String("hard link")) {
            other = dir.filePath(QStringLiteral("second-name.cfg"));
            QCOMPARE(::link(file.constData(), QFile::encodeName(other).constData()), 0);
        } else if (layout == QLatin1String("acl")) {
            QCOMPARE(::chmod(file.constData(), 0600), 0);
            const QByteArray acl = aclWithUser1500();
            if (::setxattr(file.constData(), "system.posix_acl_access", acl.constData(), acl.size(), 0) != 0)
                QSKIP("this file system has no POSIX ACLs");
        } else if (layout == QLatin1String("attribute")) {
            if (::setxattr(file.constData(), "user.origem", "painel", 6, 0) != 0
                || ::setxattr(file.constData(), "user.vazio", "", 0, 0) != 0)
                QSKIP("this file system has no user attributes");
        } else if (layout == QLatin1String("no standard input")) {
            // The first descriptor the save opens is then 0.
            standardInput = ::dup(0);
            QCOMPARE(::close(0), 0);
        } else if (layout == QLatin1String("symbolic link")) {
            other = path;
            path = dir.filePath(QStringLiteral("link.cfg"));
            QVERIFY(QFile::link(other, path));
        } else if (layout == QLatin1String("long name")) {
            // nothing more: the temporary file's name must not grow with it
        } else if (layout == QLatin1String("hidden")) {
            QSKIP("a Windows attribute");
        } else if (!root) {
            QSKIP("giving files to other users, dropping to them and mounting need root");
        } else if (layout == QLatin1String("root saves")) {
            QCOMPARE(::chown(file.constData(), 65534, 65534), 0);
            QCOMPARE(::chmod(file.constData(), 0640), 0);
        } else if (layout == QLatin1String("group member")) {
            QCOMPARE(::chown(file.constData(), 1500, 1500), 0);
            QCOMPARE(::chmod(file.constData(), 0664), 0);
            as = {"--as", "1600:1600:1500"};
        } else if (layout == QLatin1String("owner outside group")) {
            QCOMPARE(::chown(file.constData(), 1600, 1500), 0);
            QCOMPARE(::chmod(file.constData(), 0640), 0);
            as = {"--as", "1600:1600:1600"};
        } else if (layout == QLatin1String("locked folder")) {
            QCOMPARE(::chmod(file.constData(), 0666), 0);
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
            as = {"--as", "1600:1600:1600"};
        } else if (layout == QLatin1String("bind mount")) {
            other = dir.filePath(QStringLiteral("host.cfg"));
            putFile(other, before);
            if (!run(QStringLiteral("mount"), {"--bind", other, path}))
                QSKIP("bind mounts are not allowed here");
            mounted = path;
        }
        const struct stat old = statOf(other.isEmpty() || layout == QLatin1String("hard link") ? path : other);
        QByteArray aclBefore(256, '\0');
        aclBefore.resize(std::max<ssize_t>(0, ::getxattr(file.constData(), "system.posix_acl_access", aclBefore.data(), 256)));

        if (as.isEmpty()) {
            writeValue(path, kSection, QStringLiteral("AddExperience"), QStringLiteral(" 555"));
            if (standardInput >= 0)
                QCOMPARE(::dup2(standardInput, 0), 0);
        } else {
            auto helper = start(QStringList{"set", path, "AddExperience", "555"} + as);
            QCOMPARE(finish(*helper), 0);
        }
        const QByteArray after = withValue(before, kSection, "AddExperience", " 555");
        QCOMPARE(fileBytes(path), after);
        if (!mounted.isEmpty())
            run(QStringLiteral("umount"), {mounted});
        ::chmod(QFile::encodeName(folder).constData(), 0777);

        const struct stat now = statOf(other.isEmpty() || layout == QLatin1String("hard link") ? path : other);
        QCOMPARE(now.st_uid, old.st_uid);
        QCOMPARE(now.st_gid, old.st_gid);
        QCOMPARE(now.st_mode, old.st_mode);
        if (layout == QLatin1String("hard link")) {
            QCOMPARE(fileBytes(other), after); // the other name sees the save
            QCOMPARE(now.st_ino, old.st_ino);
            QCOMPARE(now.st_nlink, nlink_t(2));
        } else if (layout == QLatin1String("acl")) {
            QByteArray acl(256, '\0');
            acl.resize(std::max<ssize_t>(0, ::getxattr(file.constData(), "system.posix_acl_access", acl.data(), 256)));
            QCOMPARE(acl, aclBefore);
        } else if (layout == QLatin1String("attribute")) {
            char value[16] = {};
            QCOMPARE(::getxattr(file.constData(), "user.origem", value, sizeof value), ssize_t(6));
            QCOMPARE(QByteArray(value), QByteArray("painel"));
            QCOMPARE(::getxattr(file.constData(), "user.vazio", value, sizeof value), ssize_t(0));
            QVERIFY(now.st_ino != old.st_ino); // replaced whole, as a file without attributes is
        } else if (layout == QLatin1String("symbolic link")) {
            QVERIFY(QFileInfo(path).isSymLink());
            QCOMPARE(fileBytes(other), after);
        } else if (layout == QLatin1String("bind mount")) {
            QCOMPARE(fileBytes(other), after); // written through the mount
        }
        // No temporary file left beside it, no safety copy left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(journalsInStateFolder(), QStringList());
#endif
    }

    // A save cut off after each of its steps (the process ends there, as a
    // crash would end it): the next read finds the file as it was, as the
    // save left it, or torn; a torn file is refused, naming the copy of its
    // old content, until that content is restored or the file is kept as
    // it is. Nothing is left behind once the next save has run.
    void interruptedSave_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("found"); // old, new, torn; aside: the file then gone, its new content beside
        QTest::addColumn<bool>("restore");  // torn, aside: restore, else keep
        QTest::newRow("a replacement, half its temporary written") << "temporary-half-written" << "old" << false;
        QTest::newRow("a replacement, its temporary flushed") << "temporary-written" << "old" << false;
        QTest::newRow("a replacement cut off between its two steps: put in place")
            << "temporary-written" << "aside" << true;
        QTest::newRow("a replacement cut off between its two steps: removed") << "temporary-written" << "aside" << false;
        QTest::newRow("a replacement cut off, half its temporary written, the file gone")
            << "temporary-half-written" << "missing" << false;
        QTest::newRow("a replacement, renamed") << "renamed" << "new" << false;
        QTest::newRow("in place, half the journal written") << "journal-half-written" << "old" << false;
        QTest::newRow("in place, the journal flushed") << "journal-written" << "old" << false;
        QTest::newRow("in place, half the file written: restored") << "file-half-written" << "torn" << true;
        QTest::newRow("in place, half the file written: kept") << "file-half-written" << "torn" << false;
        QTest::newRow("in place, the file written and flushed") << "file-written" << "new" << false;
    }

    void interruptedSave()
    {
        QFETCH(QString, step);
        QFETCH(QString, found);
        QFETCH(bool, restore);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray old = fileBytes(fixture("commonserver.cfg")) + filler(64 << 10);
        putFile(path, old);
        if (!step.startsWith(QLatin1String("temporary")) && step != QLatin1String("renamed"))
            QVERIFY(hardLink(path, dir.filePath(QStringLiteral("second-name.cfg")))); // saved in place
        auto save = start({"set", path, "AddExperience", "1234567", "--stop-after", step});
        QCOMPARE(finish(*save), 9);
        const QByteArray saved = withValue(old, kSection, "AddExperience", " 1234567");
        if (found == QLatin1String("aside") || found == QLatin1String("missing")) {
            // The old file moved aside, the new one not yet in its place: the
            // two steps of the system's own replacement, cut off between them.
            QVERIFY(QFile::remove(path));
            // A temporary of an older name, which says no size: never offered.
            putFile(besideTemporary(path, QStringLiteral("-abcdef")), QByteArray());
            try {
                readValue(path, kSection, QStringLiteral("AddExperience"));
                QVERIFY2(found == QLatin1String("missing"), "a finished save's content was not offered back");
                QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::filebytes::resolveInterrupted(path, engine::filebytes::Resolution::Restore));
                return;
            } catch (const engine::Failure &failure) {
                QVERIFY2(found == QLatin1String("aside"), qPrintable(failure.description));
                QCOMPARE(failure.kind, engine::FailureKind::FinishedAside);
                QCOMPARE(fileBytes(failure.copy), saved);
                QVERIFY_THROWS_EXCEPTION(engine::Failure, writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1")));
                engine::filebytes::resolveInterrupted(path, restore ? engine::filebytes::Resolution::Restore : engine::filebytes::Resolution::Keep);
                QCOMPARE(QFileInfo::exists(path), restore);
                QVERIFY(!QFileInfo::exists(failure.copy));
                if (!restore)
                    return;
                QCOMPARE(fileBytes(path), saved);
            }
        }

        try {
            const QString value = readValue(path, kSection, QStringLiteral("AddExperience"));
            const bool isNew = found == QLatin1String("new") || found == QLatin1String("aside");
            QCOMPARE(value, isNew ? QStringLiteral("1234567") : QStringLiteral("101"));
            QCOMPARE(fileBytes(path), isNew ? saved : old);
            QVERIFY2(found != QLatin1String("torn"), "a torn file was read");
        } catch (const engine::Failure &failure) {
            QVERIFY2(found == QLatin1String("torn"), qPrintable(failure.description));
            QCOMPARE(failure.kind, engine::FailureKind::InterruptedSave);
            QVERIFY2(QFileInfo::exists(failure.copy), qPrintable(failure.copy));
            // Whoever may read the file may read its old content, to put it back.
            QCOMPARE(QFileInfo(failure.copy).permissions(), QFileInfo(path).permissions());
            QVERIFY(failure.description.contains(QDir::toNativeSeparators(failure.copy)));
            const QByteArray torn = fileBytes(path);
            QVERIFY(torn != old && torn != saved);
            // Saves are refused too, and change nothing.
            QVERIFY_THROWS_EXCEPTION(engine::Failure, writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1")));
            QCOMPARE(fileBytes(path), torn);
            engine::filebytes::resolveInterrupted(path, restore ? engine::filebytes::Resolution::Restore : engine::filebytes::Resolution::Keep);
            QCOMPARE(fileBytes(path), restore ? old : torn);
            QVERIFY(!QFileInfo::exists(failure.copy));
            QVERIFY_THROWS_EXCEPTION(engine::Failure, engine::filebytes::resolveInterrupted(path, engine::filebytes::Resolution::Restore));
        }
        rest(path);
        writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".cse-")), QStringList());
    }

    // Beside a file that is gone, a save's temporary is offered back only
    // when its name says its size and it has all of it: a killed save's
    // shorter one, or one of a name without a size, is no content.
    void temporaryIsOfferedWhenWhole_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("offered");
        QTest::newRow("whole") << "-abcdef-3" << QByteArray("a=1") << true;
        QTest::newRow("whole and empty") << "-abcdef-0" << QByteArray() << true;
        QTest::newRow("shorter than its name says") << "-abcdef-9" << QByteArray("a=1") << false;
        QTest::newRow("a name without a size") << "-abcdef" << QByteArray("a=1") << false;
        QTest::newRow("a size that is not a number") << "-abcdef-x" << QByteArray() << false;
    }

    void temporaryIsOfferedWhenWhole()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, content);
        QFETCH(bool, offered);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QString temporary = besideTemporary(path, suffix);
        putFile(temporary, content);
        try {
            QCOMPARE(readValue(path, kSection, QStringLiteral("Trade"), QStringLiteral("none")), QStringLiteral("none"));
            QVERIFY2(!offered, "a whole temporary was not offered");
        } catch (const engine::Failure &failure) {
            QVERIFY2(offered, qPrintable(failure.description));
            QCOMPARE(failure.kind, engine::FailureKind::FinishedAside);
            QCOMPARE(QFileInfo(failure.copy), QFileInfo(temporary));
        }
    }

    // A finished save that cannot be put in place, or removed, in a folder
    // the user may only read is reported, and stays offered.
    void finishedSaveThatCannotBeSettled_data()
    {
        QTest::addColumn<bool>("discard");
        QTest::newRow("put in place") << false;
        QTest::newRow("removed") << true;
    }

    void finishedSaveThatCannotBeSettled()
    {
#ifdef Q_OS_UNIX
        QFETCH(bool, discard);
        if (::geteuid() != 0)
            QSKIP("dropping to another user needs root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString data = dir.filePath(QStringLiteral("Data")); // root's, the others may only read
        QVERIFY(QDir().mkpath(data));
        QCOMPARE(::chmod(QFile::encodeName(data).constData(), 0755), 0);
        const QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        const QString temporary = besideTemporary(path, QStringLiteral("-abcdef-3"));
        putFile(temporary, "a=1");
        const Ran settled = runAs(QStringLiteral("1600:1600:1600"),
                                  discard ? QStringList{"restore", path, "--discard"} : QStringList{"restore", path});
        QCOMPARE(settled.status, 1);
        QVERIFY2(settled.err.contains(QStringLiteral("Não foi possível gravar")), qPrintable(settled.err));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(fileBytes(temporary), QByteArray("a=1"));
#else
        QSKIP("owners of Unix");
#endif
    }

    // A path that climbs back ("..") out of a folder the user may not search
    // is refused with the system's reason, as the system itself refuses it.
    void climbingOutOfAClosedFolder()
    {
#ifdef Q_OS_UNIX
        if (::geteuid() != 0)
            QSKIP("dropping to another user needs root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString closed = dir.filePath(QStringLiteral("fechada")); // root's, 0700
        QVERIFY(QDir().mkpath(closed));
        QCOMPARE(::chmod(QFile::encodeName(closed).constData(), 0700), 0);
        putFile(dir.filePath(QStringLiteral("commonserver.cfg")), fileBytes(fixture("commonserver.cfg")));
        const Ran read = runAs(QStringLiteral("1600:1600:1600"),
                               {"get", closed + QStringLiteral("/../commonserver.cfg"), "AddExperience"});
        QCOMPARE(read.status, 1);
        QVERIFY2(read.err.contains(engine::systemErrorText(EACCES)), qPrintable(read.err));
#else
        QSKIP("owners of Unix");
#endif
    }

    // Saves killed at random moments (SIGKILL): every torn file is found and
    // restored, never read as if whole, and the next save leaves nothing
    // behind, neither temporaries nor journals.
    void killedSaves_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("by rename") << false;
        QTest::newRow("in place, a file with two names") << true;
    }

    void killedSaves()
    {
        QFETCH(bool, inPlace);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const int megabytes = qEnvironmentVariableIsSet("OTHERWRITERS_MEGABYTES")
                                  ? qEnvironmentVariableIntValue("OTHERWRITERS_MEGABYTES")
                                  : 4;
        const QByteArray old = fileBytes(fixture("commonserver.cfg")) + filler(qint64(megabytes) << 20);
        putFile(path, old);
        if (inPlace)
            QVERIFY(hardLink(path, dir.filePath(QStringLiteral("second-name.cfg"))));
        QElapsedTimer timer;
        timer.start();
        auto first = start({"set", path, "AddExperience", "7"});
        QCOMPARE(finish(*first), 0);
        const int saveMs = int(timer.elapsed());
        qInfo("one save: %d ms", saveMs);
        int torn = 0;
        int whole = 0;
        int missing = 0;
        const int count = rounds() * 2;
        for (int round = 0; round < count; ++round) {
            putFile(path, old);
            const QString value = QString::number(1000000 + round);
            auto save = start({"set", path, "AddExperience", value});
            QVERIFY(save->waitForStarted());
            // Mostly late, where the file itself is written.
            std::this_thread::sleep_for(std::chrono::milliseconds(saveMs / 3 + QRandomGenerator::global()->bounded(saveMs + 1)));
            save->kill();
            save->waitForFinished();
            if (!QFileInfo::exists(path)) {
                ++missing;
                continue;
            }
            try {
                const QByteArray now = engine::inifile::readFile(path).value_or(QByteArray());
                const QByteArray saved = withValue(old, kSection, "AddExperience", ' ' + value);
                QVERIFY2(now == old || now == saved,
                         qPrintable(QStringLiteral("a torn file was read: %1 bytes (old %2, saved %3), the first %4 as old")
                                        .arg(now.size())
                                        .arg(old.size())
                                        .arg(saved.size())
                                        .arg(std::mismatch(now.begin(), now.end(), old.begin(), old.end()).first
                                             - now.begin())));
                ++whole;
            } catch (const engine::Failure &failure) {
                QCOMPARE(failure.kind, engine::FailureKind::InterruptedSave);
                engine::filebytes::resolveInterrupted(path, engine::filebytes::Resolution::Restore);
                QCOMPARE(fileBytes(path), old);
                ++torn;
            }
        }
        std::printf("saves killed %s: %d of %d rounds torn, found and restored, %d whole, %d without the file\n",
                    inPlace ? "in place" : "by rename", torn, count, whole, missing);
        QCOMPARE(missing, 0);
        rest(path);
        writeValue(path, kSection, QStringLiteral("Trade"), QStringLiteral(" 1"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".cse-")), QStringList());
        QCOMPARE(journalsInStateFolder(), QStringList());
    }

    // A shared server: the game server's user (1500) owns the data folder,
    // root saves. A link of that user is followed only to what is theirs:
    // root's run neither writes nor reads another person's file through it.
    void anotherUsersLinks_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("followed");
        QTest::newRow("the game server's user points the file at root's 0600 file") << "file" << false;
        QTest::newRow("the game server's user points a folder at root's folder") << "folder" << false;
        QTest::newRow("a dangling link into root's folder, like /etc/nologin") << "dangling" << false;
        QTest::newRow("the game server's user points the file at their own file") << "own file" << true;
        QTest::newRow("root's own link to root's file") << "root's link" << true;
    }

    void anotherUsersLinks()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, layout);
        QFETCH(bool, followed);
        if (::geteuid() != 0)
            QSKIP("giving links and files to other users needs root");
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("Data"));
        const QString rootOnly = dir.filePath(QStringLiteral("root-only"));
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(rootOnly));
        QCOMPARE(::chown(QFile::encodeName(data).constData(), 1500, 1500), 0);
        QCOMPARE(::chmod(QFile::encodeName(rootOnly).constData(), 0700), 0);
        const QByteArray secret("[GameServerInfo]\r\nAddExperience = segredo\r\n");
        const QString target = QDir(rootOnly).filePath(QStringLiteral("secret.cfg"));
        putFile(target, secret);
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0600), 0);
        QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        QString link = path;
        QString pointsAt = target;
        uid_t linkOwner = 1500;
        if (layout == QLatin1String("folder")) {
            link = QDir(data).filePath(QStringLiteral("Config"));
            pointsAt = rootOnly;
            path = QDir(link).filePath(QStringLiteral("secret.cfg"));
        } else if (layout == QLatin1String("dangling")) {
            pointsAt = QDir(rootOnly).filePath(QStringLiteral("nologin"));
        } else if (layout == QLatin1String("own file")) {
            QCOMPARE(::chown(QFile::encodeName(target).constData(), 1500, 1500), 0);
        } else if (layout == QLatin1String("root's link")) {
            linkOwner = 0;
        }
        QVERIFY(QFile::link(pointsAt, link));
        QCOMPARE(::lchown(QFile::encodeName(link).constData(), linkOwner, linkOwner), 0);

        engine::inifile::WriteOptions backup;
        backup.backup = true;
        try {
            const engine::inifile::WriteOutcome outcome =
                writePairs(path, kSection, {{QStringLiteral("AddExperience"), QStringLiteral(" 50")}}, backup);
            QVERIFY2(followed, "another user's link was followed");
            QCOMPARE(QFileInfo(outcome.backup).path(), rootOnly); // beside the real file, never the link
            QCOMPARE(readValue(path, kSection, QStringLiteral("AddExperience")), QStringLiteral("50"));
        } catch (const engine::Failure &failure) {
            QVERIFY2(!followed, qPrintable(failure.description));
            QVERIFY2(failure.description.contains(link), qPrintable(failure.description));
            QCOMPARE(fileBytes(target), secret);
            QVERIFY(!QFileInfo::exists(pointsAt) || QFileInfo(pointsAt).isDir() || pointsAt == target);
            if (layout != QLatin1String("dangling")) {
                QVERIFY2(failure.description.contains(QStringLiteral("usuário 1500"))
                             && failure.description.contains(QStringLiteral("usuário root (0)")),
                         qPrintable(failure.description)); // both owners named
                // A read is refused as well: nothing of root's file shows.
                QVERIFY_THROWS_EXCEPTION(engine::Failure, readValue(path, kSection, QStringLiteral("AddExperience")));
            }
        }
        if (!followed) {
            QCOMPARE(QDir(rootOnly).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("secret.cfg")});
            QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                     layout == QLatin1String("folder") ? QStringList{QStringLiteral("Config")}
                                                       : QStringList{QStringLiteral("commonserver.cfg")});
        }
#else
        QSKIP("owners of links are a Unix matter here");
#endif
    }

    // Backups and journals are private from their first byte: a third user,
    // opening every new file of the folder as it appears, reads none of
    // them. Afterwards they let in exactly whoever the file lets in: they take
    // its group, mode and ACL (and its owner where the saver may give it),
    // or, where the saver cannot give them the file's group, they stay the
    // saver's alone, never open to "others" the file's ACL shuts out.
    void copiesAreSharedExactlyOrNotAtAll_data()
    {
        QTest::addColumn<bool>("sticky");     // a 1777 folder, else the game server's user's
        QTest::addColumn<QString>("fileOwner"); // UID:GID
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("acl");
        QTest::addColumn<QString>("saver");   // empty: root
        QTest::addColumn<bool>("shared");     // the copies take the file's identity, else 0600
#ifdef Q_OS_UNIX
        QTest::newRow("root saves the game server's 640 file with an ACL for its user")
            << false << "1500:1500" << 0640 << aclWithUser(1500, 4, 0) << "" << true;
        QTest::newRow("a saver outside the file's group, a 644 file whose ACL shuts one user out, in a 1777 folder")
            << true << "1600:0" << 0644 << aclWithUser(1700, 0, 4) << "1600:1600:1600" << false;
#endif
    }

    void copiesAreSharedExactlyOrNotAtAll()
    {
#ifdef Q_OS_LINUX
        QFETCH(bool, sticky);
        QFETCH(QString, fileOwner);
        QFETCH(int, mode);
        QFETCH(QByteArray, acl);
        QFETCH(QString, saver);
        QFETCH(bool, shared);
        if (::geteuid() != 0)
            QSKIP("giving files to other users and dropping to them need root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString data = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(data));
        const QByteArray folder = QFile::encodeName(data);
        QCOMPARE(sticky ? ::chmod(folder.constData(), 01777) : ::chown(folder.constData(), 1500, 1500), 0);
        const QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, fileBytes(fixture("commonserver.cfg")) + filler(256 << 10));
        const QByteArray file = QFile::encodeName(path);
        QCOMPARE(::chown(file.constData(), fileOwner.section(':', 0, 0).toUInt(), fileOwner.section(':', 1).toUInt()), 0);
        QCOMPARE(::chmod(file.constData(), mode_t(mode)), 0);
        const bool withAcl = ::setxattr(file.constData(), "system.posix_acl_access", acl.constData(), acl.size(), 0) == 0;
        // A second name: every other save goes in place, behind a journal.
        const QString second = QDir(data).filePath(QStringLiteral("second-name.cfg"));
        const QStringList as = saver.isEmpty() ? QStringList() : QStringList{"--as", saver};

        auto snooper = start({"snoop", data, "60000", "--as", "1700:1700:1700"});
        QVERIFY(snooper->waitForReadyRead(10000));
        const int saves = std::max(10, rounds() * 4);
        for (int round = 0; round < saves; ++round) {
            if (round == saves / 2)
                QCOMPARE(::link(file.constData(), QFile::encodeName(second).constData()), 0);
            auto save = start(QStringList{"set", path, "AddExperience", QString::number(round), "--backup"} + as);
            QCOMPARE(finish(*save), 0);
            rest(path);
        }
        // A save that ends once the file is written keeps its journal.
        auto last = start(QStringList{"set", path, "AddExperience", "last", "--stop-after", "file-written"} + as);
        QCOMPARE(finish(*last), 9);
        snooper->kill();
        snooper->waitForFinished();
        const QByteArray told = snooper->readAllStandardError();
        QVERIFY2(told.isEmpty(), told.constData());

        QStringList copies = QDir(data).entryList({QStringLiteral("commonserver.cfg.*.bak")}, QDir::Files);
        QCOMPARE(copies.size(), saves);
        copies << journalsIn(data);
        QCOMPARE(copies.size(), saves + 1);
        const struct stat original = statOf(path);
        for (const QString &name : copies) {
            const QString copyPath = QDir(data).filePath(name);
            const struct stat copy = statOf(copyPath);
            QCOMPARE(copy.st_uid, shared ? original.st_uid : uid_t(saver.section(':', 0, 0).toUInt()));
            QCOMPARE(copy.st_mode, shared ? original.st_mode : mode_t(S_IFREG | 0600));
            if (shared)
                QCOMPARE(copy.st_gid, original.st_gid);
            QByteArray copied(256, '\0');
            copied.resize(std::max<ssize_t>(0, ::getxattr(QFile::encodeName(copyPath).constData(),
                                                          "system.posix_acl_access", copied.data(), 256)));
            QCOMPARE(copied, withAcl && shared ? acl : QByteArray());
            // Nobody reads a copy who may not read the file.
            for (const QString &reader : {QStringLiteral("1500:1500:1500"), QStringLiteral("1700:1700:1700")}) {
                const bool readsFile = runAs(reader, {"open", path}).status == 0;
                const bool readsCopy = runAs(reader, {"open", copyPath}).status == 0;
                QVERIFY2(shared ? readsCopy == readsFile : !readsCopy, qPrintable(reader + QLatin1Char(' ') + name));
            }
        }
#else
        QSKIP("watching a folder for new files is inotify here");
#endif
    }

    // A journal is evidence, not an order. The same journal, in the
    // documented format, beside a file that looks like what it says was
    // being written: believed from whoever may write the file (root, the
    // file's owner), and then the file is refused until it is put back; from
    // anyone else (the game server's user beside root's file, another user in
    // a 1777 folder) it never blocks a read or a save, nothing is restored
    // from it, and a restore says so, naming it.
    void journalIsBelievedFromWhoMayWrite_data()
    {
        QTest::addColumn<bool>("sticky"); // a 1777 folder, else the game server's user's
        QTest::addColumn<uint>("fileOwner");
        QTest::addColumn<uint>("journalOwner");
        QTest::addColumn<QString>("runner"); // who reads, restores and saves
        QTest::addColumn<bool>("believed");
        QTest::addColumn<bool>("removable"); // by the runner
        QTest::newRow("forged by the game server's user beside root's file")
            << false << 0u << 1500u << "0:0:0" << false << true;
        QTest::newRow("planted by another user beside a user's file in a 1777 folder")
            << true << 1600u << 1700u << "1600:1600:1600" << false << true;
        QTest::newRow("root's own beside root's file") << false << 0u << 0u << "0:0:0" << true << true;
        QTest::newRow("the file's owner's in a 1777 folder, found by root")
            << true << 1600u << 1600u << "0:0:0" << true << true;
        QTest::newRow("root's in a 1777 folder, discarded by the file's owner")
            << true << 1600u << 0u << "1600:1600:1600" << true << false;
    }

    void journalIsBelievedFromWhoMayWrite()
    {
#ifdef Q_OS_UNIX
        QFETCH(bool, sticky);
        QFETCH(uint, fileOwner);
        QFETCH(uint, journalOwner);
        QFETCH(QString, runner);
        QFETCH(bool, believed);
        QFETCH(bool, removable);
        if (::geteuid() != 0)
            QSKIP("giving files to other users and dropping to them need root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString data = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(data));
        const QByteArray folder = QFile::encodeName(data);
        QCOMPARE(sticky ? ::chmod(folder.constData(), 01777) : ::chown(folder.constData(), 1500, 1500), 0);
        const QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray file = fileBytes(fixture("commonserver.cfg"));
        putFile(path, file);
        QCOMPARE(::chown(QFile::encodeName(path).constData(), fileOwner, fileOwner), 0);
        // The file as a rewrite from `old` to `next` can leave it: the new
        // content but for its last byte, which is still the old one's.
        const QByteArray old = QByteArray("[GameServerInfo]\r\nAddExperience = 999\r\n;").leftJustified(file.size() - 1, ';')
                               + file.right(1);
        QByteArray next = file;
        next[next.size() - 1] = 'X';
        const QString journal = besideJournal(path);
        putFile(journal, journalText(path, old, next));
        QCOMPARE(::chown(QFile::encodeName(journal).constData(), journalOwner, journalOwner), 0);

        const Ran read = runAs(runner, {"get", path, "AddExperience"});
        if (believed) {
            QCOMPARE(read.status, 1);
            QVERIFY2(read.err.contains(QStringLiteral("interrompida")) && read.err.contains(journal), qPrintable(read.err));
            if (!removable) {
                // The file stays; the journal, and the refusal, until its owner removes it.
                const Ran discarded = runAs(runner, {"restore", path, "--discard"});
                QCOMPARE(discarded.status, 1);
                QVERIFY2(discarded.err.contains(QStringLiteral("não pôde ser removida"))
                             && discarded.err.contains(QStringLiteral("(do usuário root (0))")),
                         qPrintable(discarded.err));
                QCOMPARE(fileBytes(path), file);
                QVERIFY(QFileInfo::exists(journal));
                return;
            }
            QCOMPARE(runAs(runner, {"restore", path}).status, 0);
            QCOMPARE(fileBytes(path), old);
            QVERIFY(!QFileInfo::exists(journal));
            return;
        }
        QCOMPARE(read.status, 0);
        QCOMPARE(read.out, QStringLiteral("101\n"));
        const Ran kept = runAs(runner, {"restore", path, "--discard"});
        QCOMPARE(kept.status, 1);
        QVERIFY2(kept.err.contains(QStringLiteral("Não há gravação interrompida")) && kept.err.contains(journal)
                     && kept.err.contains(QStringLiteral("não foi levado em conta")),
                 qPrintable(kept.err));
        QCOMPARE(runAs(runner, {"restore", path}).status, 1);
        QCOMPARE(fileBytes(path), file);
        QCOMPARE(runAs(runner, {"set", path, "Trade", "1"}).status, 0);
        QCOMPARE(fileBytes(path), withValue(file, kSection, "Trade", " 1"));
#else
        QSKIP("owners of Unix");
#endif
    }

    // A journal in the documented format is believed; one with a line the
    // format does not have, or a hash that is not one, is not: it never
    // blocks a read.
    void journalOfAnotherFormatIsNotBelieved_data()
    {
        QTest::addColumn<QByteArray>("inserted");
        QTest::addColumn<QByteArray>("oldHash");
        QTest::addColumn<bool>("believed");
        QTest::newRow("the documented format") << QByteArray() << QByteArray() << true;
        QTest::newRow("a line the format does not have") << QByteArray("mode 0644\n") << QByteArray() << false;
        QTest::newRow("a hash that is not one") << QByteArray() << QByteArray(64, 'z') << false;
    }

    void journalOfAnotherFormatIsNotBelieved()
    {
#ifdef Q_OS_UNIX
        QFETCH(QByteArray, inserted);
        QFETCH(QByteArray, oldHash);
        QFETCH(bool, believed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray file = fileBytes(fixture("commonserver.cfg"));
        putFile(path, file);
        // The file as a rewrite from `old` to `next` can leave it.
        const QByteArray old = QByteArray("[GameServerInfo]\r\nAddExperience = 999\r\n;").leftJustified(file.size() - 1, ';')
                               + file.right(1);
        QByteArray next = file;
        next[next.size() - 1] = 'X';
        putFile(besideJournal(path), journalText(path, old, next, inserted, oldHash));
        try {
            QCOMPARE(readValue(path, kSection, QStringLiteral("AddExperience")), QStringLiteral("101"));
            QVERIFY2(!believed, "the journal was not believed");
        } catch (const engine::Failure &failure) {
            QVERIFY2(believed, qPrintable(failure.description));
            QCOMPARE(failure.kind, engine::FailureKind::InterruptedSave);
        }
#else
        QSKIP("a journal names the file by its Unix identity here");
#endif
    }

    // A save that cannot keep its journal beside the file (an administrator
    // in the file's group, in a folder only the game server's user may
    // write) keeps it in the machine's shared folder. Cut off halfway, the
    // torn file is found there by root, by the file's owner and by the
    // administrator; its owner puts it back, and root's next look clears the
    // journal. Without a shared folder the save says that only its user
    // would find it.
    void journalOfAFolderTheSaverCannotWrite_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("squatted"); // another user holds the journal's name there
        QTest::newRow("the machine's shared folder") << true << false;
        QTest::newRow("the shared folder, the journal's name taken by another user") << true << true;
        QTest::newRow("no shared folder: the administrator's own") << false << false;
    }

    void journalOfAFolderTheSaverCannotWrite()
    {
#ifdef Q_OS_UNIX
        QFETCH(bool, shared);
        QFETCH(bool, squatted);
        if (::geteuid() != 0)
            QSKIP("giving files to other users and dropping to them need root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString data = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(data));
        QCOMPARE(::chown(QFile::encodeName(data).constData(), 1500, 1500), 0);
        const QString path = QDir(data).filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray old = fileBytes(fixture("commonserver.cfg")) + filler(256 << 10);
        putFile(path, old);
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 1500, 1500), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0664), 0);
        const QString admin = QStringLiteral("1600:1600:1500");
        // The machine's shared folder, where every user of the test reaches it.
        const QString folder = dir.filePath(QStringLiteral("journals"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
        const QByteArray machines = qgetenv("COMMONSERVER_EDITOR_JOURNALS");
        const auto restore = qScopeGuard([&] { qputenv("COMMONSERVER_EDITOR_JOURNALS", machines); });
        qputenv("COMMONSERVER_EDITOR_JOURNALS", QFile::encodeName(shared ? folder : dir.filePath(QStringLiteral("none"))));
        if (!shared) {
            const Ran saved = runAs(admin, {"set", path, "AddExperience", "5"});
            QCOMPARE(saved.status, 0);
            QVERIFY2(saved.out.contains(QStringLiteral("só este usuário a encontrará")), qPrintable(saved.out));
            // Nor can a backup go beside the file: refused, nothing written.
            const QByteArray before = fileBytes(path);
            const Ran backedUp = runAs(admin, {"set", path, "AddExperience", "6", "--backup"});
            QCOMPARE(backedUp.status, 1);
            QVERIFY2(backedUp.err.contains(QStringLiteral("Não foi possível guardar uma cópia")), qPrintable(backedUp.err));
            QCOMPARE(fileBytes(path), before);
            return;
        }
        const struct stat st = statOf(path);
        const QString prefix = QStringLiteral("%1-%2.j").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
        const QStringList squatters = squatted ? QStringList{prefix} : QStringList();
        if (squatted) {
            putFile(QDir(folder).filePath(prefix), QByteArray());
            QCOMPARE(::chown(QFile::encodeName(QDir(folder).filePath(prefix)).constData(), 1700, 1700), 0);
        }
        const Ran cut = runAs(admin, {"set", path, "AddExperience", "1234567", "--stop-after", "file-half-written"});
        QCOMPARE(cut.status, 9);
        QCOMPARE(journalsIn(folder).filter(prefix).size(), squatted ? 2 : 1);
        for (const QString &user : {QStringLiteral("0:0:0"), QStringLiteral("1500:1500:1500"), admin}) {
            const Ran read = runAs(user, {"get", path, "AddExperience"});
            QCOMPARE(read.status, 1);
            QVERIFY2(read.err.contains(QStringLiteral("interrompida")) && read.err.contains(folder), qPrintable(read.err));
        }
        QCOMPARE(runAs(QStringLiteral("1500:1500:1500"), {"restore", path}).status, 0);
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(runAs(QStringLiteral("0:0:0"), {"get", path, "AddExperience"}).out, QStringLiteral("101\n"));
        QCOMPARE(journalsIn(folder).filter(prefix), squatters);
#else
        QSKIP("owners of Unix");
#endif
    }

    // Something named like a journal is read a chunk at a time and never past
    // what its header declares: a 4 GB file declaring 4 GB of contents beside
    // a small file is not read at all, whoever owns it, and a read takes its
    // usual moment in 512 MB of address space.
    void hugeJournalIsNotRead_data()
    {
        QTest::addColumn<uint>("owner");
        QTest::newRow("the user's own") << 0u;
        QTest::newRow("another user's") << 1500u;
    }

    void hugeJournalIsNotRead()
    {
#ifdef Q_OS_UNIX
        QFETCH(uint, owner);
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        putFile(path, fileBytes(fixture("commonserver.cfg")));
        const struct stat st = statOf(path);
        const qint64 half = qint64(1) << 31;
        QByteArray header = "commonserver-editor journal 2\npath "
                            + QFileInfo(path).canonicalFilePath().toUtf8().toPercentEncoding() + "\nidentity "
                            + QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino))
                            + "\nold " + QByteArray::number(half) + ' ' + QByteArray(64, 'a') + "\nnew "
                            + QByteArray::number(half) + ' ' + QByteArray(64, 'b') + "\n\n";
        const QByteArray end = "\nend " + QCryptographicHash::hash(header, QCryptographicHash::Sha256).toHex() + '\n';
        QFile journal(besideJournal(path));
        QVERIFY(journal.open(QIODevice::WriteOnly) && journal.write(header) == header.size());
        QVERIFY(journal.seek(header.size() + 2 * half) && journal.write(end) == end.size());
        journal.close();
        QCOMPARE(::chown(QFile::encodeName(journal.fileName()).constData(), owner, owner), 0);
        QElapsedTimer timer;
        timer.start();
        const Ran read = runAs(QString(), {"get", path, "AddExperience", "--memory", "512"});
        QCOMPARE(read.status, 0);
        QCOMPARE(read.out, QStringLiteral("101\n"));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        // The next save: the user's own journal that the file does not match
        // goes; another user's is not the user's to remove.
        QVERIFY(QFileInfo::exists(journal.fileName()));
        QCOMPARE(runAs(QString(), {"set", path, "Trade", "1"}).status, 0);
        QCOMPARE(QFileInfo::exists(journal.fileName()), owner != 0);
#else
        QSKIP("sparse files and owners of Unix");
#endif
    }

    // A rewrite in place in a folder the user cannot write to keeps its
    // journal in the user's state folder: made private where it is given,
    // refused, saying what to set, where there is none.
    void stateFolder_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value"); // {dir}: a folder of the test's
        QTest::addColumn<QString>("folder"); // where the state folder is; empty: refused
        QTest::addColumn<bool>("openBefore"); // the folder is there already, readable by everyone
        QTest::newRow("a service without User= has no HOME") << "" << "" << "" << false;
        QTest::newRow("HOME names no folder") << "HOME" << "/nonexistent" << "" << false;
        QTest::newRow("HOME") << "HOME" << "{dir}" << "{dir}/.local/state/commonserver-editor" << false;
        QTest::newRow("XDG_STATE_HOME") << "XDG_STATE_HOME" << "{dir}/xdg" << "{dir}/xdg/commonserver-editor" << false;
        QTest::newRow("systemd's StateDirectory=") << "STATE_DIRECTORY" << "{dir}/state" << "{dir}/state" << false;
        QTest::newRow("a state folder open to everyone is made private")
            << "STATE_DIRECTORY" << "{dir}/state" << "{dir}/state" << true;
    }

    void stateFolder()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QString, folder);
        QFETCH(bool, openBefore);
        if (::geteuid() != 0)
            QSKIP("dropping to another user needs root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString home = dir.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        QCOMPARE(::chown(QFile::encodeName(home).constData(), 1600, 1600), 0);
        const QString server = dir.filePath(QStringLiteral("server"));
        QVERIFY(QDir().mkpath(server));
        const QString path = QDir(server).filePath(QStringLiteral("commonserver.cfg"));
        const QByteArray before = fileBytes(fixture("commonserver.cfg"));
        putFile(path, before);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(::chmod(QFile::encodeName(server).constData(), 0555), 0);

        QProcessEnvironment environment;
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        if (!variable.isEmpty())
            environment.insert(variable, QString(value).replace(QStringLiteral("{dir}"), home));
        folder.replace(QStringLiteral("{dir}"), home);
        if (openBefore) {
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 1600, 1600), 0);
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
        }
        QProcess helper;
        helper.setProcessEnvironment(environment);
        helper.start(filewriter(), {"set", path, "AddExperience", "555", "--as", "1600:1600:1600"});
        const int status = finish(helper);
        ::chmod(QFile::encodeName(server).constData(), 0755);
        if (folder.isEmpty()) {
            QCOMPARE(status, 1);
            QVERIFY(helper.readAllStandardError().contains("STATE_DIRECTORY"));
            QCOMPARE(fileBytes(path), before);
            return;
        }
        QCOMPARE(status, 0);
        QCOMPARE(fileBytes(path), withValue(before, kSection, "AddExperience", " 555"));
        QCOMPARE(statOf(folder).st_mode & 07777, mode_t(0700));
        QCOMPARE(statOf(folder).st_uid, uid_t(1600));
        QCOMPARE(journalsIn(folder), QStringList()); // the journal went
#else
        QSKIP("owners and HOME of Unix");
#endif
    }

    // A file the window read, deleted since, is not made again from the few
    // values a save changes; a path never read is still created.
    void vanishedFileIsNotMadeAgain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("commonserver.cfg"));
        engine::inifile::WriteOptions mustExist;
        mustExist.mustExist = true;
        try {
            writePairs(path, kSection, {{QStringLiteral("AddExperience"), QStringLiteral(" 1")}}, mustExist);
            QFAIL("a vanished file was made again");
        } catch (const engine::Failure &failure) {
            QVERIFY2(failure.description.contains(QStringLiteral("não existe mais")), qPrintable(failure.description));
        }
        QVERIFY(!QFileInfo::exists(path));
        writePairs(path, kSection, {{QStringLiteral("AddExperience"), QStringLiteral(" 1")}});
        QCOMPARE(fileBytes(path), QByteArray("[GameServerInfo]\r\nAddExperience= 1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestOtherWriters)
#include "tst_otherwriters.moc"
