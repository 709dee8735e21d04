#pragma once

// The waits of one read or update (patience.h says how long and for what):
// their deadline, their pauses, how they are told and stopped.

#include "engine/patience.h"

#include <QString>

namespace engine::filebytes::settling {

inline constexpr Nanoseconds kPoll = 5ms;
// Reads and re-checks of one update, at most.
inline constexpr int kAttempts = 50;

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
