#pragma once

// How long a read or an update of a settings file may wait, for what, and
// how the wait can be stopped: a file that another program is still
// writing, the lock another update holds.

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <functional>

namespace engine::filebytes::settling {

using Nanoseconds = std::chrono::nanoseconds;
using namespace std::chrono_literals;

// A file changed less than this long ago may still be being written: it is
// watched until it has stayed unchanged this long, whoever the user is and
// whatever the system can tell of who holds it open.
inline constexpr Nanoseconds kQuiet = 1s;
// How long an update may wait, for the lock and for other writers, unless
// told otherwise.
inline constexpr Nanoseconds kBudget = 10s;

// What a wait is for, as a progress window says it.
enum class Reason {
    Lock,        // another save of this program, or another program's lock
    OtherWriter, // the file changed a moment ago
    HeldOpen,    // another program holds the file open for writing
};

// kBudget; the tests of faults set another (filebytes/seams.h).
Nanoseconds defaultBudget();

// How long a read or an update may wait, and who may stop it.
struct Patience
{
    Nanoseconds budget = defaultBudget();
    const std::atomic<bool> *cancel = nullptr; // set from another thread to stop the wait
    std::function<void(Reason)> progress;      // called from the waiting thread
};

} // namespace engine::filebytes::settling

namespace engine::filebytes {
using settling::Patience;
} // namespace engine::filebytes
