#pragma once

// A backup of a file's content before a change, kept beside the real file
// (never beside a link to it) as "<name>.AAAAMMDD-HHMMSS.bak".

#include "engine/filebytes/system.h"

namespace engine::filebytes::backup {

// Keeps `content` beside the file ("-2", "-3" ... for another one of the same
// second; an existing file is never overwritten): private from its first
// byte, written and flushed, and only then given the file's owner, group,
// mode and ACL. Returns the backup's name in the place's folder; throws a
// Failure, which stops the change, when it cannot.
QString keep(const system::Place &place, const system::File &file, const system::Snapshot &of,
             const QByteArray &content, const QString &path);

// Removes the file's backups beside it but `kept` (the one just made) and
// the `keep` - 1 newest others (by the time and number in their names);
// other files are left alone.
void prune(const system::Place &place, const QString &kept, int keep);

// The names of the file's backups beside it, newest first (by the time and
// number in their names).
QStringList namesOf(const system::Place &place);

} // namespace engine::filebytes::backup
