#include "engine/filebytes/settling.h"

#include "engine/filebytes/failures.h"

#include <algorithm>
#include <thread>

namespace engine::filebytes::settling {

qint64 now()
{
    return qint64(std::chrono::duration_cast<Nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

Waiting::Waiting(QString path, const Patience &patience)
    : m_path(std::move(path))
    , m_patience(patience)
    , m_start(std::chrono::steady_clock::now())
    , m_end(m_start + patience.budget)
{
}

bool Waiting::passed() const
{
    return std::chrono::steady_clock::now() >= m_end;
}

Nanoseconds Waiting::left() const
{
    return std::max(Nanoseconds(0), Nanoseconds(m_end - std::chrono::steady_clock::now()));
}

qint64 Waiting::waitedMilliseconds() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
}

void Waiting::checkCancelled() const
{
    if (m_patience.cancel && m_patience.cancel->load())
        failures::cancelled(m_path);
}

void Waiting::pause(Nanoseconds duration) const
{
    // Slices short enough that a cancel is seen at once.
    constexpr Nanoseconds kSlice = 20ms;
    const auto end = std::chrono::steady_clock::now() + std::min(duration, left());
    for (;;) {
        checkCancelled();
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(std::min(kSlice, Nanoseconds(end - now)));
    }
}

void Waiting::say(Reason reason) const
{
    if (m_patience.progress)
        m_patience.progress(reason);
}

} // namespace engine::filebytes::settling
