#include "engine/filebytes/temporaries.h"

#include "engine/filebytes/failures.h"
#include "engine/systemerror.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace engine::filebytes::temporaries {
namespace {

QString prefix(const system::Place &place)
{
    return QStringLiteral(".cse-%1-").arg(QString::fromLatin1(
        QCryptographicHash::hash(place.name.toUtf8(), QCryptographicHash::Sha256).toHex().left(8)));
}

// The size a temporary's name declares ("<random>-<size>"); -1 for another name.
qint64 declaredSize(const system::Place &place, const QString &name)
{
    const QStringList parts = name.mid(prefix(place).size()).split(QLatin1Char('-'));
    bool number = false;
    const qint64 size = parts.size() == 2 && parts.at(0).size() == 6 ? parts.at(1).toLongLong(&number) : -1;
    return number && size >= 0 ? size : -1;
}

} // namespace

QString nameFor(const system::Place &place, const QByteArray &bytes)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = prefix(place);
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(36)]);
    return name + QLatin1Char('-') + QString::number(bytes.size());
}

void removeStale(const system::Place &place)
{
    for (const QString &name : system::namesIn(place.folder, prefix(place)))
        system::removeAt(place.folder, name);
}

std::optional<QString> finishedAside(const system::Place &place)
{
    std::optional<QString> newest;
    qint64 newestTime = 0;
    for (const QString &name : system::namesIn(place.folder, prefix(place))) {
        const qint64 size = declaredSize(place, name);
        const std::optional<system::File> copy = size < 0 ? std::nullopt : system::openCopy(place.folder, name);
        const std::optional<system::Snapshot> seen = copy ? system::snapshot(*copy) : std::nullopt;
        // Whole (a killed save leaves it shorter), and put there by this
        // user or root: another user's file is no content of ours.
        if (!seen || seen->size != size || !system::ownedByUserOrRoot(*copy))
            continue;
        if (!newest || seen->modified > newestTime) {
            newest = name;
            newestTime = seen->modified;
        }
    }
    return newest;
}

Settlement settleAside(const system::Place &place, const QString &temporary, bool discard, const QString &path,
                       bool dryRun)
{
    Settlement settled{FailureKind::FinishedAside, place.folder.nativePath(temporary), std::nullopt, std::nullopt};
    if (!discard) {
        const std::optional<system::File> content = system::openCopy(place.folder, temporary);
        QByteArray bytes;
        if (!content || system::readAll(*content, &bytes) != 0)
            failures::cannotRead(settled.copy, engine::systemErrorText(system::endOfFileError()));
        settled.after = bytes;
    }
    if (dryRun)
        return settled;
    const int error = discard ? system::removeAt(place.folder, temporary) : system::moveInto(place, temporary);
    if (error != 0)
        failures::cannotWrite(path, engine::systemErrorText(error));
    // Put in place, the file is there for good only once its folder is on
    // the disk. After a removal a failed flush is not reported: at worst the
    // temporary comes back after a crash and is offered again.
    if (const int flushed = system::flushFolder(place.folder); flushed != 0 && !discard)
        failures::notDurable(path, engine::systemErrorText(flushed));
    return settled;
}

} // namespace engine::filebytes::temporaries
