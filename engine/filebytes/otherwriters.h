#pragma once

// Other programs writing the file: an update reads a file only once it has
// stopped changing, and remembers how it left the files it wrote, so that its
// own saves in a row wait for nothing.

#include "engine/filebytes/system.h"

namespace engine::filebytes::otherwriters {

// Watches a file that changed within the last second, or that another
// program holds open for writing, until it has stayed unchanged for a whole
// second and no one holds it open (`force`: whoever holds it). A file exactly
// as one of this user's saves left it (in this process, or recorded in the
// user's state folder by an earlier run) is not waited for. Throws when the
// wait runs out: "keeps changing", "held open" when it never changed
// meanwhile, "changed a moment ago" when it did not change while watched;
// the report names who holds it where the system tells. Returns what the
// user should know: that the system would not tell whether another user's
// program holds the file open, or nothing.
QString waitUntilSettled(const system::Place &place, const system::File &file, settling::Waiting &waiting,
                      bool force);

// This process wrote the file at the place, which now looks like this: for
// this process, and, kept when it ends, for this user's next runs.
void remember(const system::Place &place, const system::Snapshot &written);

} // namespace engine::filebytes::otherwriters
