// Where a path leads on POSIX systems, followed one component at a time with
// openat as the system's own safe path walk does, and what a link of
// another user may lead to.

#include "engine/filebytes/posix.h"

#include "engine/filebytes/failures.h"
#include "engine/systemerror.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace engine::filebytes::system {
namespace {

using posix::encoded;
using posix::openAt;
using posix::userName;

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

// One step of the walk along a path: a name, or the end of a symbolic
// link's target, where what the link led to is checked against its owner.
struct Step
{
    QByteArray name;
    bool linkEnd = false;
    uid_t linkOwner = 0;
    QString link;
};

void pushComponents(std::deque<Step> &steps, const QByteArray &path)
{
    const QList<QByteArray> parts = path.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        if (!part->isEmpty() && *part != ".")
            steps.push_front(Step{*part, false, 0, QString()});
    }
}

bool namesRemain(const std::deque<Step> &steps)
{
    for (const Step &step : steps) {
        if (!step.linkEnd)
            return true;
    }
    return false;
}

[[noreturn]] void cannotReach(const QString &path, Purpose purpose, int error)
{
    if (purpose == Purpose::Read)
        failures::cannotRead(path, systemErrorText(error));
    failures::cannotWrite(path, systemErrorText(error));
}

void checkLinkEnd(const QString &path, const Step &end, uid_t ownerReached, const QString &reached)
{
    if (ownerReached != end.linkOwner)
        failures::foreignLink(path, end.link, userName(end.linkOwner), reached, userName(ownerReached));
}

} // namespace

QString Folder::nativePath(const QString &name) const
{
    return joined(path, name);
}

std::optional<Place> locate(const QString &path, Purpose purpose)
{
    const QByteArray asked = encoded(path);
    const uid_t user = ::geteuid();
    File current;
    QString real;
    if (asked.startsWith('/')) {
        current = File(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        real = QStringLiteral("/");
    } else {
        current = File(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        real = QDir::currentPath();
    }
    if (!current.valid())
        cannotReach(path, purpose, errno);
    std::deque<Step> steps;
    pushComponents(steps, asked);
    QString throughLink; // the link the last name was reached by
    int links = 0;
    while (!steps.empty()) {
        const Step step = steps.front();
        steps.pop_front();
        if (step.linkEnd) {
            struct stat folder;
            if (::fstat(current.get(), &folder) != 0)
                cannotReach(path, purpose, errno);
            checkLinkEnd(path, step, folder.st_uid, real);
            continue;
        }
        const bool last = !namesRemain(steps);
        if (step.name == "..") {
            current = File(openAt(current, "..", O_PATH | O_DIRECTORY));
            if (!current.valid())
                cannotReach(path, purpose, errno);
            real = parentOf(real);
            continue;
        }
        struct stat st;
        if (::fstatat(current.get(), step.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            if (error == ENOENT && last) // nothing there yet: the place of a new file
                return Place{Folder{std::move(current), real}, QFile::decodeName(step.name), throughLink};
            if (purpose == Purpose::Read && (error == ENOENT || error == ENOTDIR))
                return std::nullopt;
            if (error == ENOENT)
                failures::folderMissing(path);
            cannotReach(path, purpose, error);
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > 40)
                cannotReach(path, purpose, ELOOP);
            std::vector<char> target(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
            const ssize_t length = ::readlinkat(current.get(), step.name.constData(), target.data(), target.size() - 1);
            if (length < 0)
                cannotReach(path, purpose, errno);
            const QString link = joined(real, QFile::decodeName(step.name));
            // A link of another user (not root) must lead to what is theirs:
            // checked once its target is reached.
            if (st.st_uid != user && st.st_uid != 0)
                steps.push_front(Step{QByteArray(), true, st.st_uid, link});
            const QByteArray destination(target.data(), length);
            pushComponents(steps, destination);
            if (destination.startsWith('/')) {
                current = File(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                real = QStringLiteral("/");
                if (!current.valid())
                    cannotReach(path, purpose, errno);
            }
            if (last)
                throughLink = link;
            continue;
        }
        if (last) {
            const QString reached = joined(real, QFile::decodeName(step.name));
            for (; !steps.empty() && steps.front().linkEnd; steps.pop_front())
                checkLinkEnd(path, steps.front(), st.st_uid, reached);
            return Place{Folder{std::move(current), real}, QFile::decodeName(step.name), throughLink};
        }
        if (!S_ISDIR(st.st_mode)) {
            if (purpose == Purpose::Read)
                return std::nullopt;
            cannotReach(path, purpose, ENOTDIR);
        }
        File next(openAt(current, step.name, O_PATH | O_DIRECTORY | O_NOFOLLOW));
        if (!next.valid())
            cannotReach(path, purpose, errno);
        current = std::move(next);
        real = joined(real, QFile::decodeName(step.name));
    }
    failures::notRegular(path, true); // the path names a folder ("/", "..")
}

} // namespace engine::filebytes::system
