#include "platform/filebytes/durable.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace filebytes::durable {

int syncHandle(int handle)
{
#ifdef Q_OS_WIN
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
    return FlushFileBuffers(file) ? 0 : int(GetLastError());
#else
    return ::fsync(handle) == 0 ? 0 : errno;
#endif
}

int syncFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return 0;
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (error == EINVAL || error == ENOTSUP)
        error = 0; // a file system whose folders need no flushing
    ::close(fd);
    return error;
#endif
}

} // namespace filebytes::durable
