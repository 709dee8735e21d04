#pragma once

// The engine's seams (engine/filebytes/seams.h) as the tests of faults
// define them: a test links faultseams.cpp and sets what it needs.

#include "engine/filebytes/seams.h"

#include <chrono>

namespace faultseams {

using engine::filebytes::seams::Flushed;
using engine::filebytes::seams::Step;

// How long reads and updates wait unless told otherwise: a test of the
// windows waits a moment, not ten seconds.
void setDefaultBudget(std::chrono::nanoseconds budget);
// Replaces the system's answer to every flush: 0 or an error code.
using FlushHook = int (*)(Flushed what, int result);
void setFlushHook(FlushHook hook);
// Replaces the system's answer to every lock taken: 0 or an error code.
using LockHook = int (*)(int result);
void setLockHook(LockHook hook);
// Called at the end of every step of a save.
using StepHook = void (*)(Step step);
void setStepHook(StepHook hook);

} // namespace faultseams
