#include "platform/filebytes.h"

#include "platform/failure.h"
#include "platform/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace filebytes {
namespace {

[[noreturn]] void fail(const QString &description, const QString &path)
{
    throw Failure{FailureNumber::FileAccess, description.arg(QDir::toNativeSeparators(path))};
}

[[noreturn]] void failWrite(const QString &path, const QString &reason)
{
    fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\": ") + reason
             + QStringLiteral(". O arquivo ficou como estava."),
         path);
}

// The file's own bits, not the current user's access: root may write
// anything, yet a file without any write bit is read-only for root too.
constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

// The file a write really goes to: the target of a symbolic link.
QString writeTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

// Writes everything, or returns what the system said when it could not.
std::optional<QString> writeAll(QSaveFile &file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return platform::lastSystemError();
        done += written;
    }
    return std::nullopt;
}

#ifdef Q_OS_UNIX
// The new file is created by whoever saves (root, under sudo): give it the old
// file's owner and group, so that the game server's own user can still read
// it. Changing the owner is root's privilege; the group alone may still be
// allowed. Changing owners clears set-id bits, so the mode is applied again.
void keepOwner(const QSaveFile &file, const QString &target)
{
    struct stat old;
    if (::stat(QFile::encodeName(target).constData(), &old) != 0)
        return; // a new file
    const int fd = file.handle();
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
        return;
    (void)::fchmod(fd, old.st_mode & 07777);
}

// QSaveFile syncs before it renames but ignores a failure; a disk that
// reports trouble only at this point must stop the replacement.
std::optional<QString> syncToDisk(const QSaveFile &file)
{
    if (::fsync(file.handle()) != 0)
        return platform::lastSystemError();
    return std::nullopt;
}
#else
void keepOwner(const QSaveFile &, const QString &) {}
std::optional<QString> syncToDisk(const QSaveFile &)
{
    return std::nullopt; // QSaveFile flushes the file buffers itself on commit
}
#endif

#ifdef Q_OS_WIN
// The attributes a fresh copy would lose: hidden, system, archive, not indexed.
unsigned long attributesToKeep(const QString &target)
{
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0; // a new file
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                         | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

void putBackAttributes(const QString &target, unsigned long attributes)
{
    if (attributes != 0)
        SetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()), attributes);
}
#else
unsigned long attributesToKeep(const QString &)
{
    return 0; // permissions and owner are kept through the file itself
}
void putBackAttributes(const QString &, unsigned long) {}
#endif

} // namespace

std::optional<QByteArray> read(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    // Asking for the type first costs one stat, which also tells existence;
    // a device or a pipe is never opened (opening a pipe would wait).
    const QFileInfo info(path);
    const bool regular = info.isFile();
    if (!regular && !info.exists())
        return std::nullopt;
    if (info.isDir())
        fail(QStringLiteral("\"%1\" é uma pasta, não um arquivo de configuração."), path);
    if (!regular) {
        fail(QStringLiteral("\"%1\" não é um arquivo comum (é um dispositivo, um pipe ou um "
                            "socket), não um arquivo de configuração."),
             path);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Não foi possível ler o arquivo \"%1\": ") + platform::lastSystemError()
                 + QLatin1Char('.'),
             path);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(QStringLiteral("Não foi possível ler o arquivo \"%1\": ") + platform::lastSystemError()
                 + QLatin1Char('.'),
             path);
    }
    return bytes;
}

void checkWritable(const QString &path)
{
    if (path.isEmpty()) {
        throw Failure{FailureNumber::FileAccess,
                      QStringLiteral("Nenhum arquivo de configuração foi indicado: escolha o arquivo "
                                     "com \"Procurar\" ou digite o caminho dele. Nada foi gravado.")};
    }
    const QFileInfo info(writeTarget(path));
    if (info.isDir())
        fail(QStringLiteral("\"%1\" é uma pasta, não um arquivo de configuração. Nada foi gravado."),
             path);
    if (info.exists() && !info.isFile()) {
        fail(QStringLiteral("\"%1\" não é um arquivo comum (é um dispositivo, um pipe ou um "
                            "socket). Nada foi gravado."),
             path);
    }
    if (!info.dir().exists())
        fail(QStringLiteral("A pasta do arquivo \"%1\" não existe. Nada foi gravado."), path);
    if (info.exists() && !(info.permissions() & kAnyWrite))
        fail(QStringLiteral("O arquivo \"%1\" é somente leitura. Nada foi gravado."), path);
}

void replace(const QString &path, const QByteArray &bytes)
{
    checkWritable(path);
    const QString target = writeTarget(path);
    const unsigned long attributes = attributesToKeep(target);
    QSaveFile file(target);
    // Unbuffered, so that a failed write shows at once: QSaveFile::commit()
    // does not notice a buffered write that failed in its final flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        failWrite(path, platform::lastSystemError());
    std::optional<QString> problem = writeAll(file, bytes);
    if (!problem) {
        keepOwner(file, target);
        problem = syncToDisk(file);
    }
    if (problem) {
        file.cancelWriting(); // the temporary file goes with the object
        failWrite(path, *problem);
    }
    if (!file.commit())
        failWrite(path, platform::lastSystemError());
    putBackAttributes(target, attributes);
}

} // namespace filebytes
