#pragma once

// Faults the tests cannot make for real: a flush that fails after the data
// was accepted, and a save cut off after one of its steps (a child process
// that exits there, as a crash or a power cut would end it).

#include <chrono>

namespace engine::filebytes::testhooks {

// How long reads and updates wait unless told otherwise (settling::kBudget):
// a test of the windows waits a moment, not ten seconds.
void setDefaultBudget(std::chrono::nanoseconds budget);

// Replaces the system's answer to every flush of a file or folder: 0 or an
// error code.
enum class Flushed { File, Folder };
using FlushHook = int (*)(Flushed what, int result);
void setFlushHook(FlushHook hook);
int flushResult(Flushed what, int result);

// The steps of a save, in order, where a test may cut it off.
enum class Step {
    TemporaryHalfWritten, // a replacement: half the new content in the temporary file
    TemporaryWritten,     // ... all of it, flushed, not yet renamed
    Renamed,              // ... renamed over the file, the folder not yet flushed
    JournalHalfWritten,   // a rewrite in place: half the journal written
    JournalWritten,       // ... the journal complete and flushed, the file untouched
    FileHalfWritten,      // ... half the new content written over the old
    FileWritten,          // ... all of it, cut to size and flushed, the journal still there
};
using StepHook = void (*)(Step step);
void setStepHook(StepHook hook);
void reached(Step step);

} // namespace engine::filebytes::testhooks
