#pragma once

// Other programs writing the file: an update reads a file only once it has
// stopped changing, and remembers how it left the files it wrote, so that its
// own saves in a row wait for nothing.

#include "engine/filebytes/system.h"

namespace engine::filebytes::otherwriters {

// Watches a file that changed within the last second, or that another
// program holds open for writing, until it has stayed unchanged for a whole
// second and no one holds it open (`force`: whoever holds it). Throws when
// the wait runs out: "keeps changing", or "held open" when it never changed
// meanwhile; the report names who holds it where the system tells.
void waitUntilSettled(const system::Place &place, const system::File &file, settling::Waiting &waiting,
                      bool force);

// This process wrote the file at the place, which now looks like this.
void remember(const system::Place &place, const system::Snapshot &written);

} // namespace engine::filebytes::otherwriters
