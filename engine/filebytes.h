#pragma once

#include "engine/failure.h"
#include "engine/patience.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Whole-file reads, and the one way a settings file is changed: a locked,
// checked, durable update that keeps the file the same file. Failures throw
// a Failure whose Portuguese description names the file and says what the
// system reported.
//
// The path is followed one component at a time. A symbolic link whose owner
// is neither the user nor root is followed only to what its owner owns, so
// that no one can point the program at another person's file; a file that
// does not exist is never made through a link.
namespace engine::filebytes {

// The file's bytes; nullopt when nothing exists at the path (or the path is
// empty). Throws when something exists there but cannot be read, or is not a
// regular file (a folder, a device, a pipe), or when the path cannot name a
// file at all (a loop of symbolic links, a name too long), or when an earlier
// save was cut off and left it torn (FailureKind::InterruptedSave). A read
// never sees a rewrite in place of this program half done: it waits for it.
std::optional<QByteArray> read(const QString &path, const Patience &patience = {});

// What an update does with the file's content (nullopt for a missing file):
// the new content, or nullopt to leave the file as it is. It may throw a
// Failure to refuse; nothing is written then. It may be called more than
// once: again with the file's newer content when another program changed the
// file meanwhile, so it must depend on nothing but its argument.
using Change = std::function<std::optional<QByteArray>(const std::optional<QByteArray> &content)>;

struct UpdateOptions
{
    // Refuse, rather than create, a missing file: one that was read before
    // and has vanished since, which a save must not recreate with only the
    // values it changes.
    bool mustExist = false;
    // Keep the content it replaces beside the file first (see Outcome::backup).
    bool backup = false;
    // With backup: once the file is written, keep only this many of its
    // backups: the one just made and the newest others (0: keep them all).
    int keepBackups = 0;
    // Write even when another program holds the file open for writing.
    bool force = false;
    Patience patience;
    // Called once the new content is final, with the content it replaces,
    // before anything is written (a backup included); a Failure it throws
    // stops the update. It runs with the file locked: a validation of the
    // new content, say.
    std::function<void(const std::optional<QByteArray> &before, const QByteArray &after)> beforeReplace;
};

struct Outcome
{
    bool written = false;
    std::optional<QByteArray> before; // the content the change was applied to
    QByteArray after;                 // what the file holds now, when written
    QString backup;                   // "<file>.AAAAMMDD-HHMMSS.bak" beside the real file, when kept
    QStringList notices;              // what the user should know of a save that worked, in Portuguese
};

// Applies the change to the file at `path` as one transaction:
// - Locked: two updates by this program (windows, instances, the command-line
//   tool) run one after the other; each holds an exclusive lock on the file
//   it read from the read to the replacement, and the second applies its
//   change to the first one's result.
// - Checked against other writers: a file that changed within the last
//   second, or that another program holds open for writing, is watched until
//   it has stayed unchanged for a second (at most Patience::budget, then
//   refused, naming who holds it where the system tells); a file exactly as
//   one of this user's saves left it is not waited for. Before the replacement the
//   path must still name the same file, unchanged since it was read (device
//   and inode, size, modification and change times), or the file is read and
//   the change applied again.
// - Durable and atomic: the new content goes to a temporary file with a
//   short name of its own (temporaries.h) in the same folder, flushed to the
//   disk, which then replaces the file in one rename; the folder is flushed
//   after the rename (on Windows MoveFileExW, written through). Temporaries
//   that an earlier update of the same file left behind (it was killed) are
//   removed; one that holds a whole content where no file is left is never
//   lost: reads and updates refuse the path (FailureKind::FinishedAside)
//   until resolveInterrupted puts it in place or removes it.
// - The same file: permissions, owner, group, ACLs and extended attributes
//   are copied to the new file. Where the replacement cannot keep one of
//   them (more than one hard link, an owner or group the user may not set,
//   an attribute that cannot be copied), where the system refuses the
//   rename (a bind-mounted file) or the folder cannot be written to, the
//   file is rewritten in place instead, journalled (journal.h): a save cut
//   off halfway is found by whoever reads or saves the file next.
// - Copies (backup, journal) are private from their first byte and only
//   then take the file's group, mode and ACL (and owner where it may be
//   given), or, where one of them cannot be given, stay the writer's alone.
// - Refused, with nothing written: an empty path, a missing folder, a file
//   without any write permission bit (also for root, like the read-only
//   attribute on Windows), something that is not a regular file, a loop of
//   symbolic links, a name too long for the system, a torn file left by an
//   interrupted save.
// - Cancelled (Patience::cancel) only while it waits: the file as it was.
Outcome update(const QString &path, const Change &change, const UpdateOptions &options = {});

// What to do with a file an interrupted save left torn: put the content it
// had before back (in place, through the same locked update), or keep the
// file as it is; either way the journal goes. For a replacement cut off
// between its steps, which left no file and its finished content beside it
// (FailureKind::FinishedAside): put that content in place, or remove it.
// Throws when there is neither.
// With `dryRun` nothing is done: the return says what would be. Throws
// (FailureKind::NothingToSettle) when there is nothing to settle.
enum class Resolution { Restore, Keep };
struct Settlement
{
    FailureKind kind = FailureKind::InterruptedSave; // or FinishedAside
    QString copy;                     // the journal, or the finished content
    std::optional<QByteArray> before; // the file's bytes before; nullopt: no file
    std::optional<QByteArray> after;  // and after; nullopt: no file
};
Settlement resolveInterrupted(const QString &path, Resolution resolution, const Patience &patience = {},
                              bool dryRun = false);

// A copy that update() kept of a file before changing it (Outcome::backup).
struct Backup
{
    QString path;
    QDateTime made; // from its name, local time
    qint64 size = 0;
};
// The backups of the file at `path`, beside its real file, newest first.
// Throws a Failure for a path it cannot look at.
std::vector<Backup> backupsOf(const QString &path);

} // namespace engine::filebytes
