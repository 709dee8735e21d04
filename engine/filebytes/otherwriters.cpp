#include "engine/filebytes/otherwriters.h"

#include "engine/filebytes/failures.h"

#include <QCryptographicHash>
#include <QHash>
#include <QMutex>

namespace engine::filebytes::otherwriters {
namespace {

using settling::Nanoseconds;
using namespace std::chrono_literals;

// The record of how this user's last save of a file left it, kept in the
// user's own state folder (private, so no one else can forge it) under a
// hash of the file's real path: one record a file, however often it is saved.
QString recordName(const QString &path)
{
    return QStringLiteral("%1.w").arg(QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16)));
}

QByteArray recordOf(const QString &path, const system::Snapshot &written)
{
    QByteArray record = path.toUtf8().toPercentEncoding();
    for (const qint64 figure : {qint64(written.device), qint64(written.inode), written.size, written.modified, written.changed})
        record += ' ' + QByteArray::number(figure);
    return record + '\n';
}

// How this process left the files it wrote, by real path. Kept in the
// user's state folder when the process ends, once for however many saves
// it made: a process that ends without that (killed) only costs its
// successor the quiet second.
struct LeftByThisProcess
{
    QMutex mutex;
    QHash<QString, system::Snapshot> files;

    ~LeftByThisProcess()
    {
        QString whyNot;
        const std::optional<system::Folder> state = files.isEmpty() ? std::nullopt : system::stateFolder(true, &whyNot);
        for (auto file = files.cbegin(); state && file != files.cend(); ++file) {
            const QString name = recordName(file.key());
            system::removeAt(*state, name);
            int error = 0;
            if (const std::optional<system::File> record = system::createPrivate(*state, name, &error))
                system::writeAll(*record, recordOf(file.key(), file.value()), 0);
        }
    }
};

LeftByThisProcess &written()
{
    static LeftByThisProcess record;
    return record;
}

bool recordedAsLeft(const system::Place &place, const system::Snapshot &now)
{
    QString whyNot;
    const std::optional<system::Folder> state = system::stateFolder(false, &whyNot);
    const std::optional<system::File> record = state ? system::openCopy(*state, recordName(place.path())) : std::nullopt;
    QByteArray bytes;
    return record && system::readSome(*record, 0, 4096, &bytes) == 0 && bytes == recordOf(place.path(), now);
}

// Exactly as one of this user's saves left it: no one else has written it since.
bool asLeft(const system::Place &place, const system::Snapshot &now)
{
    {
        QMutexLocker locker(&written().mutex);
        const auto known = written().files.constFind(place.path());
        if (known != written().files.constEnd() && system::sameFileUnchanged(*known, now))
            return true;
    }
    return recordedAsLeft(place, now);
}

} // namespace

void remember(const system::Place &place, const system::Snapshot &snapshot)
{
    QMutexLocker locker(&written().mutex);
    written().files.insert(place.path(), snapshot);
}

QString waitUntilSettled(const system::Place &place, const system::File &file, settling::Waiting &waiting, bool force)
{
    const std::optional<system::Snapshot> first = system::snapshot(file);
    if (first && asLeft(place, *first))
        return QString();
    system::Watcher watcher(file);
    bool changed = false;
    for (;;) {
        const std::optional<system::Snapshot> now = system::snapshot(file);
        if (!now || !first)
            failures::cannotWrite(waiting.path(), QStringLiteral("o arquivo não pôde ser examinado"));
        changed = changed || !system::sameFileUnchanged(*first, *now);
        const qint64 age = settling::now() - now->modified;
        const std::optional<bool> held = force ? std::optional<bool>(false) : system::openForWritingElsewhere(place, file);
        const bool heldOpen = held.value_or(false);
        if (!heldOpen && age >= settling::kQuiet.count())
            return held ? QString() : failures::blindToWriters(waiting.path());
        if (waiting.passed()) {
            const QString who = system::holders(place, file, false);
            if (heldOpen && !changed)
                failures::heldOpen(waiting.path(), who, waiting.waitedMilliseconds());
            if (!heldOpen && !changed)
                failures::changedMomentAgo(waiting.path(), std::max<qint64>(age, 0) / 1000000, waiting.waitedMilliseconds());
            failures::keepsChanging(waiting.path(), who, waiting.waitedMilliseconds());
        }
        waiting.say(heldOpen ? settling::Reason::HeldOpen : settling::Reason::OtherWriter);
        // A time in the future (another clock) cannot age: it must hold still
        // for a whole quiet period.
        const Nanoseconds still = heldOpen ? 50ms : age < 0 ? settling::kQuiet : Nanoseconds(settling::kQuiet.count() - age);
        if (!watcher.waitForChange(still, waiting) && age < 0 && !heldOpen) {
            const std::optional<system::Snapshot> after = system::snapshot(file);
            if (after && system::sameFileUnchanged(*after, *now))
                return held ? QString() : failures::blindToWriters(waiting.path());
        }
    }
}

} // namespace engine::filebytes::otherwriters
