// filebytes::update and filebytes::read on every system: the steps of a
// save, on top of what each system gives (system.h).

#include "engine/filebytes.h"

#include "engine/filebytes/backup.h"
#include "engine/filebytes/failures.h"
#include "engine/filebytes/journal.h"
#include "engine/filebytes/otherwriters.h"
#include "engine/filebytes/system.h"
#include "engine/filebytes/temporaries.h"
#include "engine/systemerror.h"


namespace engine::filebytes {
namespace {

using system::File;
using system::Place;
using system::Snapshot;

// Removes the empty file an update made for a missing one, unless kept, and
// only while the place still names that file.
class CreatedFile
{
public:
    CreatedFile(const Place &place, std::optional<Snapshot> made)
        : m_place(place)
        , m_made(made)
    {
    }
    ~CreatedFile()
    {
        const std::optional<Snapshot> now = m_made ? system::snapshotAt(m_place) : std::nullopt;
        if (now && system::sameFile(*now, *m_made))
            system::removeAt(m_place.folder, m_place.name);
    }
    CreatedFile(const CreatedFile &) = delete;
    CreatedFile &operator=(const CreatedFile &) = delete;
    void keep() { m_made.reset(); }

private:
    const Place &m_place;
    std::optional<Snapshot> m_made;
};

// The file at the place, open and locked, checked as an update needs it.
struct Opened
{
    File file;
    bool created = false;
};

// The locks of one attempt, let go in reverse order.
struct Locks
{
    system::Lock place;
    system::Lock file;
};

// Opens the file (or makes it, when missing and allowed), refuses what
// cannot be written, and locks it; nullopt when the place changed meanwhile
// and the caller should try again.
std::optional<Opened> openLocked(const Place &place, const QString &path, bool mustExist, Locks &locks,
                                 settling::Waiting &waiting)
{
    locks.place = system::lockPlace(place, waiting);
    Opened opened;
    std::optional<File> file = system::openToRead(place, path);
    if (!file) {
        if (const std::optional<QString> aside = temporaries::finishedAside(place))
            failures::finishedAside(path, place.folder.nativePath(*aside));
        if (mustExist)
            failures::vanished(path);
        if (!place.throughLink.isEmpty())
            failures::createThroughLink(path, place.throughLink);
        file = system::createNew(place, path);
        if (!file)
            return std::nullopt; // made by someone else meanwhile: update that one
        opened.created = true;
    }
    opened.file = std::move(*file);
    const std::optional<Snapshot> now = system::snapshot(opened.file);
    if (!now)
        failures::cannotWrite(path, QStringLiteral("o arquivo não pôde ser examinado"));
    if (!now->regular)
        failures::notRegular(path, now->folder);
    if (now->readOnly)
        failures::readOnly(path); // also for root, like the read-only attribute on Windows
    if (const int error = system::writeAccess(place, opened.file))
        failures::cannotWrite(path, systemErrorText(error)); // no permission, a read-only file system
    locks.file = system::lockFile(place, opened.file, true, waiting);
    // While this update waited for the lock, another one may have put a new
    // file at the path: update that one instead.
    const std::optional<Snapshot> atPlace = system::snapshotAt(place);
    const std::optional<Snapshot> locked = system::snapshot(opened.file);
    if (!atPlace || !locked || !system::sameFile(*atPlace, *locked))
        return std::nullopt;
    return opened;
}

} // namespace

std::optional<QByteArray> read(const QString &path, const Patience &patience)
{
    if (path.isEmpty())
        return std::nullopt;
    const std::optional<Place> place = system::locate(path, system::Purpose::Read);
    const std::optional<File> file = place ? system::openToRead(*place, path) : std::nullopt;
    if (!file) {
        const std::optional<QString> aside = place ? temporaries::finishedAside(*place) : std::nullopt;
        if (aside)
            failures::finishedAside(path, place->folder.nativePath(*aside));
        return std::nullopt;
    }
    const std::optional<Snapshot> opened = system::snapshot(*file);
    if (!opened)
        failures::cannotRead(path, QStringLiteral("o arquivo não pôde ser examinado"));
    if (!opened->regular)
        failures::notRegular(path, opened->folder);
    settling::Waiting waiting(path, patience);
    for (int attempt = 0; attempt < settling::kAttempts; ++attempt) {
        Locks locks;
        const bool journalled = journal::mayExist(*place, *opened);
        if (journalled) {
            // A save may be rewriting it in place right now: wait for it to
            // end, then see what it left.
            locks.place = system::lockPlace(*place, waiting);
            locks.file = system::lockFile(*place, *file, false, waiting);
            journal::check(*place, *file, path, false);
        }
        const std::optional<Snapshot> before = system::snapshot(*file);
        QByteArray bytes;
        if (const int error = system::readAll(*file, &bytes))
            failures::cannotRead(path, systemErrorText(error));
        const std::optional<Snapshot> after = system::snapshot(*file);
        // A rewrite in place that began after the look for a journal shows
        // as a change, or as a journal that is there now.
        if (before && after && system::sameFileUnchanged(*before, *after)
            && (journalled || !journal::mayExist(*place, *after)))
            return bytes;
        waiting.pause(settling::kPoll);
    }
    failures::keepsChanging(path, QString(), waiting.waitedMilliseconds());
}

Outcome update(const QString &path, const Change &change, const UpdateOptions &options)
{
    if (path.isEmpty())
        failures::noPath();
    const Place place = *system::locate(path, system::Purpose::Write);
    settling::Waiting waiting(path, options.patience);
    for (int attempt = 0; attempt < settling::kAttempts; ++attempt) {
        waiting.checkCancelled();
        Locks locks;
        std::optional<Opened> opened = openLocked(place, path, options.mustExist, locks, waiting);
        if (!opened)
            continue;
        File &file = opened->file;
        // A file this update made is removed again unless it is written.
        CreatedFile madeHere(place, opened->created ? system::snapshot(file) : std::nullopt);
        journal::check(place, file, path, true);
        temporaries::removeStale(place);
        QStringList notices;
        if (!opened->created) {
            const QString unseen = otherwriters::waitUntilSettled(place, file, waiting, options.force);
            if (!unseen.isEmpty())
                notices << unseen;
        }

        const std::optional<Snapshot> before = system::snapshot(file);
        QByteArray content;
        if (const int error = system::readAll(file, &content))
            failures::cannotRead(path, systemErrorText(error));
        const std::optional<Snapshot> afterRead = system::snapshot(file);
        if (!before || !afterRead || !system::sameFileUnchanged(*before, *afterRead))
            continue; // changed while it was read: let it settle and read again

        Outcome outcome;
        outcome.before = opened->created ? std::nullopt : std::optional<QByteArray>(content);
        const std::optional<QByteArray> next = change(outcome.before);
        if (!next)
            return outcome;
        // The last moment a cancel can come: from here on the file changes.
        waiting.checkCancelled();
        if (options.beforeReplace)
            options.beforeReplace(outcome.before, *next);
        if (options.backup && outcome.before)
            outcome.backup = backup::keep(place, file, *before, content, path);
        switch (system::replace(place, file, *before, *next, temporaries::nameFor(place, *next), path)) {
        case system::Replaced::Retry:
            if (!outcome.backup.isEmpty()) // it kept what was read; the file changed since
                system::removeAt(place.folder, outcome.backup);
            continue;
        case system::Replaced::InPlace: {
            const File writer = system::openToWrite(place, path);
            const std::optional<Snapshot> now = system::snapshot(writer);
            if (!now || !system::sameFileUnchanged(*now, *before)) {
                if (!outcome.backup.isEmpty())
                    system::removeAt(place.folder, outcome.backup);
                continue;
            }
            const QString elsewhere = journal::rewriteInPlace(place, file, writer, *before, content, *next, path);
            if (!elsewhere.isEmpty())
                notices << elsewhere;
            break;
        }
        case system::Replaced::Done:
            break;
        }
        madeHere.keep();
        if (const std::optional<Snapshot> written = system::snapshotAt(place))
            otherwriters::remember(place, *written);
        if (!outcome.backup.isEmpty()) {
            if (options.keepBackups > 0)
                backup::prune(place, outcome.backup, options.keepBackups);
            outcome.backup = place.folder.nativePath(outcome.backup);
        }
        outcome.written = true;
        outcome.after = *next;
        outcome.notices = notices;
        return outcome;
    }
    failures::keepsChanging(path, QString(), waiting.waitedMilliseconds());
}

Settlement resolveInterrupted(const QString &path, Resolution resolution, const Patience &patience, bool dryRun)
{
    if (path.isEmpty())
        failures::noPath();
    const Place place = *system::locate(path, system::Purpose::Write);
    settling::Waiting waiting(path, patience);
    const bool discard = resolution == Resolution::Keep;
    for (int attempt = 0; attempt < settling::kAttempts; ++attempt) {
        Locks locks;
        // A replacement cut off between its steps: no file, its new content beside.
        locks.place = system::lockPlace(place, waiting);
        const std::optional<QString> aside =
            system::snapshotAt(place) ? std::nullopt : temporaries::finishedAside(place);
        if (aside)
            return temporaries::settleAside(place, *aside, discard, path, dryRun);
        locks.place = system::Lock();
        const std::optional<Opened> opened = openLocked(place, path, true, locks, waiting);
        if (!opened)
            continue;
        return journal::resolve(place, opened->file, discard, path, dryRun);
    }
    failures::keepsChanging(path, QString(), waiting.waitedMilliseconds());
}

} // namespace engine::filebytes
