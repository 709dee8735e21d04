#pragma once

// The reports of the file layer, in Portuguese, each naming the file.

#include <QString>
#include <QStringList>

namespace engine::filebytes::failures {

QString native(const QString &path);

[[noreturn]] void noPath();
[[noreturn]] void cannotRead(const QString &path, const QString &reason);
[[noreturn]] void notRegular(const QString &path, bool folder);
[[noreturn]] void readOnly(const QString &path);
[[noreturn]] void folderMissing(const QString &path);
// Nothing was written.
[[noreturn]] void cannotWrite(const QString &path, const QString &reason);
[[noreturn]] void cannotCreate(const QString &path, const QString &reason);
[[noreturn]] void vanished(const QString &path);
// A symbolic link of another user that leads to what is not theirs.
[[noreturn]] void foreignLink(const QString &path, const QString &link, const QString &linkOwner,
                              const QString &target, const QString &targetOwner);
// A missing file the path names through a symbolic link: never made.
[[noreturn]] void createThroughLink(const QString &path, const QString &link);
// Waits that ran out: `holders` says who, where the system tells.
[[noreturn]] void keepsChanging(const QString &path, const QString &holders, qint64 waitedMs);
// Changed by another program a moment before the save, and not since.
[[noreturn]] void changedMomentAgo(const QString &path, qint64 ageMs, qint64 waitedMs);
[[noreturn]] void heldOpen(const QString &path, const QString &holders, qint64 waitedMs);
[[noreturn]] void locked(const QString &path, const QString &holders, qint64 waitedMs);
[[noreturn]] void cancelled(const QString &path);
// An earlier save was cut off mid-rewrite: the file holds neither its old
// content nor the new one; `copy` holds the old content.
[[noreturn]] void interrupted(const QString &path, const QString &copy);
// `foreign`: files named like a copy of it that were not believed.
// No file at the path, and the whole new content of a save of it in `copy`.
[[noreturn]] void finishedAside(const QString &path, const QString &copy);
[[noreturn]] void noCopyToRestore(const QString &path, const QStringList &foreign);
// The file is as the user chose, but the copy of its old content stayed.
[[noreturn]] void copyNotRemoved(const QString &path, const QString &copy, const QString &owner, const QString &reason);
// A save that could not see whether another user's program holds the file open.
QString blindToWriters(const QString &path);
// A save's copy that only its user will find, and why no one else would.
QString onlyYouFind(const QString &path, const QString &copy, const QString &whyNotShared);
// No folder of this program's own to keep the copy a rewrite in place needs.
[[noreturn]] void noStateFolder(const QString &path, const QString &why);
[[noreturn]] void cannotKeepCopy(const QString &path, const QString &copy, const QString &reason);
// A replacement or a rewrite in place failed; `now` says what the file was
// checked to hold afterwards (see describeContent).
[[noreturn]] void writeFailed(const QString &path, const QString &reason, const QString &now);
// The new content is in place, but the system could not confirm that it
// reached the disk.
[[noreturn]] void notDurable(const QString &path, const QString &reason);

// What a file was checked to hold after a failed write, for writeFailed.
enum class Content { Old, New, Torn, Unknown };
QString describeContent(Content content, const QString &copy);

} // namespace engine::filebytes::failures
