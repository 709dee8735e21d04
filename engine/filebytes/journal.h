#pragma once

// The rollback journal of a rewrite in place. Before a file is rewritten in
// place, a copy of its old content, with what it is for (the file's path and
// identity, the old content's size and hash, the new content's hash) and a
// last line that marks it complete, is made durable: beside the file under a
// short hidden name, so that whoever reads or saves the file next finds it,
// or in the state folder of the user saving when the file's folder cannot
// be written. It is removed once the file is flushed. A journal found later
// tells what happened: the file holds the new content (the save finished)
// or the old one (it had not begun), and the journal goes; or neither, and
// the file was left torn, until the old content is restored or the file is
// kept as it is. A journal without its last line is removed: the file was
// not touched yet.

#include "engine/filebytes/system.h"

#include <QByteArray>
#include <QString>

namespace engine::filebytes::journal {

// Whether a journal of the file may exist (a cheap look, before any lock).
bool mayExist(const system::Place &place);

// Settles a journal of the file, with the file locked: removes it when the
// file holds the old or the new content (or it is incomplete); throws the
// interrupted failure, naming the copy, when the file was left torn.
void check(const system::Place &place, const system::File &file, const QString &path);

// Rewrites the file in place, open for writing as `writer` (`file` reads
// it), journalled. Throws when it fails, saying what the file holds then.
void rewriteInPlace(const system::Place &place, const system::File &file, const system::File &writer,
                    const system::Snapshot &before, const QByteArray &old, const QByteArray &next,
                    const QString &path);

// With the file locked: puts the old content of an interrupted save back in
// place, or (`discard`) keeps the file as it is; the journal goes either
// way. Throws when there is no journal of the file.
void resolve(const system::Place &place, const system::File &file, bool discard, const QString &path);

} // namespace engine::filebytes::journal
