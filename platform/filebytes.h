#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// Whole-file reads, and the one way a settings file is changed: a locked,
// checked, durable update that keeps the file the same file. Failures throw
// a Failure whose Portuguese description names the file and says what the
// system reported.
namespace filebytes {

// The file's bytes; nullopt when nothing exists at the path (or the path is
// empty). Throws when something exists there but cannot be read, or is not a
// regular file (a folder, a device, a pipe), or when the path cannot name a
// file at all (a loop of symbolic links, a name too long).
std::optional<QByteArray> read(const QString &path);

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
    // Called once the new content is final, with the content it replaces,
    // right before the replacement; a Failure it throws stops the update.
    std::function<void(const std::optional<QByteArray> &before, const QByteArray &after)> beforeReplace;
};

struct Outcome
{
    bool written = false;
    std::optional<QByteArray> before; // the content the change was applied to
    QByteArray after;                 // what the file holds now, when written
};

// Applies the change to the file at `path` as one transaction:
// - Locked: two updates by this program (windows, instances, the command-line
//   tool) run one after the other; each holds an exclusive lock on the file
//   it read from the read to the replacement, and the second applies its
//   change to the first one's result.
// - Checked against other writers: a file that changed during the read, or
//   within the last moment, is given a short time to settle; before the
//   replacement the path must still name the same file, unchanged since it
//   was read (device and inode, size, modification and change times), or
//   the file is read and the change applied again. A file that keeps
//   changing is refused: another program is writing it.
// - Durable and atomic: the new content goes to a temporary file with a
//   short name of its own in the same folder, flushed to the disk, which
//   then replaces the file; the folder is flushed after the rename. On
//   Windows the system's own replacement (ReplaceFileW), written through.
// - The same file: permissions, owner, group, ACLs and extended attributes
//   are copied to the new file. Where the replacement cannot keep one of
//   them (more than one hard link, an owner or group the user may not set,
//   an attribute that cannot be copied), where the system refuses the
//   rename (a bind-mounted file) or the folder cannot be written to, the
//   file is rewritten in place instead, after a complete copy of its old
//   content has been made durable in the program's folder under the user's
//   state directory; that copy is removed when the update succeeds, and
//   named in the report when it does not.
// - A symbolic link is written through to its target and stays a link.
// - Refused, with nothing written: an empty path, a missing folder, a file
//   without any write permission bit (also for root, like the read-only
//   attribute on Windows), something that is not a regular file, a loop of
//   symbolic links, a name too long for the system.
Outcome update(const QString &path, const Change &change, const UpdateOptions &options = {});

} // namespace filebytes
