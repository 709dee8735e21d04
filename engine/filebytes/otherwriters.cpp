#include "engine/filebytes/otherwriters.h"

#include "engine/filebytes/failures.h"

#include <QHash>
#include <QMutex>

namespace engine::filebytes::otherwriters {
namespace {

using settling::Nanoseconds;
using namespace std::chrono_literals;

struct Written
{
    QMutex mutex;
    QHash<QString, system::Snapshot> files; // by real path
};

Written &written()
{
    static Written record;
    return record;
}

// Exactly as this process left it: no one else has written it since.
bool asLeft(const system::Place &place, const system::Snapshot &now)
{
    QMutexLocker locker(&written().mutex);
    const auto known = written().files.constFind(place.path());
    return known != written().files.constEnd() && system::sameFileUnchanged(*known, now);
}

} // namespace

void remember(const system::Place &place, const system::Snapshot &snapshot)
{
    QMutexLocker locker(&written().mutex);
    written().files.insert(place.path(), snapshot);
}

void waitUntilSettled(const system::Place &place, const system::File &file, settling::Waiting &waiting, bool force)
{
    const std::optional<system::Snapshot> first = system::snapshot(file);
    if (first && asLeft(place, *first))
        return;
    system::Watcher watcher(file);
    bool changed = false;
    for (;;) {
        const std::optional<system::Snapshot> now = system::snapshot(file);
        if (!now || !first)
            failures::cannotWrite(waiting.path(), QStringLiteral("o arquivo não pôde ser examinado"));
        changed = changed || !system::sameFileUnchanged(*first, *now);
        const qint64 age = settling::now() - now->modified;
        const bool heldOpen = !force && system::openForWritingElsewhere(place, file).value_or(false);
        if (!heldOpen && age >= settling::kQuiet.count())
            return;
        if (waiting.passed()) {
            const QString who = system::holders(place, file, false);
            if (heldOpen && !changed)
                failures::heldOpen(waiting.path(), who, waiting.waitedMilliseconds());
            failures::keepsChanging(waiting.path(), who, waiting.waitedMilliseconds());
        }
        waiting.say(heldOpen ? settling::Reason::HeldOpen : settling::Reason::OtherWriter);
        // A time in the future (another clock) cannot age: it must hold still
        // for a whole quiet period.
        const Nanoseconds still = heldOpen ? 50ms : age < 0 ? settling::kQuiet : Nanoseconds(settling::kQuiet.count() - age);
        if (!watcher.waitForChange(still, waiting) && age < 0 && !heldOpen) {
            const std::optional<system::Snapshot> after = system::snapshot(file);
            if (after && system::sameFileUnchanged(*after, *now))
                return;
        }
    }
}

} // namespace engine::filebytes::otherwriters
