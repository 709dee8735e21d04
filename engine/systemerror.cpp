#include "engine/systemerror.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#endif

namespace engine {
namespace {

struct Reason
{
    int code;
    const char *text; // UTF-8
};

#ifdef Q_OS_WIN
const Reason kReasons[] = {
    {ERROR_DISK_FULL, "não há espaço livre no disco"},
    {ERROR_HANDLE_DISK_FULL, "não há espaço livre no disco"},
    {ERROR_ACCESS_DENIED, "acesso negado (o arquivo pode estar aberto em outro programa)"},
    {ERROR_SHARING_VIOLATION, "o arquivo está aberto em outro programa"},
    {ERROR_LOCK_VIOLATION, "o arquivo está bloqueado por outro programa"},
    {ERROR_USER_MAPPED_FILE, "o arquivo está aberto em outro programa"},
    {ERROR_WRITE_PROTECT, "o disco está protegido contra gravação"},
    {ERROR_FILE_NOT_FOUND, "o arquivo não existe"},
    {ERROR_PATH_NOT_FOUND, "a pasta não existe"},
    {ERROR_INVALID_NAME, "o nome do arquivo não é válido"},
    {ERROR_FILENAME_EXCED_RANGE, "o caminho é longo demais"},
    {ERROR_NOT_READY, "o dispositivo não está pronto"},
    {ERROR_CRC, "erro de leitura ou gravação no disco"},
    {ERROR_NETNAME_DELETED, "a conexão de rede foi perdida"},
};
#else
const Reason kReasons[] = {
    {ENOSPC, "não há espaço livre no dispositivo"},
    {EDQUOT, "a cota de disco foi excedida"},
    {EFBIG, "o arquivo ficaria grande demais"},
    {EACCES, "permissão negada"},
    {EPERM, "operação não permitida"},
    {EROFS, "o sistema de arquivos é somente leitura"},
    {ENOENT, "o arquivo ou a pasta não existe"},
    {ENOTDIR, "uma parte do caminho não é uma pasta"},
    {EISDIR, "o caminho é uma pasta"},
    {ENAMETOOLONG, "o nome é longo demais"},
    {ELOOP, "há links simbólicos demais no caminho"},
    {EIO, "erro de entrada e saída no dispositivo"},
    {EBUSY, "o dispositivo ou o arquivo está ocupado"},
    {ETXTBSY, "o arquivo está em uso"},
    {EMFILE, "há arquivos abertos demais"},
    {ENFILE, "há arquivos abertos demais no sistema"},
    {ENOMEM, "falta memória"},
    {EXDEV, "o arquivo está em outro dispositivo"},
};
#endif

} // namespace

QString systemErrorText(int code)
{
    if (code == 0)
        return QStringLiteral("o sistema não informou o motivo");
    for (const Reason &reason : kReasons) {
        if (reason.code == code)
            return QString::fromUtf8(reason.text);
    }
    return QStringLiteral("erro do sistema %1").arg(code);
}

} // namespace engine
