#pragma once

// How long an update waits, for what, and how the wait can be stopped: a file
// that another program is still writing, the lock another update holds.

#include <QString>
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
inline constexpr Nanoseconds kPoll = 5ms;
// Reads and re-checks of one update, at most.
inline constexpr int kAttempts = 50;

// What a wait is for, as a progress window says it.
enum class Reason {
    Lock,        // another save of this program, or another program's lock
    OtherWriter, // the file changed a moment ago
    HeldOpen,    // another program holds the file open for writing
};

// kBudget, unless a test set another (testhooks.h).
Nanoseconds defaultBudget();

// How long a read or an update may wait, and who may stop it.
struct Patience
{
    Nanoseconds budget = defaultBudget();
    const std::atomic<bool> *cancel = nullptr; // set from another thread to stop the wait
    std::function<void(Reason)> progress;      // called from the waiting thread
};

// Nanoseconds since 1970, as file times give them.
qint64 now();

// One wait of one update: its deadline, and the cancel and progress of its Patience.
class Waiting
{
public:
    Waiting(QString path, const Patience &patience);

    bool passed() const;
    Nanoseconds left() const;
    qint64 waitedMilliseconds() const;
    // Sleeps that long (less when the deadline comes first), in slices;
    // throws the cancelled failure when the user stops the wait.
    void pause(Nanoseconds duration) const;
    void checkCancelled() const;
    void say(Reason reason) const;
    const QString &path() const { return m_path; }

private:
    QString m_path;
    const Patience &m_patience;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_end;
};

} // namespace engine::filebytes::settling
