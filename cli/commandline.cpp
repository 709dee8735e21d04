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
        "  get ARQUIVO [CHAVE...]      mostra CHAVE=valor de cada chave (das 36, sem CHAVE); uma\n"
        "                              chave que falta sai vazia\n"
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
        "  --json              (get) um objeto JSON em vez de linhas CHAVE=valor, null para\n"
        "                      uma chave que falta; (set, apply) o que mudou, num objeto JSON:\n"
        "                      changed, changes (key, before, after), backup e, com --dry-run,\n"
        "                      diff\n"
        "  --all               (get) todas as chaves da seção, as 36 e as outras, na ordem do\n"
        "                      arquivo\n"
        "  --missing-exit N    (get) sai com N (de 3 a 255) quando falta uma chave pedida\n"
        "  --any-key           (get, set, apply) aceita também chaves que o editor não mostra,\n"
        "                      como texto\n"
        "  --raw               (get) os valores como estão no arquivo; sem ela, caracteres de\n"
        "                      controle aparecem escapados (\\x1b), para não agirem no terminal\n"
        "  --dry-run           (set, apply) mostra o que mudaria, como um diff unificado do\n"
        "                      arquivo, e não grava nada\n"
        "  --backup            (set, apply) antes de mudar o arquivo, guarda o conteúdo anterior\n"
        "                      ao lado dele, em ARQUIVO.AAAAMMDD-HHMMSS.bak\n"
        "  --keep-backups N    (com --backup) depois de gravar, mantém só as N cópias mais\n"
        "                      novas do arquivo feitas por --backup\n"
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
        "  N  com --changed-exit N, quando o arquivo mudou; com --missing-exit N, quando falta\n"
        "     uma chave\n");
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
    const QCommandLineOption all(QStringLiteral("all"), QString());
    const QCommandLineOption missingExit(QStringLiteral("missing-exit"), QString(), QStringLiteral("N"));
    const QCommandLineOption anyKey(QStringLiteral("any-key"), QString());
    const QCommandLineOption keepBackups(QStringLiteral("keep-backups"), QString(), QStringLiteral("N"));
    parser.addOptions({help, version, json, raw, dryRun, backup, changedExit, wait, force, discard, all, missingExit,
                       anyKey, keepBackups});
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
    const bool get = command == QLatin1String("get");
    if (parser.isSet(json) && !get && !changes)
        return usage(QStringLiteral("--json é uma opção de \"get\", \"set\" e \"apply\"."));
    if ((parser.isSet(raw) || parser.isSet(all) || parser.isSet(missingExit)) && !get)
        return usage(QStringLiteral("--raw, --all e --missing-exit são opções de \"get\"."));
    if (parser.isSet(json) && parser.isSet(raw))
        return usage(QStringLiteral("--json e --raw não vão juntas."));
    if (parser.isSet(all) && positional.size() > 2)
        return usage(QStringLiteral("--all mostra todas as chaves: não vai com CHAVE."));
    if (parser.isSet(anyKey) && !get && !changes)
        return usage(QStringLiteral("--any-key é uma opção de \"get\", \"set\" e \"apply\"."));
    if ((parser.isSet(dryRun) || parser.isSet(backup) || parser.isSet(keepBackups) || parser.isSet(changedExit)
         || parser.isSet(force))
        && !changes)
        return usage(QStringLiteral("--dry-run, --backup, --keep-backups, --changed-exit e --force são opções de \"set\" "
                                    "e \"apply\"."));
    if (parser.isSet(keepBackups) && !parser.isSet(backup))
        return usage(QStringLiteral("--keep-backups vai com --backup."));
    if (parser.isSet(discard) && command != QLatin1String("restore"))
        return usage(QStringLiteral("--discard é uma opção de \"restore\"."));
    ChangeOptions options;
    options.dryRun = parser.isSet(dryRun);
    options.backup = parser.isSet(backup);
    options.force = parser.isSet(force);
    options.json = parser.isSet(json);
    options.anyKey = parser.isSet(anyKey);
    GetOptions getOptions;
    getOptions.format = parser.isSet(json) ? GetFormat::Json : parser.isSet(raw) ? GetFormat::Raw : GetFormat::Lines;
    getOptions.all = parser.isSet(all);
    getOptions.anyKey = parser.isSet(anyKey);
    engine::filebytes::Patience patience;
    if (parser.isSet(wait)) {
        bool number = false;
        const double seconds = parser.value(wait).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&number);
        if (!number || seconds < 0 || seconds > 86400)
            return usage(QStringLiteral("--wait precisa de um número de segundos, de 0 a 86400."));
        patience.budget = std::chrono::duration_cast<engine::filebytes::settling::Nanoseconds>(std::chrono::duration<double>(seconds));
    }
    // 0, 1 and 2 already say done, refused and usage error.
    const auto exitStatus = [&](const QCommandLineOption &option) -> std::optional<int> {
        bool number = false;
        const int status = parser.value(option).toInt(&number);
        if (!number || status < 3 || status > 255)
            return std::nullopt;
        return status;
    };
    if (parser.isSet(changedExit) && !(options.changedExit = exitStatus(changedExit)))
        return usage(QStringLiteral("--changed-exit precisa de um número de 3 a 255 (0, 1 e 2 já dizem "
                                    "feito, recusado e uso errado)."));
    if (parser.isSet(missingExit) && !(getOptions.missingExit = exitStatus(missingExit)))
        return usage(QStringLiteral("--missing-exit precisa de um número de 3 a 255 (0, 1 e 2 já dizem "
                                    "feito, recusado e uso errado)."));
    if (parser.isSet(keepBackups)) {
        bool number = false;
        options.keepBackups = parser.value(keepBackups).toInt(&number);
        if (!number || options.keepBackups < 1)
            return usage(QStringLiteral("--keep-backups precisa de um número de cópias, 1 ou mais."));
    }

    try {
        if (get && !rest.isEmpty())
            return cli::get(rest.first(), rest.mid(1), getOptions, patience, io);
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
