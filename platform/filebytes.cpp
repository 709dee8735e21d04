#include "platform/filebytes.h"

#include "platform/filebytes/failures.h"
#include "platform/systemerror.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace filebytes {

#ifdef Q_OS_UNIX

std::optional<QByteArray> read(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray encoded = QFile::encodeName(path);
    // Asking for the type first tells what is there, and why not: a device or
    // a pipe is never opened (opening a pipe would wait).
    struct stat st;
    if (::stat(encoded.constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt; // nothing there, also a link to nothing
        failures::cannotRead(path, platform::systemErrorText(error));
    }
    if (!S_ISREG(st.st_mode))
        failures::notRegular(path, S_ISDIR(st.st_mode));
    const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        failures::cannotRead(path, platform::systemErrorText(errno));
    // Straight into the array, one byte more than the file had, so that the
    // end shows without growing it; a file that grew meanwhile grows it.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + filled, std::size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            failures::cannotRead(path, platform::systemErrorText(error));
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    bytes.truncate(filled);
    return bytes;
}

#else

std::optional<QByteArray> read(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (info.fileName().size() > 255) // what the system's file names allow
        failures::cannotRead(path, platform::systemErrorText(int(ERROR_FILENAME_EXCED_RANGE)));
    const bool regular = info.isFile();
    if (!regular && !info.exists())
        return std::nullopt;
    if (!regular)
        failures::notRegular(path, info.isDir());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        failures::cannotRead(path, platform::lastSystemError());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        failures::cannotRead(path, platform::lastSystemError());
    return bytes;
}

#endif

} // namespace filebytes
