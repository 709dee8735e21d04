// A file's identity on POSIX systems: what tells it from another (device,
// inode) and a change of it from none (size, times), and what makes a copy
// the same file to the people who may read it (owner, group, mode, ACL,
// extended attributes). With the helpers the other POSIX files share.

#include "engine/filebytes/posix.h"

#include "engine/systemerror.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>
#include <vector>

namespace engine::filebytes::system {
namespace posix {

QByteArray encoded(const QString &text)
{
    return QFile::encodeName(text);
}

int openAt(const File &folder, const QByteArray &name, int flags, mode_t mode)
{
    int fd;
    do
        fd = ::openat(folder.get(), name.constData(), flags | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

QString userName(uid_t uid)
{
    struct passwd entry;
    struct passwd *found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
    return QString::number(uid);
}

namespace {

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

Snapshot snapshotFrom(const struct stat &st)
{
    Snapshot snapshot;
    snapshot.device = quint64(st.st_dev);
    snapshot.inode = quint64(st.st_ino);
    snapshot.size = qint64(st.st_size);
    snapshot.modified = nanoseconds(st.st_mtim);
    snapshot.changed = nanoseconds(st.st_ctim);
    snapshot.links = quint64(st.st_nlink);
    snapshot.owner = st.st_uid;
    snapshot.group = st.st_gid;
    snapshot.mode = st.st_mode & 07777;
    snapshot.regular = S_ISREG(st.st_mode);
    snapshot.folder = S_ISDIR(st.st_mode);
    snapshot.readOnly = !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
    return snapshot;
}

} // namespace posix

using posix::encoded;
using posix::snapshotFrom;

File::File(Native native)
    : m_native(native)
{
}

File::~File()
{
    reset();
}

File::File(File &&other) noexcept
    : m_native(other.m_native)
{
    other.m_native = invalid();
}

File &File::operator=(File &&other) noexcept
{
    if (this != &other) {
        reset();
        m_native = other.m_native;
        other.m_native = invalid();
    }
    return *this;
}

bool File::valid() const
{
    return m_native >= 0;
}

void File::reset()
{
    if (valid())
        ::close(m_native);
    m_native = invalid();
}

Native File::invalid()
{
    return -1;
}

std::optional<Snapshot> snapshot(const File &file)
{
    struct stat st;
    if (::fstat(file.get(), &st) != 0)
        return std::nullopt;
    return snapshotFrom(st);
}

std::optional<Snapshot> snapshotAt(const Place &place)
{
    struct stat st;
    if (::fstatat(place.folder.handle.get(), encoded(place.name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return snapshotFrom(st);
}

namespace {

// The file's ACL (POSIX: its access ACL) given to `copy`; false when the
// file has one that could not be given.
bool takeAcl(const File &file, const File &copy)
{
    constexpr const char *kAcl = "system.posix_acl_access";
    const ssize_t size = ::fgetxattr(file.get(), kAcl, nullptr, 0);
    if (size < 0)
        return errno == ENODATA || errno == ENOTSUP;
    std::vector<char> value(std::size_t(size) + 1);
    const ssize_t got = ::fgetxattr(file.get(), kAcl, value.data(), value.size());
    return got >= 0 && ::fsetxattr(copy.get(), kAcl, value.data(), std::size_t(got), 0) == 0;
}

// Readable by its writer alone, without any ACL.
bool keepPrivate(const File &copy)
{
    ::fremovexattr(copy.get(), "system.posix_acl_access");
    ::fchmod(copy.get(), 0600);
    return false;
}

} // namespace

bool takeIdentity(const File &file, const Snapshot &of, const File &copy, bool exact)
{
    struct stat created;
    if (::fstat(copy.get(), &created) != 0)
        return exact ? false : keepPrivate(copy);
    // Only root gives a file away, and only to a group one belongs to.
    const bool owner = created.st_uid == of.owner || ::fchown(copy.get(), of.owner, gid_t(-1)) == 0;
    if (!owner && exact)
        return false;
    const bool group = created.st_gid == of.group || ::fchown(copy.get(), uid_t(-1), of.group) == 0;
    if (!exact) {
        // The group bits, the ACL's entries and the others' bits are the
        // file's own only together, with the file's group: else they would
        // let in someone the file shuts out.
        if (!group || ::fchmod(copy.get(), mode_t(of.mode & 0777)) != 0 || !takeAcl(file, copy))
            return keepPrivate(copy);
        return true;
    }
    // After fchown, which clears set-id bits.
    if (!group || ::fchmod(copy.get(), mode_t(of.mode)) != 0)
        return false;
    const ssize_t size = ::flistxattr(file.get(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP; // no attributes where the file system has none
    std::vector<char> names(std::size_t(size) + 1);
    const ssize_t listed = ::flistxattr(file.get(), names.data(), names.size());
    if (listed < 0)
        return false;
    for (const char *name = names.data(); name < names.data() + listed; name += std::strlen(name) + 1) {
        const ssize_t valueSize = ::fgetxattr(file.get(), name, nullptr, 0);
        std::vector<char> value(std::size_t(std::max<ssize_t>(valueSize, 0)) + 1);
        const ssize_t got = valueSize < 0 ? -1 : ::fgetxattr(file.get(), name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(copy.get(), name, value.data(), std::size_t(got), 0) != 0)
            return false; // e.g. an SELinux label the user may not set
    }
    return true;
}

bool believable(const Folder &folder, const File &copy, const File &, const Snapshot &of)
{
    struct stat st;
    if (::fstat(copy.get(), &st) != 0)
        return false;
    const uid_t author = st.st_uid;
    if (author == 0 || author == ::geteuid() || author == of.owner || (of.mode & S_IWOTH))
        return true;
    // A member of the file's group, which may write the file: only a member
    // (or root) can have given the copy that group, unless the folder hands
    // its own group to whatever is made in it.
    struct stat in;
    return (of.mode & S_IWGRP) && st.st_gid == of.group && ::fstat(folder.handle.get(), &in) == 0
           && !(in.st_mode & S_ISGID);
}

bool ownedByUserOrRoot(const File &copy)
{
    struct stat st;
    return ::fstat(copy.get(), &st) == 0 && (st.st_uid == 0 || st.st_uid == ::geteuid());
}

QString ownerName(const File &copy)
{
    struct stat st;
    return ::fstat(copy.get(), &st) == 0 ? posix::userName(st.st_uid) : QString();
}

} // namespace engine::filebytes::system
