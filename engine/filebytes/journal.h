#pragma once

// The rollback journal of a rewrite in place. Before a file is rewritten in
// place, its old content and its new one, with what they are for (the
// file's path and identity, the sizes and hashes of both) and a last line
// that seals them, are made durable: beside the file under a short hidden
// name, so that whoever reads or saves the file next finds it; where the
// folder cannot be written, in the machine's shared folder, which everyone
// searches, or else in the user's own state folder. It is removed once the
// file is flushed.
//
// A journal is evidence, not an order. It is believed only when it is a
// regular file reached without a link, its owner may speak for the file
// (root, the user running, the file's owner, or someone the file's
// permissions let write it), it names this file by path and identity, and
// the file's bytes are what an interrupted save of it can leave. It is read
// a chunk at a time, never past what its header declares, and a header that
// declares what the file cannot be is not read further. Then it tells what
// happened: the file holds the new content (the save finished) or the old
// one (it had not begun), and the journal goes; or part of each, and the
// file was left torn, until the old content is restored or the file is kept
// as it is. A journal never completed goes too: the file was not touched
// yet. Anything else named like a journal never blocks and is never restored.

#include "engine/filebytes.h"
#include "engine/filebytes/system.h"

#include <QByteArray>
#include <QString>

namespace engine::filebytes::journal {

// Whether a journal of the file may exist (a cheap look, before any lock).
bool mayExist(const system::Place &place, const system::Snapshot &file);

// Settles the journals of the file, with the file locked: removes those of
// saves that finished, never began or never completed their journal (and,
// when `saving`, of saves that someone's later changes overtook); throws the
// interrupted failure, naming the copy, when the file was left torn.
void check(const system::Place &place, const system::File &file, const QString &path, bool saving);

// Rewrites the file in place, open for writing as `writer` (`file` reads
// it), journalled. Throws when it fails, saying what the file holds then.
// Returns what the user should know of it (a journal only they would find),
// or nothing.
QString rewriteInPlace(const system::Place &place, const system::File &file, const system::File &writer,
                       const system::Snapshot &before, const QByteArray &old, const QByteArray &next,
                       const QString &path);

// With the file locked: puts the old content of an interrupted save back in
// place, or (`discard`) keeps the file as it is; the journal goes either
// way, or the report says why it could not. Throws when there is no journal
// of the file to believe, naming what was named like one and not believed.
// With `dryRun`, only says what it would do.
Settlement resolve(const system::Place &place, const system::File &file, bool discard, const QString &path,
                   bool dryRun);

} // namespace engine::filebytes::journal
