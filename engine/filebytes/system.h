#pragma once

// What each system gives the file update (system_posix.cpp, system_windows.cpp):
// the real place behind a path, handles, a file's identity, locks, reads and
// writes, private copies and the replacement. What is the same everywhere
// (the update's steps, the wait for other writers, the journal) is written
// once on top of it.

#include "engine/filebytes/settling.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace engine::filebytes::system {

#ifdef Q_OS_WIN
using Native = void *; // HANDLE
#else
using Native = int; // file descriptor
#endif

// An open file or folder that closes itself.
class File
{
public:
    File() = default;
    explicit File(Native native);
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;
    Native get() const { return m_native; }
    bool valid() const;
    void reset();

private:
    Native m_native = invalid();
    static Native invalid();
};

// What tells a file from another, and a change of it from none.
struct Snapshot
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since 1970
    qint64 changed = 0;  // the metadata's change, nanoseconds since 1970
    quint64 links = 1;
    quint32 owner = 0;   // user and group ids, permission bits (POSIX)
    quint32 group = 0;
    quint32 mode = 0;
    bool regular = true;
    bool folder = false;
    bool readOnly = false; // no write permission bit, the read-only attribute
};

inline bool sameFile(const Snapshot &a, const Snapshot &b)
{
    return a.device == b.device && a.inode == b.inode;
}

// The same file with the same content as far as the system tells.
inline bool sameFileUnchanged(const Snapshot &a, const Snapshot &b)
{
    return sameFile(a, b) && a.size == b.size && a.modified == b.modified && a.changed == b.changed;
}

// A real folder, held open where the system allows, so that nothing done in
// it can be redirected by renaming the folders on its path.
struct Folder
{
    File handle;  // POSIX: the folder itself (O_PATH); Windows: none
    QString path; // its real path
    QString nativePath(const QString &name) const;
};

// Where a file is: its real folder and its name in it.
struct Place
{
    Folder folder;
    QString name;
    QString throughLink; // the symbolic link the name was reached by, if any
    QString path() const { return folder.nativePath(name); }
};

enum class Purpose { Read, Write };

// The real place of `path`, reached one component at a time, never through
// a symbolic link whose owner is neither the user nor root when it leads to
// a file or folder owned by someone else. nullopt for a read whose folder
// does not exist. Throws a Failure for what it refuses or cannot reach.
std::optional<Place> locate(const QString &path, Purpose purpose);

// The file at the place, open for reading (never for writing: an own handle
// open for writing would hide other writers from the probe below); nullopt
// when nothing is there. Throws for what cannot be opened.
std::optional<File> openToRead(const Place &place, const QString &path);
// Open for writing in place.
File openToWrite(const Place &place, const QString &path);
// A new empty file at the place, with the usual permissions; nullopt when
// something appeared there meanwhile.
std::optional<File> createNew(const Place &place, const QString &path);
// A new file only its user may open, where nothing may be yet; nullopt and
// the error when it cannot be made.
std::optional<File> createPrivate(const Folder &folder, const QString &name, int *error);
// Whether an error says that something is already there.
bool alreadyExists(int error);

std::optional<Snapshot> snapshot(const File &file);
// What the place names now, without following a link.
std::optional<Snapshot> snapshotAt(const Place &place);
// 0, or why the user may not write the file (no permission, a read-only file system).
int writeAccess(const Place &place, const File &file);

// The lock every update of this program takes, and every read of a file
// with a journal, held until the object goes: first on the place, before the
// file is opened (Windows: a named mutex of the file's real path; nothing on
// POSIX), then on the open file (POSIX: flock; nothing on Windows, whose
// other programs' open handles would keep the replacement from happening).
// Throws the locked failure when the wait runs out, the cancelled one when
// it is stopped.
class Lock
{
public:
    Lock();
    explicit Lock(Native native);
    ~Lock();
    Lock(Lock &&other) noexcept;
    Lock &operator=(Lock &&other) noexcept;
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    Native m_native;
};
Lock lockPlace(const Place &place, settling::Waiting &waiting);
Lock lockFile(const Place &place, const File &file, bool exclusive, settling::Waiting &waiting);

// Whether another process holds the file open for writing right now; nullopt
// where the system cannot tell.
std::optional<bool> openForWritingElsewhere(const Place &place, const File &file);
// Who holds the file open for writing, or a lock on it: "o programa "x"
// (PID 12), ..." where the system tells; empty where it does not.
QString holders(const Place &place, const File &file, bool lockHolders);

// Tells when a file changes.
class Watcher
{
public:
    explicit Watcher(const File &file);
    ~Watcher();
    Watcher(const Watcher &) = delete;
    Watcher &operator=(const Watcher &) = delete;
    // Waits at most `timeout` for a change; whether one came (a watcher
    // that cannot watch says so after the timeout, by comparing snapshots).
    bool waitForChange(settling::Nanoseconds timeout, const settling::Waiting &waiting);

private:
    const File &m_file;
    Native m_watch;
    std::optional<Snapshot> m_seen;
};

// Reads and writes; 0 or the system's error.
int readAll(const File &file, QByteArray *bytes);
int writeAll(const File &file, const QByteArray &bytes, qint64 at);
int resize(const File &file, qint64 size);
// Room for `size` bytes before a rewrite begins, where the system can promise it.
int reserve(const File &file, qint64 size);
int flush(const File &file);
int flushFolder(const Folder &folder);

// Gives `copy` the owner, group, permissions, ACL and attributes of `file`.
// With `exact`, false as soon as one of them cannot be given (the
// replacement then goes in place). Else `copy` is a copy of the content
// (a backup, a journal): it takes the file's group, permissions and ACL
// (and its owner where the user may give it), so that exactly whoever may
// read the file may read it, or, where one of them cannot be given, stays
// readable by its writer alone; false then.
bool takeIdentity(const File &file, const Snapshot &of, const File &copy, bool exact);

// A copy that someone may have left in the folder (a journal), open for
// reading: only a regular file, reached without following a link and
// without opening anything else there (a FIFO, a device); nullopt otherwise.
std::optional<File> openCopy(const Folder &folder, const QString &name);
// At most `size` bytes from `at` into `bytes` (fewer at the end); 0 or the error.
int readSome(const File &file, qint64 at, qint64 size, QByteArray *bytes);
// The error to report for a file that ended before the bytes it should hold.
int endOfFileError();
// Whether the owner of `copy`, found in `folder`, may speak for `file`:
// root (an administrator, the system), the user running, the file's owner,
// or someone its permissions let write it, who could write any bytes into
// it anyway (POSIX: a member of its group, which the copy's group proves).
bool believable(const Folder &folder, const File &copy, const File &file, const Snapshot &of);
// Who owns `copy`, as reports name users.
QString ownerName(const File &copy);
// Whether `copy` is the user's own, or root's (an administrator's, the system's).
bool ownedByUserOrRoot(const File &copy);

// Whether anything is at the name, a link itself included.
bool existsAt(const Folder &folder, const QString &name);
// 0, or the system's error.
int removeAt(const Folder &folder, const QString &name);
QStringList namesIn(const Folder &folder, const QString &prefix);

// The replacement: a new file named `temporary` in the place's folder takes
// the bytes and the old file's identity, is flushed and replaces the file in
// one step (POSIX: renameat; Windows: MoveFileExW, written through).
// `file` may be closed on the way (Windows: no handle of ours may hold the
// file it replaces).
enum class Replaced { Done, InPlace, Retry };
Replaced replace(const Place &place, File &file, const Snapshot &before, const QByteArray &bytes,
                 const QString &temporary, const QString &path);

// Puts the file named `temporary` in the place's folder at the place, where
// nothing is; 0 or the system's error.
int moveInto(const Place &place, const QString &temporary);

// The program's own folder for what it keeps between runs, made private
// (0700) when missing and `make`; nullopt with the reason when there is none.
std::optional<Folder> stateFolder(bool make, QString *whyNot);

// The machine's folder for the journals of saves that cannot keep theirs
// beside the file, which every user searches:
// /var/lib/commonserver-editor-journals (COMMONSERVER_EDITOR_JOURNALS names
// another), owned by root and open to everyone with the sticky bit, like
// /tmp, so that each user's files in it are theirs alone. Made so by root
// when missing and `make`; nullopt, with the reason, when it is missing or
// not made so (Windows: none).
std::optional<Folder> sharedFolder(bool make, QString *whyNot);

} // namespace engine::filebytes::system
