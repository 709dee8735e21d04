#pragma once

// The temporary files of a replacement: ".cse-", a short hash of the file's
// name, a random part and the size of the content it is to hold, so that a
// save can tell the ones an earlier save of the same file left behind, and
// whether one holds the whole content. Should a replacement be cut off
// between its two steps (the old file moved aside, the new one not yet in
// its place: Windows' own ReplaceFileW can end so), the finished content is
// found there and offered back, never lost.

#include "engine/filebytes.h"
#include "engine/filebytes/system.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace engine::filebytes::temporaries {

// A new name for a temporary holding `bytes`.
QString nameFor(const system::Place &place, const QByteArray &bytes);

// With the file locked, no other save of it is under way: whatever
// temporaries of it are there were left by a save that was killed.
void removeStale(const system::Place &place);

// With nothing at the place: the name of a temporary of this user's (or
// root's) that holds a whole content for it, the newest where there are
// several; nullopt when there is none.
std::optional<QString> finishedAside(const system::Place &place);

// With nothing at the place: puts the finished content back in its place,
// or (`discard`) removes it; with `dryRun`, only says so. Throws when it
// cannot.
Settlement settleAside(const system::Place &place, const QString &temporary, bool discard, const QString &path,
                       bool dryRun);

} // namespace engine::filebytes::temporaries
