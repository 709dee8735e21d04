#include "platform/filebytes/failures.h"

#include "platform/failure.h"

#include <QDir>

namespace filebytes::failures {
namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Failure{FailureNumber::FileAccess, description};
}

} // namespace

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void noPath()
{
    fail(QStringLiteral("Nenhum arquivo de configuração foi indicado: escolha o arquivo com \"Procurar\" "
                        "ou digite o caminho dele. Nada foi gravado."));
}

void cannotRead(const QString &path, const QString &reason)
{
    fail(QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.").arg(native(path), reason));
}

void notRegular(const QString &path, bool folder)
{
    if (folder)
        fail(QStringLiteral("\"%1\" é uma pasta, não um arquivo de configuração. Nada foi lido nem gravado.")
                 .arg(native(path)));
    fail(QStringLiteral("\"%1\" não é um arquivo comum (é um dispositivo, um pipe ou um socket), não um "
                        "arquivo de configuração. Nada foi lido nem gravado.")
             .arg(native(path)));
}

void readOnly(const QString &path)
{
    fail(QStringLiteral("O arquivo \"%1\" é somente leitura. Nada foi gravado.").arg(native(path)));
}

void folderMissing(const QString &path)
{
    fail(QStringLiteral("A pasta do arquivo \"%1\" não existe. Nada foi gravado.").arg(native(path)));
}

void cannotWrite(const QString &path, const QString &reason)
{
    fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2. O arquivo ficou como estava.")
             .arg(native(path), reason));
}

void cannotCreate(const QString &path, const QString &reason)
{
    fail(QStringLiteral("Não foi possível criar o arquivo \"%1\" na sua pasta: %2. Nada foi gravado.")
             .arg(native(path), reason));
}

void vanished(const QString &path)
{
    fail(QStringLiteral("O arquivo \"%1\" não existe mais: foi apagado ou movido depois de aberto. Nada foi "
                        "gravado, para não criar um arquivo só com os valores alterados; abra o arquivo de "
                        "novo.")
             .arg(native(path)));
}

void keepsChanging(const QString &path)
{
    fail(QStringLiteral("Outro programa está gravando o arquivo \"%1\" e ele não parou de mudar. Nada foi "
                        "gravado: tente de novo quando o outro programa terminar.")
             .arg(native(path)));
}

void locked(const QString &path)
{
    fail(QStringLiteral("O arquivo \"%1\" está sendo salvo por outra cópia deste programa, que não terminou. "
                        "Nada foi gravado: tente de novo em instantes.")
             .arg(native(path)));
}

void inPlaceFailed(const QString &path, const QString &reason, bool restored, const QString &safetyCopy)
{
    if (restored)
        cannotWrite(path, reason);
    fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2. O arquivo pode ter ficado incompleto; "
                        "o conteúdo anterior dele está guardado em \"%3\".")
             .arg(native(path), reason, native(safetyCopy)));
}

void notDurable(const QString &path, const QString &reason)
{
    fail(QStringLiteral("O arquivo \"%1\" foi gravado, mas o sistema não confirmou que os dados chegaram ao "
                        "disco: %2.")
             .arg(native(path), reason));
}

} // namespace filebytes::failures
