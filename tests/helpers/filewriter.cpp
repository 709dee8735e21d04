// Another process that writes the settings file, for the tests of other
// writers:
//   filewriter set PATH KEY VALUE [--as UID:GID[:GROUP,...]] [--backup] [--stop-after STEP]
//       saves one key as the editor does (exit 1 and the report on standard
//       error when it is refused; what the save says the user should know on
//       standard output), after dropping to that user and groups;
//       with --backup, keeping the old content beside the file; with
//       --stop-after, ending the process at once (exit 9) when the save
//       reaches that step (faultseams.h: temporary-half-written ...
//       file-written), as a crash or a power cut would end it;
//   filewriter get PATH KEY [--as UID:GID[:GROUP,...]] [--memory MEGABYTES]
//       reads one key as the editor does and prints it (exit 1 and the report
//       on standard error when it is refused), as that user, in at most that
//       much address space;
//   filewriter restore PATH [--discard] [--as UID:GID[:GROUP,...]]
//       settles an interrupted save as that user: puts the old content back,
//       or keeps the file as it is; prints the report when there is none;
//   filewriter open FILE [--as UID:GID[:GROUP,...]]
//       exit 0 when that user can read a byte of FILE, else 1;
//   filewriter snoop FOLDER MILLISECONDS [--as UID:GID[:GROUP,...]]
//       another local user: opens every file that appears in the folder, as
//       it appears, and prints how many it could read anything from;
//   filewriter rewrite PATH SOURCE PIECE_BYTES PAUSE_MICROSECONDS
//       truncates PATH and writes SOURCE's bytes into it piece by piece, as a
//       program that does not replace files atomically does; prints
//       "writing" once the first piece is in;
//   filewriter rewrite-reopening PATH SOURCE PIECE_BYTES PAUSE_MICROSECONDS
//       the same, closing the file after each piece and opening it again.

#include "engine/failure.h"
#include "helpers/faultseams.h"
#include "engine/filebytes.h"
#include "engine/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

namespace {

bool dropTo(const QString &user)
{
#ifdef Q_OS_UNIX
    const QStringList parts = user.split(QLatin1Char(':'));
    std::vector<gid_t> groups;
    for (const QString &group : parts.value(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
        groups.push_back(gid_t(group.toUInt()));
    return ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(gid_t(parts.value(1).toUInt())) == 0
           && ::setuid(uid_t(parts.value(0).toUInt())) == 0;
#else
    Q_UNUSED(user);
    return false;
#endif
}

bool dropIfAsked(const QStringList &args)
{
    const qsizetype as = args.indexOf(QStringLiteral("--as"));
    if (as >= 0 && !dropTo(args.value(as + 1))) {
        std::fprintf(stderr, "cannot become %s\n", qPrintable(args.value(as + 1)));
        return false;
    }
    return true;
}

using faultseams::Step;

Step stopAt = Step::FileWritten;

void stopHere(Step step)
{
    if (step == stopAt)
        std::_Exit(9);
}

int set(const QStringList &args)
{
    const QStringList steps{"temporary-half-written", "temporary-written", "renamed", "journal-half-written",
                            "journal-written", "file-half-written", "file-written"};
    const qsizetype stop = args.indexOf(QStringLiteral("--stop-after"));
    if (stop >= 0) {
        stopAt = Step(steps.indexOf(args.value(stop + 1)));
        faultseams::setStepHook(stopHere);
    }
    if (!dropIfAsked(args))
        return 2;
    engine::inifile::WriteOptions options;
    options.backup = args.contains(QStringLiteral("--backup"));
    try {
        const std::vector<engine::inifile::KeyValue> pairs{{args.value(3), QLatin1Char(' ') + args.value(4)}};
        const engine::inifile::WriteOutcome outcome = engine::inifile::write(
            args.value(2), QStringLiteral("GameServerInfo"), [&](const QByteArray &) { return pairs; }, options);
        for (const QString &notice : outcome.notices)
            std::printf("%s\n", notice.toUtf8().constData());
    } catch (const engine::Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.description.toUtf8().constData());
        return 1;
    }
    return 0;
}

int get(const QStringList &args)
{
    if (!dropIfAsked(args))
        return 2;
#if defined(Q_OS_UNIX) && !defined(__SANITIZE_ADDRESS__) // AddressSanitizer maps terabytes of shadow
    const qsizetype memory = args.indexOf(QStringLiteral("--memory"));
    const rlimit limit{rlim_t(args.value(memory + 1).toLongLong()) << 20, rlim_t(args.value(memory + 1).toLongLong()) << 20};
    if (memory >= 0 && ::setrlimit(RLIMIT_AS, &limit) != 0)
        return 2;
#endif
    try {
        const engine::inifile::ReadOutcome read =
            engine::inifile::read(args.value(2), QStringLiteral("GameServerInfo"), {args.value(3)});
        std::printf("%s\n", read.values.value(0).toUtf8().constData());
    } catch (const engine::Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.description.toUtf8().constData());
        return 1;
    }
    return 0;
}

int restore(const QStringList &args)
{
    if (!dropIfAsked(args))
        return 2;
    try {
        engine::filebytes::resolveInterrupted(args.value(2), args.contains(QStringLiteral("--discard"))
                                                                 ? engine::filebytes::Resolution::Keep
                                                                 : engine::filebytes::Resolution::Restore);
    } catch (const engine::Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.description.toUtf8().constData());
        return 1;
    }
    return 0;
}

int open(const QStringList &args)
{
    if (!dropIfAsked(args))
        return 2;
    QFile file(args.value(2));
    return file.open(QIODevice::ReadOnly) && !file.read(1).isEmpty() ? 0 : 1;
}

int snoop(const QStringList &args)
{
#ifdef Q_OS_LINUX
    const qsizetype as = args.indexOf(QStringLiteral("--as"));
    if (as >= 0 && !dropTo(args.value(as + 1)))
        return 2;
    const QByteArray folder = QFile::encodeName(args.value(2));
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, folder.constData(), IN_CREATE | IN_MOVED_TO) < 0)
        return 2;
    std::printf("watching\n");
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(args.value(3).toLongLong());
    // Opened as they appear, read once they hold something: an open
    // descriptor keeps its access whatever the file's mode becomes.
    std::vector<std::pair<int, QByteArray>> opened;
    int read = 0;
    alignas(inotify_event) char events[8192];
    while (std::chrono::steady_clock::now() < end) {
        for (auto it = opened.begin(); it != opened.end();) {
            char byte;
            if (::pread(it->first, &byte, 1, 0) == 1) {
                ++read;
                std::fprintf(stderr, "read %s\n", it->second.constData());
                ::close(it->first);
                it = opened.erase(it);
            } else {
                ++it;
            }
        }
        pollfd waiting{watch, POLLIN, 0};
        if (::poll(&waiting, 1, 5) <= 0)
            continue;
        const ssize_t got = ::read(watch, events, sizeof events);
        for (char *at = events; got > 0 && at < events + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->len == 0)
                continue;
            const int fd = ::open((folder + '/' + event->name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
            if (fd >= 0)
                opened.emplace_back(fd, QByteArray(event->name));
        }
    }
    std::printf("%d\n", read);
    return 0;
#else
    Q_UNUSED(args);
    return 2;
#endif
}

int rewrite(const QStringList &args)
{
    QFile source(args.value(3));
    if (!source.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray bytes = source.readAll();
    const qsizetype piece = args.value(4).toLongLong();
    const auto pause = std::chrono::microseconds(args.value(5).toLongLong());
    const bool reopening = args.value(1) == QLatin1String("rewrite-reopening");
    QFile target(args.value(2));
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return 2;
    for (qsizetype done = 0; done < bytes.size(); done += piece) {
        if (done > 0) {
            if (reopening)
                target.close();
            std::this_thread::sleep_for(pause);
            if (reopening && !target.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
                return 2;
        }
        if (target.write(bytes.mid(done, piece)) < 0)
            return 2;
        if (done == 0) {
            std::printf("writing\n");
            std::fflush(stdout);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == QLatin1String("set") && args.size() >= 5)
        return set(args);
    if (args.value(1).startsWith(QLatin1String("rewrite")) && args.size() == 6)
        return rewrite(args);
    if (args.value(1) == QLatin1String("snoop") && args.size() >= 4)
        return snoop(args);
    if (args.value(1) == QLatin1String("get") && args.size() >= 4)
        return get(args);
    if (args.value(1) == QLatin1String("restore") && args.size() >= 3)
        return restore(args);
    if (args.value(1) == QLatin1String("open") && args.size() >= 3)
        return open(args);
    std::fprintf(stderr, "usage: filewriter set PATH KEY VALUE [--as UID:GID[:GROUPS]] [--backup] | "
                         "rewrite[-reopening] PATH SOURCE PIECE_BYTES PAUSE_MICROSECONDS | "
                         "snoop FOLDER MILLISECONDS [--as UID:GID[:GROUPS]] | get PATH KEY [--as ...] [--memory MB] | "
                         "restore PATH [--discard] [--as ...] | open FILE [--as ...]\n");
    return 2;
}
