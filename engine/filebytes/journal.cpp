#include "engine/filebytes/journal.h"

#include "engine/filebytes/failures.h"
#include "engine/filebytes/testhooks.h"
#include "engine/systemerror.h"

#include <QCryptographicHash>

#include <optional>

namespace engine::filebytes::journal {
namespace {

using system::File;
using system::Folder;
using system::Place;
using system::Snapshot;

constexpr char kMagic[] = "commonserver-editor journal 1\n";

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString reason(int error)
{
    return engine::systemErrorText(error);
}

// Beside the file: short, so that a long file name leaves room for it, and
// named after the file, so that each file of a folder has its own.
QString besideName(const Place &place)
{
    return QStringLiteral(".cse-%1.j").arg(QString::fromLatin1(hashOf(place.name.toUtf8()).left(8)));
}

// In the state folder: named after the file's whole real path.
QString stateName(const Place &place)
{
    return QStringLiteral("%1.j").arg(QString::fromLatin1(hashOf(place.path().toUtf8()).left(16)));
}

// Where a journal is: its folder (the file's, or the state folder) and name.
struct Where
{
    const Folder *folder;
    std::optional<Folder> stateFolder; // owned when the journal is there
    QString name;
    QString path() const { return folder->nativePath(name); }
};

std::optional<Where> find(const Place &place)
{
    if (system::existsAt(place.folder, besideName(place)))
        return Where{&place.folder, std::nullopt, besideName(place)};
    QString whyNot;
    std::optional<Folder> state = system::stateFolder(false, &whyNot);
    if (!state || !system::existsAt(*state, stateName(place)))
        return std::nullopt;
    Where where{nullptr, std::move(state), stateName(place)};
    where.folder = &*where.stateFolder;
    return where;
}

struct Contents
{
    QString path;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 oldSize = 0;
    QByteArray oldHash;
    qint64 newSize = 0;
    QByteArray newHash;
    QByteArray old;
};

QByteArray serialised(const Place &place, const Snapshot &before, const QByteArray &old, const QByteArray &next)
{
    QByteArray bytes = kMagic;
    bytes += "path " + place.path().toUtf8().toPercentEncoding() + '\n';
    bytes += "identity " + QByteArray::number(before.device) + ' ' + QByteArray::number(before.inode) + '\n';
    bytes += "old " + QByteArray::number(old.size()) + ' ' + hashOf(old) + '\n';
    bytes += "new " + QByteArray::number(next.size()) + ' ' + hashOf(next) + '\n';
    bytes += '\n';
    bytes += old;
    // The last line: complete only with it, and only when every byte before it
    // reached the disk (a power cut may keep later blocks and lose earlier ones).
    bytes += "\nend " + hashOf(bytes) + '\n';
    return bytes;
}

// nullopt for a journal that is not complete.
std::optional<Contents> parsed(const QByteArray &bytes)
{
    const qsizetype endLine = bytes.lastIndexOf("\nend ");
    if (!bytes.startsWith(kMagic) || endLine < 0 || !bytes.endsWith('\n')
        || bytes.mid(endLine + 5, bytes.size() - endLine - 6) != hashOf(bytes.left(endLine)))
        return std::nullopt;
    const qsizetype headerEnd = bytes.indexOf("\n\n");
    if (headerEnd < 0 || headerEnd > endLine)
        return std::nullopt;
    Contents contents;
    for (const QByteArray &line : bytes.left(headerEnd).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.value(0) == "path")
            contents.path = QString::fromUtf8(QByteArray::fromPercentEncoding(fields.value(1)));
        else if (fields.value(0) == "identity")
            contents.device = fields.value(1).toULongLong(), contents.inode = fields.value(2).toULongLong();
        else if (fields.value(0) == "old")
            contents.oldSize = fields.value(1).toLongLong(), contents.oldHash = fields.value(2);
        else if (fields.value(0) == "new")
            contents.newSize = fields.value(1).toLongLong(), contents.newHash = fields.value(2);
    }
    contents.old = bytes.mid(headerEnd + 2, endLine - headerEnd - 2);
    if (contents.old.size() != contents.oldSize || hashOf(contents.old) != contents.oldHash)
        return std::nullopt;
    return contents;
}

// Which of the two versions the file holds, read again.
failures::Content contentNow(const File &file, const QByteArray &old, const QByteArray &next)
{
    QByteArray bytes;
    if (system::readAll(file, &bytes) != 0)
        return failures::Content::Unknown;
    if (bytes == old)
        return failures::Content::Old;
    return bytes == next ? failures::Content::New : failures::Content::Torn;
}

// 0, or the first error of writing `bytes` as the whole file.
int writeWhole(const File &writer, const QByteArray &bytes, bool hooked)
{
    int error = system::writeAll(writer, bytes.left(bytes.size() / 2), 0);
    if (hooked)
        testhooks::reached(testhooks::Step::FileHalfWritten);
    if (error == 0)
        error = system::writeAll(writer, bytes.mid(bytes.size() / 2), bytes.size() / 2);
    if (error == 0)
        error = system::resize(writer, bytes.size());
    if (error == 0)
        error = system::flush(writer);
    return error;
}

// Makes the journal durable before the file is touched; returns where it is.
Where write(const Place &place, const File &file, const Snapshot &before, const QByteArray &old,
            const QByteArray &next, const QString &path)
{
    const QByteArray bytes = serialised(place, before, old, next);
    Where where{&place.folder, std::nullopt, besideName(place)};
    int error = 0;
    std::optional<File> copy = system::createPrivate(place.folder, where.name, &error);
    if (!copy && system::alreadyExists(error)) { // left by a save that ended before it was complete
        system::removeAt(place.folder, where.name);
        copy = system::createPrivate(place.folder, where.name, &error);
    }
    if (!copy) {
        // A folder the user cannot write to: the user's own state folder.
        QString whyNot;
        where.stateFolder = system::stateFolder(true, &whyNot);
        if (!where.stateFolder)
            failures::noStateFolder(path, whyNot);
        where.folder = &*where.stateFolder;
        where.name = stateName(place);
        system::removeAt(*where.folder, where.name);
        copy = system::createPrivate(*where.folder, where.name, &error);
        if (!copy)
            failures::cannotKeepCopy(path, where.path(), reason(error));
    }
    error = system::writeAll(*copy, bytes.left(bytes.size() / 2), 0);
    testhooks::reached(testhooks::Step::JournalHalfWritten);
    if (error == 0)
        error = system::writeAll(*copy, bytes.mid(bytes.size() / 2), bytes.size() / 2);
    if (error == 0)
        error = system::flush(*copy);
    // Private until here; now whoever may read the file may read its copy.
    if (error == 0)
        system::takeIdentity(file, before, *copy, false);
    if (error == 0)
        error = system::flushFolder(*where.folder);
    if (error != 0) {
        copy->reset();
        system::removeAt(*where.folder, where.name);
        failures::cannotKeepCopy(path, where.path(), reason(error));
    }
    testhooks::reached(testhooks::Step::JournalWritten);
    return where;
}

} // namespace

bool mayExist(const Place &place)
{
    if (system::existsAt(place.folder, besideName(place)))
        return true;
    QString whyNot;
    const std::optional<Folder> state = system::stateFolder(false, &whyNot);
    return state && system::existsAt(*state, stateName(place));
}

void check(const Place &place, const File &file, const QString &path)
{
    const std::optional<Where> where = find(place);
    if (!where)
        return;
    const std::optional<QByteArray> bytes = system::readAt(*where->folder, where->name);
    const std::optional<Contents> contents = bytes ? parsed(*bytes) : std::nullopt;
    if (!contents) {
        system::removeAt(*where->folder, where->name); // never complete: the file was not touched
        return;
    }
    const std::optional<Snapshot> now = system::snapshot(file);
    const bool same = now && now->device == contents->device && now->inode == contents->inode;
    if (!same && contents->path != place.path())
        return; // another file's, whose name has the same hash
    QByteArray content;
    if (system::readAll(file, &content) != 0)
        return;
    const QByteArray hash = hashOf(content);
    if ((content.size() == contents->newSize && hash == contents->newHash)
        || (content.size() == contents->oldSize && hash == contents->oldHash)) {
        system::removeAt(*where->folder, where->name); // finished, or not begun
        return;
    }
    failures::interrupted(path, where->path());
}

void rewriteInPlace(const Place &place, const File &file, const File &writer, const Snapshot &before,
                    const QByteArray &old, const QByteArray &next, const QString &path)
{
    const Where journal = write(place, file, before, old, next, path);
    // Room for a longer content first, so that a full disk stops the
    // rewrite before it has begun.
    if (next.size() > old.size()) {
        if (const int error = system::reserve(writer, next.size())) {
            system::removeAt(*journal.folder, journal.name);
            failures::cannotWrite(path, reason(error));
        }
    }
    const int error = writeWhole(writer, next, true);
    if (error == 0) {
        testhooks::reached(testhooks::Step::FileWritten);
        system::removeAt(*journal.folder, journal.name);
        return;
    }
    // The old content back, from memory; the journal stays when that fails too.
    writeWhole(writer, old, false);
    const failures::Content now = contentNow(file, old, next);
    if (now == failures::Content::Old)
        system::removeAt(*journal.folder, journal.name);
    failures::writeFailed(path, reason(error),
                          failures::describeContent(now, now == failures::Content::Old ? QString() : journal.path()));
}

void resolve(const Place &place, const File &file, bool discard, const QString &path)
{
    const std::optional<Where> where = find(place);
    const std::optional<QByteArray> bytes = where ? system::readAt(*where->folder, where->name) : std::nullopt;
    const std::optional<Contents> contents = bytes ? parsed(*bytes) : std::nullopt;
    if (!contents) {
        if (where)
            system::removeAt(*where->folder, where->name);
        failures::noCopyToRestore(path);
    }
    if (!discard) {
        const File writer = system::openToWrite(place, path);
        if (const int error = writeWhole(writer, contents->old, false)) {
            const failures::Content now = contentNow(file, contents->old, QByteArray());
            failures::writeFailed(path, reason(error),
                                  failures::describeContent(now == failures::Content::Old ? now : failures::Content::Torn,
                                                            where->path()));
        }
    }
    system::removeAt(*where->folder, where->name);
    system::flushFolder(*where->folder);
}

} // namespace engine::filebytes::journal
