#include "filebytes.h"

#include "failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace filebytes {
namespace {

[[noreturn]] void fail(const QString &description, const QString &path)
{
    throw Failure{FailureNumber::FileAccess, description.arg(QDir::toNativeSeparators(path))};
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

} // namespace

std::optional<QByteArray> read(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        fail(QStringLiteral("\"%1\" é uma pasta, não um arquivo de configuração."), path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Não foi possível ler o arquivo \"%1\"."), path);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("Não foi possível ler o arquivo \"%1\"."), path);
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
    if (!info.dir().exists())
        fail(QStringLiteral("A pasta do arquivo \"%1\" não existe. Nada foi gravado."), path);
    if (info.exists() && !(info.permissions() & kAnyWrite))
        fail(QStringLiteral("O arquivo \"%1\" é somente leitura. Nada foi gravado."), path);
}

void replace(const QString &path, const QByteArray &bytes)
{
    checkWritable(path);
    QSaveFile file(writeTarget(path));
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (!written || !file.commit()) {
        file.cancelWriting();
        fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (disco cheio, sem permissão "
                            "ou pasta protegida contra gravação). O arquivo ficou como estava."),
             path);
    }
}

} // namespace filebytes
