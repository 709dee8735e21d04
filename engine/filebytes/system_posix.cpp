// The file layer's system part on Linux and other POSIX systems: files
// opened in their held folder, flock for the lock, a read lease to tell
// writers and /proc to name them, inotify to watch, renameat for the
// replacement. The walk along a path is place_posix.cpp, a file's identity
// identity_posix.cpp.

#include "engine/filebytes/posix.h"

#include "engine/filebytes/failures.h"
#include "engine/filebytes/seams.h"
#include "engine/systemerror.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace engine::filebytes::system {

using posix::encoded;
using posix::openAt;
using posix::userName;

std::optional<File> openToRead(const Place &place, const QString &path)
{
    // Non-blocking: a pipe put there is opened without waiting for a writer.
    File file(openAt(place.folder.handle, encoded(place.name), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
    if (file.valid())
        return file;
    const int error = errno;
    if (error == ENOENT)
        return std::nullopt;
    failures::cannotRead(path, systemErrorText(error));
}

File openToWrite(const Place &place, const QString &path)
{
    File file(openAt(place.folder.handle, encoded(place.name), O_WRONLY | O_NOFOLLOW));
    if (!file.valid())
        failures::cannotWrite(path, systemErrorText(errno));
    return file;
}

std::optional<File> createNew(const Place &place, const QString &path)
{
    File file(openAt(place.folder.handle, encoded(place.name), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666));
    if (file.valid())
        return file;
    const int error = errno;
    if (error == EEXIST)
        return std::nullopt;
    failures::cannotCreate(path, systemErrorText(error));
}

std::optional<File> createPrivate(const Folder &folder, const QString &name, int *error)
{
    File file(openAt(folder.handle, encoded(name), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
    if (file.valid())
        return file;
    *error = errno;
    return std::nullopt;
}

bool alreadyExists(int error)
{
    return error == EEXIST;
}

int writeAccess(const Place &place, const File &)
{
    return ::faccessat(place.folder.handle.get(), encoded(place.name).constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

Lock::Lock()
    : m_native(-1)
{
}

Lock::Lock(Native native)
    : m_native(native)
{
}

Lock::~Lock()
{
    if (m_native >= 0) {
        ::flock(m_native, LOCK_UN);
        ::close(m_native);
    }
}

Lock::Lock(Lock &&other) noexcept
    : m_native(other.m_native)
{
    other.m_native = -1;
}

Lock &Lock::operator=(Lock &&other) noexcept
{
    std::swap(m_native, other.m_native);
    return *this;
}

Lock lockPlace(const Place &, settling::Waiting &)
{
    return Lock(); // the lock is the file's own (flock)
}

Lock lockFile(const Place &place, const File &file, bool exclusive, settling::Waiting &waiting)
{
    bool said = false;
    const int mode = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (const int error = seams::lockResult(::flock(file.get(), mode) == 0 ? 0 : errno)) {
        if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL)
            return Lock(); // a file system without locks: the identity checks remain
        if (error != EWOULDBLOCK && error != EINTR)
            failures::cannotWrite(waiting.path(), systemErrorText(error));
        if (waiting.passed())
            failures::locked(waiting.path(), holders(place, file, true), waiting.waitedMilliseconds());
        if (!said)
            waiting.say(settling::Reason::Lock);
        said = true;
        waiting.pause(settling::kPoll);
    }
    // A duplicate of the descriptor lets the lock go without the file.
    return Lock(::fcntl(file.get(), F_DUPFD_CLOEXEC, 0));
}

std::optional<bool> openForWritingElsewhere(const Place &, const File &file)
{
#ifdef __linux__
    // Linux refuses a read lease while another process holds the file open
    // for writing; leases are for the file's owner and root, and not on every
    // file system. The lease is let go at once; an opener it held up
    // meanwhile would signal this process, with a signal ignored by default.
    ::fcntl(file.get(), F_SETSIG, SIGURG);
    if (::fcntl(file.get(), F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(file.get(), F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN)
        return true;
#else
    Q_UNUSED(file);
#endif
    return std::nullopt;
}

namespace {

// "o programa "nome" (PID 12)", and whether it is this program.
QString describeProcess(const QByteArray &pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
    QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
    char exe[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/" + pid + "/exe").constData(), exe, sizeof exe - 1);
    const QString program = length > 0 ? QFile::decodeName(QByteArray(exe, length)) : QString();
    const bool ours = program.section(QLatin1Char('/'), -1).startsWith(QLatin1String("commonserver-"));
    return QStringLiteral("%1 \"%2\" (PID %3)")
        .arg(ours ? QStringLiteral("outra cópia deste programa,") : QStringLiteral("o programa"), name,
             QString::fromLatin1(pid));
}

} // namespace

QString holders(const Place &, const File &file, bool lockHolders)
{
#ifdef __linux__
    struct stat st;
    if (::fstat(file.get(), &st) != 0)
        return QString();
    const QByteArray self = QByteArray::number(::getpid());
    QList<QByteArray> pids;
    if (lockHolders) {
        // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; "->" marks a waiter.
        QFile locks(QStringLiteral("/proc/locks"));
        const QByteArray device = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':'
                                  + QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':'
                                  + QByteArray::number(quint64(st.st_ino));
        if (locks.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : locks.readAll().split('\n')) {
                const QList<QByteArray> fields = line.simplified().split(' ');
                if (fields.size() >= 6 && fields.at(1) != "->" && fields.at(5) == device && !pids.contains(fields.at(4)))
                    pids << fields.at(4);
            }
        }
    } else {
        // Every descriptor of every process this user may look at.
        QDir proc(QStringLiteral("/proc"));
        for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray pid = entry.toLatin1();
            if (pid.isEmpty() || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; })
                || pid == self)
                continue;
            const QString fds = QStringLiteral("/proc/%1/fd").arg(entry);
            for (const QString &fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
                struct stat open;
                if (::stat(QFile::encodeName(fds + QLatin1Char('/') + fd).constData(), &open) != 0
                    || open.st_dev != st.st_dev || open.st_ino != st.st_ino)
                    continue;
                QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(entry, fd));
                if (!info.open(QIODevice::ReadOnly))
                    continue;
                for (const QByteArray &line : info.readAll().split('\n')) {
                    bool number = false;
                    const int flags = line.startsWith("flags:") ? line.mid(6).trimmed().toInt(&number, 8) : 0;
                    if (number && (flags & O_ACCMODE) != O_RDONLY && !pids.contains(pid))
                        pids << pid;
                }
            }
        }
    }
    QStringList described;
    for (const QByteArray &pid : pids)
        described << describeProcess(pid);
    return described.join(QStringLiteral("; "));
#else
    Q_UNUSED(file);
    Q_UNUSED(lockHolders);
    return QString();
#endif
}

Watcher::Watcher(const File &file)
    : m_file(file)
    , m_watch(-1)
{
#ifdef __linux__
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.get());
    if (m_watch >= 0
        && ::inotify_add_watch(m_watch, self.constData(),
                               IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
#endif
    m_seen = snapshot(file);
}

Watcher::~Watcher()
{
    if (m_watch >= 0)
        ::close(m_watch);
}

bool Watcher::waitForChange(settling::Nanoseconds timeout, const settling::Waiting &waiting)
{
    using namespace std::chrono_literals;
    const auto end = std::chrono::steady_clock::now() + std::min(timeout, waiting.left());
    for (;;) {
        waiting.checkCancelled();
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return false;
        const auto slice = std::min<settling::Nanoseconds>(20ms, end - now);
        if (m_watch >= 0) {
            pollfd watched{m_watch, POLLIN, 0};
            const int timeoutMs = int(std::max<qint64>(1, std::chrono::duration_cast<std::chrono::milliseconds>(slice).count()));
            if (::poll(&watched, 1, timeoutMs) > 0) {
                char events[4096];
                while (::read(m_watch, events, sizeof events) > 0) {
                }
                return true;
            }
            continue;
        }
        waiting.pause(slice);
        const std::optional<Snapshot> now2 = snapshot(m_file);
        if (now2 && m_seen && !sameFileUnchanged(*now2, *m_seen)) {
            m_seen = now2;
            return true;
        }
    }
}

int readAll(const File &file, QByteArray *bytes)
{
    struct stat st;
    if (::fstat(file.get(), &st) != 0)
        return errno;
    // Straight into the array, one byte more than the file had, so that the
    // end shows without growing it; a file that grew meanwhile grows it.
    bytes->resize(qsizetype(st.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes->size())
            bytes->resize(bytes->size() * 2);
        const ssize_t got = ::pread(file.get(), bytes->data() + filled, std::size_t(bytes->size() - filled), off_t(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        filled += got;
    }
    bytes->truncate(filled);
    return 0;
}

int writeAll(const File &file, const QByteArray &bytes, qint64 at)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::pwrite(file.get(), bytes.constData() + done, std::size_t(bytes.size() - done), off_t(at + done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        done += written;
    }
    return 0;
}

int resize(const File &file, qint64 size)
{
    return ::ftruncate(file.get(), off_t(size)) == 0 ? 0 : errno;
}

int reserve(const File &file, qint64 size)
{
#ifdef __linux__
    if (::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0) {
        const int error = errno;
        return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL ? 0 : error;
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(size);
#endif
    return 0;
}

int flush(const File &file)
{
    return seams::flushResult(seams::Flushed::File, ::fsync(file.get()) == 0 ? 0 : errno);
}

int flushFolder(const Folder &folder)
{
    File readable(openAt(folder.handle, ".", O_RDONLY | O_DIRECTORY));
    if (!readable.valid())
        return seams::flushResult(seams::Flushed::Folder, errno);
    int error = ::fsync(readable.get()) == 0 ? 0 : errno;
    if (error == EINVAL || error == ENOTSUP)
        error = 0; // a file system whose folders need no flushing
    return seams::flushResult(seams::Flushed::Folder, error);
}

std::optional<File> openCopy(const Folder &folder, const QString &name)
{
    // Looked at before it is opened: opening a device or a FIFO can do things.
    struct stat seen;
    if (::fstatat(folder.handle.get(), encoded(name).constData(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode))
        return std::nullopt;
    File file(openAt(folder.handle, encoded(name), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
    struct stat opened;
    if (!file.valid() || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != seen.st_ino
        || opened.st_dev != seen.st_dev)
        return std::nullopt;
    return file;
}

int readSome(const File &file, qint64 at, qint64 size, QByteArray *bytes)
{
    bytes->resize(qsizetype(size));
    qsizetype filled = 0;
    while (filled < bytes->size()) {
        const ssize_t got = ::pread(file.get(), bytes->data() + filled, std::size_t(bytes->size() - filled), off_t(at + filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        filled += got;
    }
    bytes->truncate(filled);
    return 0;
}

int endOfFileError()
{
    return EIO;
}

bool existsAt(const Folder &folder, const QString &name)
{
    struct stat st;
    return ::fstatat(folder.handle.get(), encoded(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int removeAt(const Folder &folder, const QString &name)
{
    return ::unlinkat(folder.handle.get(), encoded(name).constData(), 0) == 0 ? 0 : errno;
}

QStringList namesIn(const Folder &folder, const QString &prefix)
{
    QStringList names;
    const int fd = openAt(folder.handle, ".", O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return names;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    const QByteArray start = encoded(prefix);
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, start.constData(), std::size_t(start.size())) == 0)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

Replaced replace(const Place &place, File &file, const Snapshot &before, const QByteArray &bytes,
                 const QString &temporary, const QString &path)
{
    if (before.links > 1)
        return Replaced::InPlace; // a rename would split the names of the file
    int error = 0;
    std::optional<File> out = createPrivate(place.folder, temporary, &error);
    if (!out) {
        if (error == EACCES || error == EPERM)
            return Replaced::InPlace; // a folder the user cannot write to
        failures::cannotWrite(path, systemErrorText(error));
    }
    const auto discard = [&] {
        out->reset();
        removeAt(place.folder, temporary);
    };
    error = writeAll(*out, bytes.left(bytes.size() / 2), 0);
    seams::reached(seams::Step::TemporaryHalfWritten);
    if (error == 0)
        error = writeAll(*out, bytes.mid(bytes.size() / 2), bytes.size() / 2);
    if (error == 0 && !takeIdentity(file, before, *out, true)) {
        discard();
        return Replaced::InPlace;
    }
    if (error == 0)
        error = flush(*out);
    if (error != 0) {
        discard();
        failures::cannotWrite(path, systemErrorText(error)); // the file itself was not touched
    }
    seams::reached(seams::Step::TemporaryWritten);
    // The very last look: a change since the read means reading again.
    const std::optional<Snapshot> now = snapshotAt(place);
    if (!now || !sameFileUnchanged(*now, before)) {
        discard();
        return Replaced::Retry;
    }
    const std::optional<Snapshot> written = snapshot(*out);
    if (::renameat(place.folder.handle.get(), encoded(temporary).constData(), place.folder.handle.get(),
                   encoded(place.name).constData())
        != 0) {
        error = errno;
        // Said to have failed, it may still have happened (a network file system).
        const std::optional<Snapshot> after = snapshotAt(place);
        if (after && written && sameFile(*after, *written))
            failures::writeFailed(path, systemErrorText(error), failures::describeContent(failures::Content::New, QString()));
        discard();
        if (error == EBUSY || error == EXDEV || error == EPERM || error == EACCES)
            return Replaced::InPlace; // e.g. a file bind-mounted into a container
        const bool unchanged = after && sameFileUnchanged(*after, before);
        failures::writeFailed(path, systemErrorText(error),
                              failures::describeContent(unchanged ? failures::Content::Old : failures::Content::Unknown,
                                                        QString()));
    }
    seams::reached(seams::Step::Renamed);
    error = flushFolder(place.folder);
    if (error != 0)
        failures::notDurable(path, systemErrorText(error));
    return Replaced::Done;
}

int moveInto(const Place &place, const QString &temporary)
{
    // A second name first, then the first one goes: nothing that appeared at
    // the place meanwhile is replaced.
    if (::linkat(place.folder.handle.get(), encoded(temporary).constData(), place.folder.handle.get(),
                 encoded(place.name).constData(), 0)
        != 0)
        return errno;
    ::unlinkat(place.folder.handle.get(), encoded(temporary).constData(), 0);
    return 0;
}

std::optional<Folder> stateFolder(bool make, QString *whyNot)
{
    // systemd's StateDirectory= names the folder itself; the others hold it.
    QString folder = qEnvironmentVariable("STATE_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString home = qEnvironmentVariable("HOME");
    struct stat st;
    if (!folder.startsWith(QLatin1Char('/'))) {
        if (xdg.startsWith(QLatin1Char('/')))
            folder = xdg + QStringLiteral("/commonserver-editor");
        else if (home.startsWith(QLatin1Char('/')) && ::stat(encoded(home).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            folder = home + QStringLiteral("/.local/state/commonserver-editor");
        else {
            *whyNot = QStringLiteral("não há pasta para ela: HOME não é uma pasta existente; defina STATE_DIRECTORY "
                                     "(StateDirectory= num serviço do systemd) ou XDG_STATE_HOME");
            return std::nullopt;
        }
    }
    folder = QDir::cleanPath(folder);
    // Every missing folder on the way is made private to the user.
    qsizetype slash = make && ::stat(encoded(folder).constData(), &st) != 0 ? 0 : -1;
    while (slash != -1) {
        slash = folder.indexOf(QLatin1Char('/'), slash + 1);
        const QByteArray part = encoded(slash == -1 ? folder : folder.left(slash));
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            *whyNot = QStringLiteral("a pasta \"%1\" não pôde ser criada: %2").arg(QFile::decodeName(part), systemErrorText(errno));
            return std::nullopt;
        }
    }
    File handle(::open(encoded(folder).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!handle.valid() || ::fstat(handle.get(), &st) != 0) {
        *whyNot = QStringLiteral("a pasta \"%1\" não pôde ser aberta: %2").arg(folder, systemErrorText(errno));
        return std::nullopt;
    }
    if (st.st_uid != ::geteuid()) {
        *whyNot = QStringLiteral("a pasta \"%1\" é do usuário %2").arg(folder, userName(st.st_uid));
        return std::nullopt;
    }
    if ((st.st_mode & 0077) != 0) {
        const File readable(openAt(handle, ".", O_RDONLY | O_DIRECTORY));
        if (!readable.valid() || ::fchmod(readable.get(), 0700) != 0) {
            *whyNot = QStringLiteral("a pasta \"%1\" não pôde ficar só do usuário: %2").arg(folder, systemErrorText(errno));
            return std::nullopt;
        }
    }
    return Folder{std::move(handle), folder};
}

std::optional<Folder> sharedFolder(bool make, QString *whyNot)
{
    const QString named = qEnvironmentVariable("COMMONSERVER_EDITOR_JOURNALS");
    const QString folder =
        QDir::cleanPath(named.startsWith(QLatin1Char('/')) ? named : QStringLiteral("/var/lib/commonserver-editor-journals"));
    if (make && ::geteuid() == 0 && ::mkdir(encoded(folder).constData(), 0700) == 0) {
        // Made private first, and only then opened to everyone: nobody can
        // put anything in it before it is sticky.
        if (::chmod(encoded(folder).constData(), 01777) != 0)
            ::rmdir(encoded(folder).constData());
    }
    File handle(::open(encoded(folder).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!handle.valid() || ::fstat(handle.get(), &st) != 0) {
        *whyNot = QStringLiteral("a pasta \"%1\" não existe ou não pôde ser aberta: %2").arg(folder, systemErrorText(errno));
        return std::nullopt;
    }
    // Like /tmp: root's, open to everyone, sticky. Anything else may be
    // someone's trap: a folder whose owner could remove or swap the journals.
    if (st.st_uid != 0 || (st.st_mode & 07777) != 01777) {
        *whyNot = QStringLiteral("a pasta \"%1\" não é do root com permissões 1777 (é do usuário %2, %3)")
                      .arg(folder, userName(st.st_uid), QString::number(st.st_mode & 07777, 8));
        return std::nullopt;
    }
    return Folder{std::move(handle), folder};
}

} // namespace engine::filebytes::system
