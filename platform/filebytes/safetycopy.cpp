#include "platform/filebytes/safetycopy.h"

#include "platform/failure.h"
#include "platform/filebytes/durable.h"
#include "platform/filebytes/failures.h"
#include "platform/systemerror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace filebytes::safetycopy {
namespace {

constexpr char kProgramFolder[] = "commonserver-editor";

[[noreturn]] void cannotKeep(const QString &path, const QString &copy, const QString &reason)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("O arquivo \"%1\" precisa ser regravado no lugar, mas antes disso não foi "
                                 "possível guardar uma cópia do conteúdo atual em \"%2\": %3. Nada foi gravado.")
                      .arg(failures::native(path), failures::native(copy), reason)};
}

} // namespace

QString folder()
{
#ifdef Q_OS_WIN
    const QString base = qEnvironmentVariable("LOCALAPPDATA", QDir::homePath() + QStringLiteral("/AppData/Local"));
#else
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return QDir(base).filePath(QLatin1String(kProgramFolder));
}

QString keep(const QString &path, const QByteArray &content)
{
    const QString into = folder();
    const QString copy = QDir(into).filePath(
        QStringLiteral("%1.%2.%3.anterior")
            .arg(QFileInfo(path).fileName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
            .arg(QCoreApplication::applicationPid()));
    if (!QDir().mkpath(into))
        cannotKeep(path, copy, QStringLiteral("a pasta não pôde ser criada"));
    QFile file(copy);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        cannotKeep(path, copy, platform::lastSystemError());
    // Only its owner may read what another user's settings file holds.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    for (qint64 done = 0; done < content.size();) {
        const qint64 written = file.write(content.constData() + done, content.size() - done);
        if (written <= 0) {
            const QString reason = platform::lastSystemError();
            file.remove();
            cannotKeep(path, copy, reason);
        }
        done += written;
    }
    int error = durable::syncHandle(file.handle());
    if (error == 0)
        error = durable::syncFolder(into);
    if (error != 0) {
        file.remove();
        cannotKeep(path, copy, platform::systemErrorText(error));
    }
    return copy;
}

void discard(const QString &copy)
{
    QFile::remove(copy);
}

} // namespace filebytes::safetycopy
