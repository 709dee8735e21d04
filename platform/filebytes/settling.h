#pragma once

// How long an update waits, for what: a file that another program is still
// writing, and the lock another update of this program holds.

#include <QtGlobal>

#include <chrono>
#include <thread>

namespace filebytes::settling {

using Nanoseconds = std::chrono::nanoseconds;
using namespace std::chrono_literals;

// A file changed less than this long ago may still be being written: it must
// stay unchanged this long before it is read. Shorter where the system can
// tell that no other program holds the file open for writing: then only a
// writer that closes and opens it again between its pieces is waited for.
inline constexpr Nanoseconds kQuiet = 50ms;
inline constexpr Nanoseconds kQuietWhenClosed = 5ms;
// How long a file may keep changing before the update gives up.
inline constexpr Nanoseconds kSettleBudget = 3s;
// How long an update waits for another one to finish.
inline constexpr Nanoseconds kLockWait = 10s;
inline constexpr Nanoseconds kPoll = 5ms;
// Reads and re-checks of one update, at most.
inline constexpr int kAttempts = 50;

// A moment on the system's clock, as file times give it: nanoseconds since 1970.
struct Moment
{
    qint64 sinceEpoch;
};

// How long ago the moment was; negative for a moment in the future.
inline qint64 ageOf(Moment moment)
{
    const auto now = std::chrono::duration_cast<Nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
    return qint64(now.count()) - moment.sinceEpoch;
}

inline void pause(Nanoseconds duration)
{
    std::this_thread::sleep_for(duration);
}

class Deadline
{
public:
    explicit Deadline(Nanoseconds budget)
        : m_end(std::chrono::steady_clock::now() + budget)
    {
    }
    bool passed() const { return std::chrono::steady_clock::now() >= m_end; }

private:
    std::chrono::steady_clock::time_point m_end;
};

} // namespace filebytes::settling
