#include "engine/filebytes/failures.h"

#include "engine/failure.h"

#include <QDir>

namespace engine::filebytes::failures {
namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Failure{FailureNumber::FileAccess, description};
}

QString seconds(qint64 waitedMs)
{
    return QString::number(double(waitedMs) / 1000.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

// " (quem: ...)" when the system told who.
QString who(const QString &holders)
{
    return holders.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holders);
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

void foreignLink(const QString &path, const QString &link, const QString &linkOwner, const QString &target,
                 const QString &targetOwner)
{
    fail(QStringLiteral("O caminho \"%1\" passa pelo link simbólico \"%2\", do usuário %3, que leva a \"%4\", do "
                        "usuário %5. Este programa não segue o link de um usuário para o que não é dele, para que "
                        "ninguém o use para ler ou gravar arquivos de outra pessoa. Nada foi lido nem gravado.")
             .arg(native(path), native(link), linkOwner, native(target), targetOwner));
}

void createThroughLink(const QString &path, const QString &link)
{
    fail(QStringLiteral("O arquivo \"%1\" não existe, e o caminho chega a ele pelo link simbólico \"%2\". Este "
                        "programa nunca cria um arquivo através de um link. Nada foi gravado.")
             .arg(native(path), native(link)));
}

void keepsChanging(const QString &path, const QString &holders, qint64 waitedMs)
{
    fail(QStringLiteral("Outro programa está gravando o arquivo \"%1\"%2, e ele não parou de mudar durante "
                        "%3 s de espera. Nada foi gravado: tente de novo quando o outro programa terminar.")
             .arg(native(path), who(holders), seconds(waitedMs)));
}

void changedMomentAgo(const QString &path, qint64 ageMs, qint64 waitedMs)
{
    fail(QStringLiteral("Outro programa mudou o arquivo \"%1\" há %2 s, e ele pode ainda estar gravando; a espera "
                        "foi de %3 s. Nada foi gravado: tente de novo em um segundo.")
             .arg(native(path), seconds(ageMs), seconds(waitedMs)));
}

void heldOpen(const QString &path, const QString &holders, qint64 waitedMs)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("Outro programa mantém o arquivo \"%1\" aberto para gravação%2, mas não o mudou "
                                 "durante %3 s de espera. Nada foi gravado.")
                      .arg(native(path), who(holders), seconds(waitedMs)),
                  FailureKind::HeldOpen, QString()};
}

void locked(const QString &path, const QString &holders, qint64 waitedMs)
{
    fail(QStringLiteral("O arquivo \"%1\" está bloqueado%2 e não foi liberado durante %3 s de espera. Nada foi "
                        "gravado: tente de novo quando a trava for liberada.")
             .arg(native(path), holders.isEmpty() ? QStringLiteral(" por outro programa") : who(holders),
                  seconds(waitedMs)));
}

void cancelled(const QString &path)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("A espera pelo arquivo \"%1\" foi cancelada. Nada foi gravado.").arg(native(path)),
                  FailureKind::Cancelled, QString()};
}

void interrupted(const QString &path, const QString &copy)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("Uma gravação anterior do arquivo \"%1\" foi interrompida no meio: o arquivo não "
                                 "tem nem o conteúdo de antes nem o novo, e pode estar danificado. O conteúdo de "
                                 "antes está guardado em \"%2\". Nada foi lido nem gravado.")
                      .arg(native(path), native(copy)),
                  FailureKind::InterruptedSave, copy};
}

void finishedAside(const QString &path, const QString &copy)
{
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("O arquivo \"%1\" não existe, mas uma gravação dele terminou: o conteúdo novo, "
                                 "completo, ficou em \"%2\", porque a troca do arquivo antigo pelo novo foi "
                                 "interrompida no meio. Nada foi lido nem gravado.")
                      .arg(native(path), native(copy)),
                  FailureKind::FinishedAside, copy};
}

void noCopyToRestore(const QString &path, const QStringList &foreign)
{
    QStringList named;
    for (const QString &copy : foreign)
        named << QStringLiteral("\"%1\"").arg(native(copy));
    const QString ignored =
        foreign.isEmpty() ? QString()
                          : QStringLiteral(" %1 tem nome de cópia deste arquivo, mas não é de quem pode gravá-lo, e "
                                           "não foi levado em conta.")
                                .arg(named.join(QStringLiteral(", ")));
    throw Failure{FailureNumber::FileAccess,
                  QStringLiteral("Não há gravação interrompida do arquivo \"%1\" a restaurar.%2 Nada foi gravado.")
                      .arg(native(path), ignored),
                  FailureKind::NothingToSettle, QString()};
}

void copyNotRemoved(const QString &path, const QString &copy, const QString &owner, const QString &reason)
{
    fail(QStringLiteral("O arquivo \"%1\" ficou como está, mas a cópia do conteúdo anterior, \"%2\" (do usuário "
                        "%3), não pôde ser removida: %4. Enquanto ela existir, o arquivo continua recusado; peça a "
                        "esse usuário ou ao root que a remova com \"restore --discard\".")
             .arg(native(path), native(copy), owner, reason));
}

QString blindToWriters(const QString &path)
{
    return QStringLiteral("O sistema não mostra a este usuário se o programa de outro usuário mantém o arquivo \"%1\" "
                          "aberto para gravação: um que o mantenha aberto sem mudá-lo não foi visto (a espera por "
                          "quem o muda valeu).")
        .arg(native(path));
}

QString onlyYouFind(const QString &path, const QString &copy, const QString &whyNotShared)
{
    return QStringLiteral("A cópia de segurança da gravação de \"%1\" ficou em \"%2\", na pasta deste usuário: se "
                          "a gravação for interrompida, só este usuário a encontrará, porque a pasta que todos "
                          "procuram não pôde ser usada (%3).")
        .arg(native(path), native(copy), whyNotShared);
}

void noStateFolder(const QString &path, const QString &why)
{
    fail(QStringLiteral("O arquivo \"%1\" precisa ser regravado no lugar, e antes disso uma cópia do conteúdo "
                        "atual precisa ser guardada numa pasta deste programa, mas %2. Nada foi gravado.")
             .arg(native(path), why));
}

void cannotKeepCopy(const QString &path, const QString &copy, const QString &reason)
{
    fail(QStringLiteral("Não foi possível guardar uma cópia do conteúdo atual do arquivo \"%1\" em \"%2\": %3. "
                        "Nada foi gravado.")
             .arg(native(path), native(copy), reason));
}

QString describeContent(Content content, const QString &copy)
{
    switch (content) {
    case Content::Old:
        return QStringLiteral("O arquivo ficou como estava.");
    case Content::New:
        return QStringLiteral("O arquivo tem o conteúdo novo, mas não foi possível confirmar que ele chegou ao "
                              "disco.");
    case Content::Torn:
        return copy.isEmpty() ? QStringLiteral("O arquivo pode ter ficado incompleto.")
                              : QStringLiteral("O arquivo pode ter ficado incompleto; o conteúdo anterior dele está "
                                               "guardado em \"%1\".")
                                    .arg(native(copy));
    case Content::Unknown:
        break;
    }
    return copy.isEmpty() ? QStringLiteral("Não foi possível verificar o que o arquivo tem agora.")
                          : QStringLiteral("Não foi possível verificar o que o arquivo tem agora; o conteúdo anterior "
                                           "dele está guardado em \"%1\".")
                                .arg(native(copy));
}

void writeFailed(const QString &path, const QString &reason, const QString &now)
{
    fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2. %3").arg(native(path), reason, now));
}

void notDurable(const QString &path, const QString &reason)
{
    fail(QStringLiteral("O arquivo \"%1\" foi gravado, mas o sistema não confirmou que os dados chegaram ao "
                        "disco: %2.")
             .arg(native(path), reason));
}

} // namespace engine::filebytes::failures
