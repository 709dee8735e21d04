// filebytes::update on Linux and other POSIX systems: flock for the lock,
// stat for the file's identity, rename for the atomic replacement, and
// pwrite for the rewrite in place.

#include "platform/filebytes.h"

#include "platform/failure.h"
#include "platform/filebytes/durable.h"
#include "platform/filebytes/failures.h"
#include "platform/filebytes/safetycopy.h"
#include "platform/filebytes/settling.h"
#include "platform/systemerror.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace filebytes {
namespace {

QString reason(int error)
{
    return platform::systemErrorText(error);
}

// A file descriptor that closes itself.
class Fd
{
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept
        : m_fd(other.m_fd)
    {
        other.m_fd = -1;
    }
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file (device and inode) with the same content as far as the
// system tells: size, modification and change times to the nanosecond.
bool sameFileUnchanged(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
           && sameTime(a.st_mtim, b.st_mtim) && sameTime(a.st_ctim, b.st_ctim);
}

settling::Moment lastChange(const struct stat &st)
{
    const timespec &latest = (st.st_ctim.tv_sec > st.st_mtim.tv_sec
                              || (st.st_ctim.tv_sec == st.st_mtim.tv_sec && st.st_ctim.tv_nsec > st.st_mtim.tv_nsec))
                                 ? st.st_ctim
                                 : st.st_mtim;
    return settling::Moment{qint64(latest.tv_sec) * 1000000000 + latest.tv_nsec};
}

std::optional<struct stat> statOf(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return st;
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file an update writes: the path with every symbolic link followed, so
// that a link stays a link; for a missing file, the real path of its folder
// and its name. A loop of links, a name too long or a missing folder is
// reported as what it is.
QByteArray resolveTarget(const QString &path, const QByteArray &encoded, int depth = 0)
{
    char resolved[PATH_MAX];
    if (::realpath(encoded.constData(), resolved))
        return QByteArray(resolved);
    const int error = errno;
    if (error != ENOENT)
        failures::cannotWrite(path, reason(error));
    struct stat link;
    if (::lstat(encoded.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        // A link to a file that does not exist yet: the file is made where it points.
        if (depth >= 40)
            failures::cannotWrite(path, reason(ELOOP));
        std::vector<char> target(std::size_t(link.st_size > 0 ? link.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(encoded.constData(), target.data(), target.size() - 1);
        if (length < 0)
            failures::cannotWrite(path, reason(errno));
        QByteArray next(target.data(), length);
        if (!next.startsWith('/'))
            next = parentOf(encoded) + '/' + next;
        return resolveTarget(path, next, depth + 1);
    }
    const QByteArray folder = parentOf(encoded);
    if (!::realpath(folder.constData(), resolved)) {
        const int folderError = errno;
        if (folderError == ENOENT)
            failures::folderMissing(path);
        failures::cannotWrite(path, reason(folderError));
    }
    const QByteArray name = encoded.mid(encoded.lastIndexOf('/') + 1);
    const QByteArray realFolder(resolved);
    return (realFolder == "/" ? realFolder : realFolder + '/') + name;
}

// Waits for the exclusive lock that every update of this program takes.
void lockExclusive(const QString &path, int fd)
{
    settling::Deadline deadline(settling::kLockWait);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL)
            return; // a file system without locks: the identity checks remain
        if (error != EWOULDBLOCK && error != EINTR)
            failures::cannotWrite(path, reason(error));
        if (deadline.passed())
            failures::locked(path);
        settling::pause(settling::kPoll);
    }
}

// Whether another process holds the file open for writing right now: Linux
// refuses a read lease then. nullopt where that cannot be known (leases are
// for the file's owner and root, and not on every file system). The lease
// is let go at once; an opener it held up meanwhile would signal this
// process, with a signal whose default is to be ignored.
std::optional<bool> openForWritingElsewhere(int readOnlyFd)
{
#ifdef __linux__
    ::fcntl(readOnlyFd, F_SETSIG, SIGURG);
    if (::fcntl(readOnlyFd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(readOnlyFd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN)
        return true;
#else
    Q_UNUSED(readOnlyFd);
#endif
    return std::nullopt;
}

// Gives a file that another program may still be writing time to settle: it
// must not be open for writing elsewhere, and must have stayed unchanged for
// a quiet period. Throws when it keeps changing.
void waitUntilSettled(const QString &path, int fd, settling::Deadline &deadline)
{
    for (;;) {
        const std::optional<struct stat> seen = statOf(fd);
        if (!seen)
            failures::cannotWrite(path, reason(errno));
        const qint64 age = settling::ageOf(lastChange(*seen));
        const std::optional<bool> beingWritten = openForWritingElsewhere(fd);
        const settling::Nanoseconds quiet = beingWritten ? settling::kQuietWhenClosed : settling::kQuiet;
        if (!beingWritten.value_or(false) && age >= quiet.count())
            return;
        if (deadline.passed())
            failures::keepsChanging(path);
        if (beingWritten.value_or(false)) {
            settling::pause(settling::kPoll);
            continue;
        }
        // A time in the future (another clock) cannot age: it must hold still.
        settling::pause(age >= 0 ? settling::Nanoseconds(quiet.count() - age) : quiet);
        const std::optional<struct stat> now = statOf(fd);
        if (age < 0 && now && sameFileUnchanged(*seen, *now))
            return;
    }
}

// The whole file, read straight into the array: one byte more than its size
// shows the end without growing it.
std::optional<QByteArray> readAll(int fd, off_t size, int *error)
{
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::pread(fd, bytes.data() + filled, std::size_t(bytes.size() - filled), off_t(filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return std::nullopt;
        }
        if (got == 0) {
            bytes.truncate(filled);
            return bytes;
        }
        filled += got;
    }
}

// 0, or the error of the first write that failed.
int writeAll(int fd, const QByteArray &bytes, off_t at)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(fd, bytes.constData() + done, std::size_t(bytes.size() - done), at + done);
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

enum class Replaced { Done, InPlace, Retry };

// Removes the empty file an update made for a missing one, unless kept, and
// only while the path still names that file.
class CreatedFile
{
public:
    CreatedFile(QByteArray path, int fd)
        : m_path(std::move(path))
    {
        if (!m_path.isEmpty() && ::fstat(fd, &m_made) != 0)
            m_path.clear();
    }
    ~CreatedFile()
    {
        struct stat now;
        if (!m_path.isEmpty() && ::stat(m_path.constData(), &now) == 0 && now.st_dev == m_made.st_dev
            && now.st_ino == m_made.st_ino)
            ::unlink(m_path.constData());
    }
    CreatedFile(const CreatedFile &) = delete;
    CreatedFile &operator=(const CreatedFile &) = delete;
    void keep() { m_path.clear(); }

private:
    QByteArray m_path;
    struct stat m_made = {};
};

// Copies what makes the file the same file to the new one: owner, group,
// mode, ACLs and extended attributes. False when one of them cannot be kept.
bool copyIdentity(int from, int to, const struct stat &old)
{
    struct stat created;
    if (::fstat(to, &created) != 0)
        return false;
    if ((created.st_uid != old.st_uid || created.st_gid != old.st_gid) && ::fchown(to, old.st_uid, old.st_gid) != 0)
        return false; // only root gives a file away, and only to a group one belongs to
    if (::fchmod(to, old.st_mode & 07777) != 0) // after fchown, which clears set-id bits
        return false;
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP; // no attributes where the file system has none
    std::vector<char> names(std::size_t(size) + 1);
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    if (listed < 0)
        return false;
    for (const char *name = names.data(); name < names.data() + listed; name += std::strlen(name) + 1) {
        const ssize_t valueSize = ::fgetxattr(from, name, nullptr, 0);
        if (valueSize < 0)
            return false;
        std::vector<char> value(std::size_t(valueSize) + 1);
        const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(to, name, value.data(), std::size_t(got), 0) != 0)
            return false; // e.g. an SELinux label the user may not set
    }
    return true;
}

// The atomic replacement: a temporary file beside the target takes the new
// content and the old file's identity, is flushed, and is renamed over it.
// InPlace when the replacement cannot keep the file the same file, Retry
// when the file changed meanwhile.
Replaced replaceByRename(const QString &path, const QByteArray &target, int fd, const struct stat &old,
                         const QByteArray &bytes)
{
    if (old.st_nlink > 1)
        return Replaced::InPlace; // a rename would split the names of the file
    const QByteArray folder = parentOf(target);
    QByteArray temporary = folder + "/.cse-XXXXXX";
    Fd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid()) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            return Replaced::InPlace; // a folder the user cannot write to
        failures::cannotWrite(path, reason(error));
    }
    const auto discard = [&] {
        out.reset();
        ::unlink(temporary.constData());
    };
    int error = writeAll(out.get(), bytes, 0);
    if (error == 0 && !copyIdentity(fd, out.get(), old)) {
        discard();
        return Replaced::InPlace;
    }
    if (error == 0)
        error = durable::syncHandle(out.get());
    if (error != 0) {
        discard();
        failures::cannotWrite(path, reason(error));
    }
    // The very last look: a change since the read means reading again.
    struct stat now;
    if (::stat(target.constData(), &now) != 0 || !sameFileUnchanged(now, old)) {
        discard();
        return Replaced::Retry;
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        error = errno;
        discard();
        if (error == EBUSY || error == EXDEV || error == EPERM || error == EACCES)
            return Replaced::InPlace; // e.g. a file bind-mounted into a container
        failures::cannotWrite(path, reason(error));
    }
    out.reset();
    error = durable::syncFolder(QFile::decodeName(folder));
    if (error != 0)
        failures::notDurable(path, reason(error));
    return Replaced::Done;
}

// The rewrite in place, for files a rename cannot keep the same: the old
// content is first copied durably to the state folder, then the file is
// overwritten, cut to its new length and flushed. On a failure the old
// content is written back.
void rewriteInPlace(const QString &path, int fd, const QByteArray &old, const QByteArray &bytes)
{
    const QString copy = safetycopy::keep(path, old);
#ifdef __linux__
    // Room for a longer content first, so that a full disk stops the rewrite
    // before it has begun. The file keeps its size until it is written.
    if (bytes.size() > old.size() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0) {
        const int error = errno;
        if (error != EOPNOTSUPP && error != ENOSYS && error != EINVAL) {
            safetycopy::discard(copy);
            failures::cannotWrite(path, reason(error));
        }
    }
#endif
    int error = writeAll(fd, bytes, 0);
    if (error == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0)
        error = errno;
    if (error == 0)
        error = durable::syncHandle(fd);
    if (error == 0) {
        safetycopy::discard(copy);
        return;
    }
    const bool restored = writeAll(fd, old, 0) == 0 && ::ftruncate(fd, off_t(old.size())) == 0
                          && durable::syncHandle(fd) == 0;
    if (restored)
        safetycopy::discard(copy);
    failures::inPlaceFailed(path, reason(error), restored, copy);
}

} // namespace

Outcome update(const QString &path, const Change &change, const UpdateOptions &options)
{
    if (path.isEmpty())
        failures::noPath();
    const QByteArray target = resolveTarget(path, QFile::encodeName(path));
    settling::Deadline settleDeadline(settling::kSettleBudget);
    for (int attempt = 0; attempt < settling::kAttempts; ++attempt) {
        bool created = false;
        // Read-only: a descriptor of ours open for writing would hide other
        // writers from the lease probe. Writing in place opens another one.
        Fd fd(::open(target.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (!fd.valid()) {
            const int error = errno;
            if (error != ENOENT) {
                struct stat st;
                if (::stat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
                    failures::notRegular(path, S_ISDIR(st.st_mode));
                failures::cannotWrite(path, reason(error));
            }
            if (options.mustExist)
                failures::vanished(path);
            fd = Fd(::open(target.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
            if (!fd.valid()) {
                const int createError = errno;
                if (createError == EEXIST)
                    continue; // made by someone else meanwhile: update that one
                failures::cannotCreate(path, reason(createError));
            }
            created = true;
        }
        // A file this update made is removed again unless it is written.
        CreatedFile madeHere(created ? target : QByteArray(), fd.get());
        std::optional<struct stat> opened = statOf(fd.get());
        if (!opened)
            failures::cannotWrite(path, reason(errno));
        if (!S_ISREG(opened->st_mode))
            failures::notRegular(path, S_ISDIR(opened->st_mode));
        if (!(opened->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            failures::readOnly(path); // also for root, like the read-only attribute on Windows
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            failures::cannotWrite(path, reason(errno)); // no permission, a read-only file system
        lockExclusive(path, fd.get());
        // While this update waited for the lock, another one may have put a
        // new file at the path: update that one instead.
        struct stat atPath;
        opened = statOf(fd.get());
        if (!opened || ::stat(target.constData(), &atPath) != 0 || atPath.st_ino != opened->st_ino
            || atPath.st_dev != opened->st_dev)
            continue;
        if (!created)
            waitUntilSettled(path, fd.get(), settleDeadline);

        const std::optional<struct stat> before = statOf(fd.get());
        int error = 0;
        const std::optional<QByteArray> content = before ? readAll(fd.get(), before->st_size, &error) : std::nullopt;
        if (!content)
            failures::cannotRead(path, reason(before ? error : errno));
        const std::optional<struct stat> afterRead = statOf(fd.get());
        if (!afterRead || !sameFileUnchanged(*before, *afterRead))
            continue; // changed while it was read: let it settle and read again

        Outcome outcome;
        outcome.before = created ? std::nullopt : content;
        const std::optional<QByteArray> next = change(outcome.before);
        if (!next)
            return outcome;
        if (options.beforeReplace)
            options.beforeReplace(outcome.before, *next);
        switch (replaceByRename(path, target, fd.get(), *before, *next)) {
        case Replaced::Retry:
            continue;
        case Replaced::InPlace: {
            Fd writer(::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
            if (!writer.valid())
                failures::cannotWrite(path, reason(errno));
            const std::optional<struct stat> now = statOf(writer.get());
            if (!now || !sameFileUnchanged(*now, *before))
                continue;
            rewriteInPlace(path, writer.get(), *content, *next);
            break;
        }
        case Replaced::Done:
            break;
        }
        madeHere.keep();
        outcome.written = true;
        outcome.after = *next;
        return outcome;
    }
    failures::keepsChanging(path);
}

} // namespace filebytes
