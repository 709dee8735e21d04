#pragma once

// Where the tests of faults reach into a save: the result of every flush and
// of every lock taken (a file's lock, on POSIX systems), the end of each step
// of a save, and how long reads and updates wait by default. The programs
// link seams.cpp, which passes the system's answer on and does nothing at a
// step; those tests link their own definitions (tests/helpers/faultseams.cpp)
// in its place, which fail a flush after the data was accepted, answer a
// lock with an error, or cut a save off after a step, as a crash or a power
// cut would. Nothing of the tests ships.

namespace engine::filebytes::seams {

enum class Flushed { File, Folder };

// The steps of a save, in order.
enum class Step {
    TemporaryHalfWritten, // a replacement: half the new content in the temporary file
    TemporaryWritten,     // ... all of it, flushed, not yet renamed
    Renamed,              // ... renamed over the file, the folder not yet flushed
    JournalHalfWritten,   // a rewrite in place: half the journal written
    JournalWritten,       // ... the journal complete and flushed, the file untouched
    FileHalfWritten,      // ... half the new content written over the old
    FileWritten,          // ... all of it, cut to size and flushed, the journal still there
};

// The answer to a flush of a file or folder: `result` (0 or an error code).
int flushResult(Flushed what, int result);
// The answer to taking a file's lock: `result` (0 or an error code).
int lockResult(int result);
// A save has come to the end of `step`.
void reached(Step step);

} // namespace engine::filebytes::seams
