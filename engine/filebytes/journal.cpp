#include "engine/filebytes/journal.h"

#include "engine/filebytes/failures.h"
#include "engine/filebytes/seams.h"
#include "engine/systemerror.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace engine::filebytes::journal {
namespace {

using system::File;
using system::Folder;
using system::Place;
using system::Snapshot;

constexpr char kMagic[] = "commonserver-editor journal 2\n";
// A header is five short lines and a path: anything longer is not one.
constexpr qint64 kHeaderLimit = 64 * 1024;
// Journals and files are compared this much at a time, whatever their size.
constexpr qint64 kChunk = 1 << 20;
constexpr qint64 kEndLine = 5 + 64 + 1; // "\nend ", a SHA-256 in hex, "\n"

QByteArray hashOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString randomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix = QStringLiteral("-");
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(36)]);
    return suffix;
}

// Beside the file: short, so that a long file name leaves room for it, and
// named after the file, so that each file of a folder has its own. Where
// something else holds that name, the journal goes elsewhere.
QString besideName(const Place &place)
{
    return QStringLiteral(".cse-%1.j").arg(QString::fromLatin1(hashOf(place.name.toUtf8()).left(8)));
}

// In the machine's shared folder and the user's state folder: named after
// the file's device and inode, which every user sees alike. In the shared
// folder someone else may hold that name: a journal then takes a suffix.
QString elsewhereName(const Snapshot &file)
{
    return QStringLiteral("%1-%2.j").arg(file.device).arg(file.inode);
}

// A file named like a journal of the file, and the folder it lies in.
struct Found
{
    std::shared_ptr<const Folder> owned; // the shared or state folder, held open
    const Folder *folder = nullptr;
    QString name;
    QString path() const { return folder->nativePath(name); }
};

// The journal's name alone, or (`suffixed`) every name it begins.
QStringList namesIn(const Folder &folder, const QString &name, bool suffixed)
{
    if (suffixed)
        return system::namesIn(folder, name);
    return system::existsAt(folder, name) ? QStringList{name} : QStringList();
}

void addFrom(std::vector<Found> &found, std::shared_ptr<const Folder> folder, const QString &name, bool suffixed)
{
    if (!folder)
        return;
    for (const QString &each : namesIn(*folder, name, suffixed))
        found.push_back({folder, folder.get(), each});
}

std::shared_ptr<const Folder> held(std::optional<Folder> folder)
{
    return folder ? std::make_shared<const Folder>(std::move(*folder)) : nullptr;
}

// Wherever a journal of the file may lie: beside it, in the machine's shared
// folder, in the user's own state folder.
std::vector<Found> findAll(const Place &place, const Snapshot &file)
{
    std::vector<Found> found;
    for (const QString &name : namesIn(place.folder, besideName(place), false))
        found.push_back({nullptr, &place.folder, name});
    QString whyNot;
    addFrom(found, held(system::sharedFolder(false, &whyNot)), elsewhereName(file), true);
    addFrom(found, held(system::stateFolder(false, &whyNot)), elsewhereName(file), false);
    return found;
}

// What a journal says of itself, in its first lines.
struct Header
{
    QString path;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 oldSize = -1;
    QByteArray oldHash;
    qint64 newSize = -1;
    QByteArray newHash;
    qint64 bodyAt = 0; // where the old content begins; the new one follows it
    qint64 newAt() const { return bodyAt + oldSize; }
    qint64 total() const { return bodyAt + oldSize + newSize + kEndLine; }
};

QByteArray headerText(const Place &place, const Snapshot &before, const QByteArray &old, const QByteArray &next)
{
    QByteArray bytes = kMagic;
    bytes += "path " + place.path().toUtf8().toPercentEncoding() + '\n';
    bytes += "identity " + QByteArray::number(before.device) + ' ' + QByteArray::number(before.inode) + '\n';
    bytes += "old " + QByteArray::number(old.size()) + ' ' + hashOf(old) + '\n';
    bytes += "new " + QByteArray::number(next.size()) + ' ' + hashOf(next) + '\n';
    return bytes + '\n';
}

// The last line: complete only with it. It seals the header, which holds the
// hashes of both contents, so a journal whose every byte reached the disk is
// told from one a power cut left with holes.
QByteArray endLine(const QByteArray &header)
{
    return "\nend " + hashOf(header) + '\n';
}

bool isHash(const QByteArray &text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// nullopt for what is not a header of this format.
std::optional<Header> parsed(const QByteArray &header)
{
    Header parsed;
    parsed.bodyAt = header.size();
    bool ok = true;
    for (const QByteArray &line : header.mid(qsizetype(sizeof kMagic) - 1).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        bool number = true;
        if (fields.value(0) == "path" && fields.size() == 2) {
            parsed.path = QString::fromUtf8(QByteArray::fromPercentEncoding(fields.value(1)));
        } else if (fields.value(0) == "identity" && fields.size() == 3) {
            parsed.device = fields.value(1).toULongLong(&number);
            parsed.inode = number ? fields.value(2).toULongLong(&number) : 0;
        } else if ((fields.value(0) == "old" || fields.value(0) == "new") && fields.size() == 3) {
            const qint64 size = fields.value(1).toLongLong(&number);
            ok = ok && isHash(fields.value(2)) && size >= 0 && size < (qint64(1) << 48);
            (fields.value(0) == "old" ? parsed.oldSize : parsed.newSize) = size;
            (fields.value(0) == "old" ? parsed.oldHash : parsed.newHash) = fields.value(2);
        } else if (!line.isEmpty()) {
            ok = false;
        }
        ok = ok && number;
    }
    if (!ok || parsed.path.isEmpty() || parsed.oldSize < 0 || parsed.newSize < 0)
        return std::nullopt;
    return parsed;
}

// How the file's bytes stand to a journal's two contents, read side by side
// a chunk at a time: whether the journal's contents are whole (their
// hashes), and whether the file is the old content, the new one, or what a
// rewrite from one to the other can leave: each byte the new content's or
// the old one's, or, past the old end, not written yet (a power cut may
// keep later blocks and lose earlier ones).
struct Comparison
{
    bool whole = false;
    bool isOld = false;
    bool isNew = false;
    bool between = false;
};

std::optional<Comparison> compare(const File &copy, const Header &header, const File &file, qint64 fileSize)
{
    QCryptographicHash oldHash(QCryptographicHash::Sha256);
    QCryptographicHash newHash(QCryptographicHash::Sha256);
    Comparison result{false, fileSize == header.oldSize, fileSize == header.newSize, true};
    const qint64 end = std::max({header.oldSize, header.newSize, fileSize});
    QByteArray old, next, now;
    for (qint64 at = 0; at < end; at += kChunk) {
        const auto part = [&](qint64 size) { return std::clamp<qint64>(size - at, 0, kChunk); };
        if (system::readSome(copy, header.bodyAt + at, part(header.oldSize), &old) != 0
            || system::readSome(copy, header.newAt() + at, part(header.newSize), &next) != 0
            || system::readSome(file, at, part(fileSize), &now) != 0 || old.size() != part(header.oldSize)
            || next.size() != part(header.newSize))
            return std::nullopt;
        oldHash.addData(old);
        newHash.addData(next);
        result.isOld = result.isOld && now == old;
        result.isNew = result.isNew && now == next;
        if (!result.between || now == old.left(now.size()) || now == next.left(now.size()))
            continue;
        for (qsizetype i = 0; i < now.size() && result.between; ++i) {
            const char byte = now.at(i);
            result.between = (i < next.size() && byte == next.at(i)) || (i < old.size() && byte == old.at(i))
                             || (i >= old.size() && byte == 0);
        }
    }
    result.whole = oldHash.result().toHex() == header.oldHash && newHash.result().toHex() == header.newHash;
    return result;
}

// What a file named like a journal of the file turns out to be.
enum class Verdict {
    Foreign,     // not a regular file, or its owner may not speak for the file: never believed
    NotJournal,  // not in this format: left as it is
    Incomplete,  // cut off while it was written: the file was not touched yet
    OtherFile,   // another file's, or this path's before it was replaced
    Settled,     // the file holds the old content (not begun) or the new one (finished)
    Torn,        // the file holds part of each: the save was cut off halfway
    Unexplained, // the file is neither, nor between: someone changed it since
};

struct Judged
{
    Verdict verdict = Verdict::Foreign;
    Found found;
    std::optional<File> copy;
    Header header;
    QString owner;
};

Judged judge(Found found, const Place &place, const File &file, const Snapshot &now)
{
    Judged judged;
    judged.found = std::move(found);
    judged.copy = system::openCopy(*judged.found.folder, judged.found.name);
    if (!judged.copy)
        return judged;
    judged.owner = system::ownerName(*judged.copy);
    if (!system::believable(*judged.found.folder, *judged.copy, file, now))
        return judged;
    const std::optional<Snapshot> copySize = system::snapshot(*judged.copy);
    const qint64 size = copySize ? copySize->size : 0;
    QByteArray head;
    judged.verdict = Verdict::NotJournal;
    if (system::readSome(*judged.copy, 0, std::min(size, kHeaderLimit), &head) != 0)
        return judged;
    const QByteArray magic(kMagic);
    if (!head.startsWith(magic)) {
        if (magic.startsWith(head))
            judged.verdict = Verdict::Incomplete;
        return judged;
    }
    const qsizetype headerEnd = head.indexOf("\n\n");
    if (headerEnd < 0) {
        if (size < kHeaderLimit)
            judged.verdict = Verdict::Incomplete;
        return judged;
    }
    const QByteArray headerBytes = head.left(headerEnd + 2);
    const std::optional<Header> header = parsed(headerBytes);
    if (!header || size > header->total())
        return judged;
    judged.header = *header;
    QByteArray end;
    if (size < header->total()
        || system::readSome(*judged.copy, header->total() - kEndLine, kEndLine, &end) != 0 || end != endLine(headerBytes)) {
        judged.verdict = Verdict::Incomplete;
        return judged;
    }
    if (header->path != place.path() || header->device != now.device || header->inode != now.inode) {
        judged.verdict = Verdict::OtherFile;
        return judged;
    }
    // What its sizes allow, before a byte of either content is read: the
    // new size when it finished, else at least the old one and no more than
    // the larger of the two.
    judged.verdict = Verdict::Unexplained;
    const qint64 fileSize = now.size;
    if (fileSize != header->newSize && (fileSize < header->oldSize || fileSize > std::max(header->oldSize, header->newSize)))
        return judged;
    const std::optional<Comparison> compared = compare(*judged.copy, *header, file, fileSize);
    if (!compared)
        return judged;
    if (!compared->whole)
        judged.verdict = Verdict::Incomplete;
    else if (compared->isOld || compared->isNew)
        judged.verdict = Verdict::Settled;
    else if (compared->between)
        judged.verdict = Verdict::Torn;
    return judged;
}

std::vector<Judged> judgeAll(const Place &place, const File &file)
{
    std::vector<Judged> judged;
    const std::optional<Snapshot> now = system::snapshot(file);
    if (!now)
        return judged;
    for (Found &found : findAll(place, *now))
        judged.push_back(judge(std::move(found), place, file, *now));
    return judged;
}

// Removes the journals of finished, never begun or never complete saves
// (and, for a save, of saves someone's changes have overtaken); returns the
// first journal of a torn file, if there is one.
Judged *settle(std::vector<Judged> &judged, bool saving)
{
    Judged *torn = nullptr;
    for (Judged &journal : judged) {
        const bool gone = journal.verdict == Verdict::Settled || journal.verdict == Verdict::Incomplete
                          || (saving && journal.verdict == Verdict::Unexplained);
        if (gone) {
            journal.copy.reset();
            system::removeAt(*journal.found.folder, journal.found.name);
        } else if (journal.verdict == Verdict::Torn && !torn) {
            torn = &journal;
        }
    }
    return torn;
}

// The files named like a journal that were not believed, for a report.
QStringList foreignOnes(const std::vector<Judged> &judged)
{
    QStringList foreign;
    for (const Judged &journal : judged) {
        if (journal.verdict == Verdict::Foreign)
            foreign << journal.found.path();
    }
    return foreign;
}

// A journal being written: where it is, and the file open for it.
struct Made
{
    Found where;
    File copy;
    QString notice;
};

Made create(const Place &place, const Snapshot &before, const QString &path)
{
    int error = 0;
    if (std::optional<File> copy = system::createPrivate(place.folder, besideName(place), &error))
        return Made{Found{nullptr, &place.folder, besideName(place)}, std::move(*copy), QString()};
    // A folder the user may not write to, or a name that something else
    // holds: the machine's shared folder, which root and the file's owner
    // search too; else the user's own.
    QString whyNotShared;
    QString whyNotOwn;
    std::shared_ptr<const Folder> elsewhere = held(system::sharedFolder(true, &whyNotShared));
    const bool own = !elsewhere;
    if (own)
        elsewhere = held(system::stateFolder(true, &whyNotOwn));
    if (!elsewhere)
        failures::noStateFolder(path, whyNotOwn);
    QString name = elsewhereName(before);
    for (const QString &candidate : {name, name + randomSuffix()}) {
        name = candidate;
        if (std::optional<File> copy = system::createPrivate(*elsewhere, name, &error)) {
            Made made{Found{elsewhere, elsewhere.get(), name}, std::move(*copy), QString()};
            if (own)
                made.notice = failures::onlyYouFind(path, made.where.path(), whyNotShared);
            return made;
        }
        if (!system::alreadyExists(error) || own)
            break;
    }
    failures::cannotKeepCopy(path, elsewhere->nativePath(name), systemErrorText(error));
}

// Makes the journal durable before the file is touched.
Made write(const Place &place, const File &file, const Snapshot &before, const QByteArray &old,
           const QByteArray &next, const QString &path)
{
    Made made = create(place, before, path);
    const QByteArray header = headerText(place, before, old, next);
    int error = system::writeAll(made.copy, header, 0);
    if (error == 0)
        error = system::writeAll(made.copy, old, header.size());
    seams::reached(seams::Step::JournalHalfWritten);
    if (error == 0)
        error = system::writeAll(made.copy, next, header.size() + old.size());
    if (error == 0)
        error = system::writeAll(made.copy, endLine(header), header.size() + old.size() + next.size());
    if (error == 0)
        error = system::flush(made.copy);
    // Private until here; now whoever may read the file may read its copy.
    if (error == 0)
        system::takeIdentity(file, before, made.copy, false);
    if (error == 0)
        error = system::flushFolder(*made.where.folder);
    if (error != 0) {
        made.copy.reset();
        system::removeAt(*made.where.folder, made.where.name);
        failures::cannotKeepCopy(path, made.where.path(), systemErrorText(error));
    }
    seams::reached(seams::Step::JournalWritten);
    return made;
}

// 0, or the first error of writing `bytes` as the whole file.
int writeWhole(const File &writer, const QByteArray &bytes, bool hooked)
{
    int error = system::writeAll(writer, bytes.left(bytes.size() / 2), 0);
    if (hooked)
        seams::reached(seams::Step::FileHalfWritten);
    if (error == 0)
        error = system::writeAll(writer, bytes.mid(bytes.size() / 2), bytes.size() / 2);
    if (error == 0)
        error = system::resize(writer, bytes.size());
    if (error == 0)
        error = system::flush(writer);
    return error;
}

// 0, or the first error of putting a journal's old content back as the whole file.
int writeOld(const File &writer, const Judged &journal)
{
    QByteArray part;
    for (qint64 at = 0; at < journal.header.oldSize; at += kChunk) {
        const qint64 size = std::min(kChunk, journal.header.oldSize - at);
        int error = system::readSome(*journal.copy, journal.header.bodyAt + at, size, &part);
        if (error == 0 && part.size() != size)
            error = system::endOfFileError(); // the journal was cut short meanwhile
        if (error == 0)
            error = system::writeAll(writer, part, at);
        if (error != 0)
            return error;
    }
    const int error = system::resize(writer, journal.header.oldSize);
    return error != 0 ? error : system::flush(writer);
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

} // namespace

bool mayExist(const Place &place, const Snapshot &file)
{
    QString whyNot;
    const auto anyIn = [&](std::optional<Folder> folder, bool suffixed) {
        return folder && !namesIn(*folder, elsewhereName(file), suffixed).isEmpty();
    };
    return system::existsAt(place.folder, besideName(place)) || anyIn(system::sharedFolder(false, &whyNot), true)
           || anyIn(system::stateFolder(false, &whyNot), false);
}

void check(const Place &place, const File &file, const QString &path, bool saving)
{
    std::vector<Judged> judged = judgeAll(place, file);
    if (const Judged *torn = settle(judged, saving))
        failures::interrupted(path, torn->found.path());
}

QString rewriteInPlace(const Place &place, const File &file, const File &writer, const Snapshot &before,
                       const QByteArray &old, const QByteArray &next, const QString &path)
{
    Made journal = write(place, file, before, old, next, path);
    const auto forget = [&] {
        journal.copy.reset();
        system::removeAt(*journal.where.folder, journal.where.name);
    };
    // Room for a longer content first, so that a full disk stops the
    // rewrite before it has begun.
    if (next.size() > old.size()) {
        if (const int error = system::reserve(writer, next.size())) {
            forget();
            failures::cannotWrite(path, systemErrorText(error));
        }
    }
    const int error = writeWhole(writer, next, true);
    if (error == 0) {
        seams::reached(seams::Step::FileWritten);
        forget();
        return journal.notice;
    }
    // The old content back, from memory; the journal stays when that fails too.
    writeWhole(writer, old, false);
    const failures::Content now = contentNow(file, old, next);
    if (now == failures::Content::Old)
        forget();
    failures::writeFailed(path, systemErrorText(error),
                          failures::describeContent(now, now == failures::Content::Old ? QString() : journal.where.path()));
}

Settlement resolve(const Place &place, const File &file, bool discard, const QString &path, bool dryRun)
{
    std::vector<Judged> judged = judgeAll(place, file);
    Judged *torn = settle(judged, false);
    if (!torn)
        failures::noCopyToRestore(path, foreignOnes(judged));
    Settlement settled{FailureKind::InterruptedSave, torn->found.path(), QByteArray(), std::nullopt};
    QByteArray old;
    if (system::readAll(file, &*settled.before) != 0
        || system::readSome(*torn->copy, torn->header.bodyAt, torn->header.oldSize, &old) != 0
        || old.size() != torn->header.oldSize)
        failures::cannotRead(path, systemErrorText(system::endOfFileError()));
    settled.after = discard ? *settled.before : old;
    if (dryRun)
        return settled;
    if (!discard) {
        const File writer = system::openToWrite(place, path);
        if (const int error = writeOld(writer, *torn)) {
            const std::optional<Snapshot> now = system::snapshot(file);
            const std::optional<Comparison> compared =
                now ? compare(*torn->copy, torn->header, file, now->size) : std::nullopt;
            failures::writeFailed(path, systemErrorText(error),
                                  failures::describeContent(compared && compared->isOld ? failures::Content::Old
                                                                                        : failures::Content::Torn,
                                                            torn->found.path()));
        }
    }
    torn->copy.reset();
    if (const int error = system::removeAt(*torn->found.folder, torn->found.name)) {
        // Restored, the file is as the journal's old content: it no longer
        // stops anyone, and goes at the next look of someone who may remove it.
        if (discard)
            failures::copyNotRemoved(path, torn->found.path(), torn->owner, systemErrorText(error));
    }
    system::flushFolder(*torn->found.folder);
    return settled;
}

} // namespace engine::filebytes::journal
