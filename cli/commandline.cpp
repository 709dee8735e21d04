#include "cli/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace cli {

QString helpText()
{
    return QStringLiteral(
        "Uso: commonserver-cfg COMANDO [OPÇÕES] ARQUIVO [...]\n"
        "\n"
        "Lê e altera as chaves da seção [GameServerInfo] do commonserver.cfg de um servidor, com\n"
        "as garantias do editor: só os valores que mudam são gravados, numa gravação só, atômica,\n"
        "que não perde o que outro programa gravou; tudo o mais no arquivo fica como estava.\n"
        "\n"
        "Comandos:\n"
        "  get ARQUIVO [CHAVE...]      mostra CHAVE=valor de cada chave (de todas, sem CHAVE)\n"
        "  set ARQUIVO CHAVE=VALOR...  grava os valores que diferem dos do arquivo, um espaço\n"
        "                              e o texto, como o editor; mostra o que mudou\n"
        "  apply ARQUIVO PRESET        grava as chaves de um preset: um arquivo com a seção\n"
        "                              [GameServerInfo] e algumas das chaves (comentários valem)\n"
        "  keys                        lista as 36 chaves, seu tipo e onde o editor as mostra\n"
        "  restore [--discard] ARQUIVO depois de uma gravação interrompida no meio, põe de volta\n"
        "                              o conteúdo de antes (com --discard: mantém o arquivo como\n"
        "                              está); até lá, get, set e apply recusam o arquivo\n"
        "\n"
        "Opções:\n"
        "  --json              (get) um objeto JSON em vez de linhas CHAVE=valor\n"
        "  --raw               (get) os valores como estão no arquivo; sem ela, caracteres de\n"
        "                      controle aparecem escapados (\\x1b), para não agirem no terminal\n"
        "  --dry-run           (set, apply) mostra o que mudaria, como um diff unificado do\n"
        "                      arquivo, e não grava nada\n"
        "  --backup            (set, apply) antes de mudar o arquivo, guarda o conteúdo anterior\n"
        "                      ao lado dele, em ARQUIVO.AAAAMMDD-HHMMSS.bak\n"
        "  --changed-exit N    (set, apply) sai com N (de 3 a 255) quando o arquivo mudou (com\n"
        "                      --dry-run: quando mudaria)\n"
        "  --wait SEGUNDOS     quanto esperar por outro programa que grava o arquivo ou o mantém\n"
        "                      travado (padrão: 10)\n"
        "  --force             (set, apply) grava mesmo que outro programa mantenha o arquivo\n"
        "                      aberto para gravação sem mudá-lo\n"
        "  -h, --help          mostra esta ajuda\n"
        "  -v, --version       mostra a versão\n"
        "\n"
        "As chaves são as do arquivo, sem diferença entre maiúsculas e minúsculas; os espaços em\n"
        "volta de um valor não contam. Uma chave sim ou não só aceita 0 ou 1. O ARQUIVO precisa\n"
        "existir: a ferramenta nunca cria um.\n"
        "\n"
        "Saída:\n"
        "  0  feito, também quando nada precisou mudar\n"
        "  1  um valor recusado ou uma falha do arquivo: a mensagem vai para a saída de erro e\n"
        "     nada foi gravado\n"
        "  2  uso errado: comando, opção ou chave desconhecidos, argumentos que faltam\n"
        "  N  com --changed-exit N, quando o arquivo mudou\n");
}

int run(const QStringList &arguments, Streams io)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption raw(QStringLiteral("raw"), QString());
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QString());
    const QCommandLineOption backup(QStringLiteral("backup"), QString());
    const QCommandLineOption changedExit(QStringLiteral("changed-exit"), QString(), QStringLiteral("N"));
    const QCommandLineOption wait(QStringLiteral("wait"), QString(), QStringLiteral("SEGUNDOS"));
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption discard(QStringLiteral("discard"), QString());
    parser.addOptions({help, version, json, raw, dryRun, backup, changedExit, wait, force, discard});
    const auto usage = [&io](const QString &message) {
        io.err << "commonserver-cfg: " << message << "\nUse \"commonserver-cfg --help\" para ver o uso." << Qt::endl;
        return exitstatus::kUsage;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        io.out << helpText();
        return exitstatus::kDone;
    }
    if (parser.isSet(version)) {
        io.out << "commonserver-cfg " << QCoreApplication::applicationVersion() << Qt::endl;
        return exitstatus::kDone;
    }

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const QStringList rest = positional.mid(1);
    const bool changes = command == QLatin1String("set") || command == QLatin1String("apply");
    if ((parser.isSet(json) || parser.isSet(raw)) && command != QLatin1String("get"))
        return usage(QStringLiteral("--json e --raw são opções de \"get\"."));
    if (parser.isSet(json) && parser.isSet(raw))
        return usage(QStringLiteral("--json e --raw não vão juntas."));
    if ((parser.isSet(dryRun) || parser.isSet(backup) || parser.isSet(changedExit) || parser.isSet(force)) && !changes)
        return usage(QStringLiteral("--dry-run, --backup, --changed-exit e --force são opções de \"set\" e \"apply\"."));
    if (parser.isSet(discard) && command != QLatin1String("restore"))
        return usage(QStringLiteral("--discard é uma opção de \"restore\"."));
    ChangeOptions options;
    options.dryRun = parser.isSet(dryRun);
    options.backup = parser.isSet(backup);
    options.force = parser.isSet(force);
    engine::filebytes::Patience patience;
    if (parser.isSet(wait)) {
        bool number = false;
        const double seconds = parser.value(wait).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&number);
        if (!number || seconds < 0 || seconds > 86400)
            return usage(QStringLiteral("--wait precisa de um número de segundos, de 0 a 86400."));
        patience.budget = std::chrono::duration_cast<engine::filebytes::settling::Nanoseconds>(std::chrono::duration<double>(seconds));
    }
    if (parser.isSet(changedExit)) {
        bool number = false;
        const int status = parser.value(changedExit).toInt(&number);
        // 0, 1 and 2 already say done, refused and usage error.
        if (!number || status < 3 || status > 255)
            return usage(QStringLiteral("--changed-exit precisa de um número de 3 a 255 (0, 1 e 2 já dizem "
                                        "feito, recusado e uso errado)."));
        options.changedExit = status;
    }

    try {
        if (command == QLatin1String("get") && !rest.isEmpty())
            return get(rest.first(), rest.mid(1),
                       parser.isSet(json) ? GetFormat::Json : parser.isSet(raw) ? GetFormat::Raw : GetFormat::Lines,
                       patience, io);
        if (command == QLatin1String("set") && rest.size() >= 2)
            return set(rest.first(), rest.mid(1), options, patience, io);
        if (command == QLatin1String("apply") && rest.size() == 2)
            return apply(rest.at(0), rest.at(1), options, patience, io);
        if (command == QLatin1String("restore") && rest.size() == 1)
            return restore(rest.first(), parser.isSet(discard) ? engine::filebytes::Resolution::Keep : engine::filebytes::Resolution::Restore,
                           patience, io);
        if (command == QLatin1String("keys") && rest.isEmpty())
            return listKeys(io);
    } catch (const UsageError &error) {
        return usage(error.message);
    }
    if (command.isEmpty())
        return usage(QStringLiteral("falta o comando: get, set, apply, keys ou restore."));
    if (!QStringList{"get", "set", "apply", "keys", "restore"}.contains(command))
        return usage(QStringLiteral("\"%1\" não é um comando: get, set, apply, keys ou restore.").arg(command));
    return usage(QStringLiteral("argumentos errados para \"%1\".").arg(command));
}

} // namespace cli
