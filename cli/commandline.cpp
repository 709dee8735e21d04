#include "cli/commandline.h"

#include "cli/validation.h"

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
        "                              [GameServerInfo] e algumas das chaves (comentários valem);\n"
        "                              PRESET - o lê da entrada padrão\n"
        "  unset ARQUIVO CHAVE...      remove da seção as linhas dessas chaves, e nada mais\n"
        "  keys                        lista as 36 chaves, seu tipo e onde o editor as mostra\n"
        "  restore [--discard] ARQUIVO depois de uma gravação interrompida no meio, põe de volta\n"
        "                              o conteúdo de antes (com --discard: mantém o arquivo como\n"
        "                              está); até lá, get, set, apply e unset recusam o arquivo\n"
        "  restore --from COPIA ARQUIVO põe no arquivo o conteúdo de uma cópia de segurança,\n"
        "                              guardando antes o que ele tem\n"
        "  backups ARQUIVO             lista as cópias de segurança do arquivo, a mais nova\n"
        "                              primeiro; --diff COPIA mostra o que pô-la de volta mudaria\n"
        "\n"
        "Opções:\n"
        "  --json              (get) um objeto JSON em vez de linhas CHAVE=valor, null para\n"
        "                      uma chave que falta; (set, apply, unset, restore --from) o que\n"
        "                      mudou, num objeto JSON: changed, changes (key, before, after),\n"
        "                      backup, diff e notices; (restore) changed, copy e diff;\n"
        "                      (backups) uma lista de path, time e size. Uma recusa sai também\n"
        "                      como objeto: failed, msg, kind e copy\n"
        "  --all               (get) todas as chaves da seção, as 36 e as outras, na ordem do\n"
        "                      arquivo\n"
        "  --value             (get) só os valores, um por linha, para $(...)\n"
        "  --missing-exit N    (get) sai com N (de 3 a 255) quando falta uma chave pedida\n"
        "  --any-key           (get, set, apply, unset) aceita também chaves que o editor não\n"
        "                      mostra, como texto\n"
        "  --raw               (get) os valores como estão no arquivo; sem ela, caracteres de\n"
        "                      controle aparecem escapados (\\x1b), para não agirem no terminal\n"
        "  --dry-run           (set, apply, unset, restore) mostra o que mudaria, como um diff\n"
        "                      unificado do arquivo, e não grava nada\n"
        "  --backup            (set, apply, unset) antes de mudar o arquivo, guarda o conteúdo\n"
        "                      anterior ao lado dele, em ARQUIVO.AAAAMMDD-HHMMSS.bak\n"
        "  --keep-backups N    (com --backup) depois de gravar, mantém só as N cópias mais\n"
        "                      novas do arquivo feitas por --backup\n"
        "  --changed-exit N    (set, apply, unset) sai com N (de 3 a 255) quando o arquivo\n"
        "                      mudou (com --dry-run: quando mudaria)\n"
        "  --validate 'CMD %s' (set, apply, unset, restore --from) antes de gravar, roda CMD\n"
        "                      com %s no lugar de um arquivo com o conteúdo novo; se ele não\n"
        "                      sair com 0, nada é gravado e o que ele disse aparece\n"
        "  --wait SEGUNDOS     quanto esperar por outro programa que grava o arquivo ou o mantém\n"
        "                      travado (padrão: 10)\n"
        "  --force             (set, apply, unset) grava mesmo que outro programa mantenha o\n"
        "                      arquivo aberto para gravação sem mudá-lo\n"
        "  -h, --help          mostra esta ajuda\n"
        "  -v, --version       mostra a versão\n"
        "\n"
        "As chaves são as do arquivo, sem diferença entre maiúsculas e minúsculas (de A a Z); os\n"
        "espaços e tabulações em volta de um valor não contam. Uma chave sim ou não só aceita 0\n"
        "ou 1. O ARQUIVO precisa existir: a ferramenta nunca cria um.\n"
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
    const QCommandLineOption value(QStringLiteral("value"), QString());
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QString());
    const QCommandLineOption backup(QStringLiteral("backup"), QString());
    const QCommandLineOption changedExit(QStringLiteral("changed-exit"), QString(), QStringLiteral("N"));
    const QCommandLineOption wait(QStringLiteral("wait"), QString(), QStringLiteral("SEGUNDOS"));
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption discard(QStringLiteral("discard"), QString());
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("COPIA"));
    const QCommandLineOption diff(QStringLiteral("diff"), QString(), QStringLiteral("COPIA"));
    const QCommandLineOption all(QStringLiteral("all"), QString());
    const QCommandLineOption missingExit(QStringLiteral("missing-exit"), QString(), QStringLiteral("N"));
    const QCommandLineOption anyKey(QStringLiteral("any-key"), QString());
    const QCommandLineOption keepBackups(QStringLiteral("keep-backups"), QString(), QStringLiteral("N"));
    const QCommandLineOption validate(QStringLiteral("validate"), QString(), QStringLiteral("COMANDO"));
    parser.addOptions({help, version, json, raw, value, dryRun, backup, changedExit, wait, force, discard, from, diff,
                       all, missingExit, anyKey, keepBackups, validate});
    const auto usage = [&io](const QString &message) {
        io.err << "commonserver-cfg: " << message << "\nUse \"commonserver-cfg --help\" para ver o uso." << Qt::endl;
        return kExitUsage;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        io.out << helpText();
        return kExitDone;
    }
    if (parser.isSet(version)) {
        io.out << "commonserver-cfg " << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitDone;
    }

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const QStringList rest = positional.mid(1);
    const bool restoring = command == QLatin1String("restore");
    const bool fromBackup = restoring && parser.isSet(from);
    const bool changes = command == QLatin1String("set") || command == QLatin1String("apply")
                         || command == QLatin1String("unset") || fromBackup;
    const bool get = command == QLatin1String("get");
    const bool backups = command == QLatin1String("backups");
    // Which commands take each option.
    struct Rule
    {
        QStringList options;
        bool allowed;
        const char *takenBy;
    };
    const Rule rules[] = {
        {{"json"}, get || changes || restoring || backups, "get, set, apply, unset, restore e backups"},
        {{"raw", "all", "missing-exit", "value"}, get, "get"},
        {{"dry-run"}, changes || restoring, "set, apply, unset e restore"},
        {{"backup", "keep-backups", "changed-exit", "force", "validate"}, changes, "set, apply, unset e restore --from"},
        {{"any-key"}, get || changes, "get, set, apply e unset"},
        {{"discard", "from"}, restoring, "restore"},
        {{"diff"}, backups, "backups"},
    };
    for (const Rule &rule : rules) {
        for (const QString &name : rule.options) {
            if (parser.isSet(name) && !rule.allowed)
                return usage(QStringLiteral("--%1 é uma opção de %2.").arg(name, QLatin1String(rule.takenBy)));
        }
    }
    if (parser.isSet(json) && (parser.isSet(raw) || parser.isSet(value)))
        return usage(QStringLiteral("--json, --raw e --value não vão juntas."));
    if (parser.isSet(raw) && parser.isSet(value))
        return usage(QStringLiteral("--json, --raw e --value não vão juntas."));
    if (parser.isSet(all) && positional.size() > 2)
        return usage(QStringLiteral("--all mostra todas as chaves: não vai com CHAVE."));
    if (parser.isSet(keepBackups) && !parser.isSet(backup))
        return usage(QStringLiteral("--keep-backups vai com --backup."));
    if (parser.isSet(discard) && parser.isSet(from))
        return usage(QStringLiteral("--discard e --from não vão juntas."));
    if (parser.isSet(validate) && !namesTheContent(parser.value(validate)))
        return usage(QStringLiteral("--validate precisa de um comando com %s, que é onde vai o arquivo a validar."));
    ChangeOptions options;
    options.dryRun = parser.isSet(dryRun);
    options.backup = parser.isSet(backup);
    options.force = parser.isSet(force);
    options.json = parser.isSet(json);
    options.anyKey = parser.isSet(anyKey);
    options.validate = parser.value(validate);
    GetOptions getOptions;
    getOptions.format = parser.isSet(json)    ? GetFormat::Json
                        : parser.isSet(raw)   ? GetFormat::Raw
                        : parser.isSet(value) ? GetFormat::Values
                                              : GetFormat::Lines;
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
        if (command == QLatin1String("unset") && rest.size() >= 2)
            return unset(rest.first(), rest.mid(1), options, patience, io);
        if (fromBackup && rest.size() == 1)
            return restoreBackup(rest.first(), parser.value(from), options, patience, io);
        if (restoring && rest.size() == 1)
            return restore(rest.first(),
                           parser.isSet(discard) ? engine::filebytes::Resolution::Keep : engine::filebytes::Resolution::Restore,
                           {options.dryRun, options.json}, patience, io);
        if (backups && rest.size() == 1)
            return listBackups(rest.first(), options.json, parser.value(diff), io);
        if (command == QLatin1String("keys") && rest.isEmpty())
            return listKeys(io);
    } catch (const UsageError &error) {
        return usage(error.message);
    }
    const QString commands = QStringLiteral("get, set, apply, unset, keys, restore ou backups");
    if (command.isEmpty())
        return usage(QStringLiteral("falta o comando: %1.").arg(commands));
    if (!QStringList{"get", "set", "apply", "unset", "keys", "restore", "backups"}.contains(command))
        return usage(QStringLiteral("\"%1\" não é um comando: %2.").arg(command, commands));
    return usage(QStringLiteral("argumentos errados para \"%1\".").arg(command));
}

} // namespace cli
