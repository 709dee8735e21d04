#include "cli/backup.h"

#include "platform/failure.h"
#include "platform/filebytes/durable.h"
#include "platform/systemerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {
namespace {

[[noreturn]] void cannotKeep(const QString &path, const QString &reason)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("Não foi possível guardar a cópia de segurança de \"%1\": %2. Nada foi gravado.")
                      .arg(QDir::toNativeSeparators(path), reason)};
}

} // namespace

QString keepBackup(const QString &path, const QByteArray &content)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile backup;
    for (int copy = 1;; ++copy) {
        backup.setFileName(copy == 1 ? QStringLiteral("%1.%2.bak").arg(path, stamp)
                                     : QStringLiteral("%1.%2-%3.bak").arg(path, stamp).arg(copy));
        if (backup.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (!backup.exists() || copy == 100)
            cannotKeep(path, platform::lastSystemError());
    }
    backup.setPermissions(QFileInfo(path).permissions());
    for (qint64 done = 0; done < content.size();) {
        const qint64 written = backup.write(content.constData() + done, content.size() - done);
        if (written <= 0) {
            const QString reason = platform::lastSystemError();
            backup.remove();
            cannotKeep(path, reason);
        }
        done += written;
    }
    int error = filebytes::durable::syncHandle(backup.handle());
    if (error == 0)
        error = filebytes::durable::syncFolder(QFileInfo(backup.fileName()).absolutePath());
    if (error != 0) {
        backup.remove();
        cannotKeep(path, platform::systemErrorText(error));
    }
    return backup.fileName();
}

} // namespace cli
