#include "cli/commands.h"

#include "cli/keynames.h"
#include "cli/output.h"
#include "cli/preset.h"
#include "cli/unifieddiff.h"
#include "engine/failure.h"
#include "engine/inifile.h"
#include "engine/inifile/encodings.h"
#include "settings/keys.h"
#include "settings/settingsfile.h"
#include "formdata/castlesiege.h"
#include "formdata/othersettings.h"
#include "formdata/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <vector>

namespace cli {
namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

int report(const engine::Failure &failure, Streams io)
{
    io.err << engine::reportText(failure) << Qt::endl;
    // What the tool offers for it.
    if (failure.kind == engine::FailureKind::InterruptedSave)
        io.err << QStringLiteral("Para pôr de volta o conteúdo de antes: commonserver-cfg restore ARQUIVO; para manter "
                                 "o arquivo como está: commonserver-cfg restore --discard ARQUIVO.")
               << Qt::endl;
    else if (failure.kind == engine::FailureKind::FinishedAside)
        io.err << QStringLiteral("Para pôr esse conteúdo no lugar do arquivo: commonserver-cfg restore ARQUIVO; para "
                                 "apagá-lo e deixar o arquivo sem existir: commonserver-cfg restore --discard ARQUIVO.")
               << Qt::endl;
    else if (failure.kind == engine::FailureKind::HeldOpen)
        io.err << QStringLiteral("Se esse programa não vai mais gravar o arquivo, grave mesmo assim com --force.")
               << Qt::endl;
    return exitstatus::kRefused;
}

// The key's name as the editor writes it; with `anyKey`, a name it does not
// know as typed (the engine refuses names a file cannot hold).
QString resolve(const QString &name, bool anyKey)
{
    if (const settings::Key *key = keyNamed(name))
        return QLatin1String(key->name);
    if (anyKey)
        return name;
    const QStringList near = nearestKeys(name);
    throw UsageError{QStringLiteral("A chave \"%1\" não é uma das que este programa edita%2; \"commonserver-cfg keys\" "
                                    "lista todas, e --any-key aceita outras.")
                         .arg(name, near.isEmpty() ? QString()
                                                   : QStringLiteral(" (quis dizer %1?)").arg(near.join(QStringLiteral(", "))))};
}

// The tool never makes a settings file: a path that names none is a mistake.
// A path the system refuses to look at (a folder the user may not enter, a
// name too long) is not called missing: the engine's read reports its reason.
void requireFile(const QString &file)
{
    if (!QFileInfo::exists(file) && !engine::inifile::readFile(file))
        throw engine::Failure{engine::FailureNumber::FileAccess,
                      QStringLiteral("O arquivo \"%1\" não existe. Nada foi lido nem gravado.").arg(native(file))};
}

// A yes/no setting is stored as 0 or 1, nothing else.
void checkFlags(const std::vector<engine::inifile::KeyValue> &wanted)
{
    for (const engine::inifile::KeyValue &pair : wanted) {
        const settings::Key *key = keyNamed(pair.key);
        if (key && key->kind == settings::ValueKind::Flag && pair.value != QLatin1String("0")
            && pair.value != QLatin1String("1")) {
            throw engine::Failure{engine::FailureNumber::InvalidValue,
                          QStringLiteral("O valor de \"%1\" é sim ou não: 0 ou 1, não \"%2\". Nada foi gravado.")
                              .arg(pair.key, pair.value)};
        }
    }
}

// Bytes as they are: a diff in the file's own bytes and line endings.
void writeBytes(QTextStream &stream, const QByteArray &bytes)
{
    stream.flush();
    stream.device()->write(bytes);
}

QString jsonOrNull(const std::optional<QString> &value)
{
    return value ? output::jsonString(*value) : QStringLiteral("null");
}

// What a change did (or, with a diff, would do) as one JSON object.
void printJson(QTextStream &out, const std::vector<settings::ValueChange> &changes, const QString &backup,
               const std::optional<std::optional<QString>> &diff)
{
    out << "{\n  \"changed\": " << (changes.empty() ? "false" : "true") << ",\n  \"changes\": [";
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const settings::ValueChange &c = changes[i];
        out << (i ? ",\n" : "\n") << "    {\"key\": " << output::jsonString(c.key)
            << ", \"before\": " << jsonOrNull(c.existed ? std::optional<QString>(c.before) : std::nullopt)
            << ", \"after\": " << output::jsonString(c.after) << '}';
    }
    out << (changes.empty() ? "],\n" : "\n  ],\n") << "  \"backup\": "
        << jsonOrNull(backup.isEmpty() ? std::nullopt : std::optional<QString>(native(backup)));
    if (diff)
        out << ",\n  \"diff\": " << jsonOrNull(*diff);
    out << "\n}" << Qt::endl;
}

// The diff's bytes as text, read the way the file is read.
QString diffText(const QByteArray &file, const QByteArray &diff)
{
    using engine::inifile::encodings::ByteCodec;
    const bool mark = file.startsWith(engine::inifile::encodings::kUtf8Mark);
    const ByteCodec codec(mark, std::string_view(file.constData(), std::size_t(file.size())).substr(mark ? 3 : 0));
    return codec.decode(std::string_view(diff.constData(), std::size_t(diff.size())));
}

int change(const QString &file, const std::vector<engine::inifile::KeyValue> &wanted, const ChangeOptions &options,
           const engine::filebytes::Patience &patience, Streams io)
{
    try {
        checkFlags(wanted);
        requireFile(file);
        const settings::SettingsFile settingsFile(file, patience);
        if (options.dryRun) {
            const settings::Preview preview = settingsFile.preview(wanted);
            // A UTF-16 file, or one with lone CR line endings, has no lines diff can show.
            const std::optional<QByteArray> diff = preview.before.startsWith("\xFF\xFE")
                                                       ? std::nullopt
                                                       : unifiedDiff(QFile::encodeName(native(file)), preview.before,
                                                                     preview.after);
            if (!diff && !preview.changes.empty())
                io.err << QStringLiteral("As mudanças em \"%1\" não podem ser mostradas como diff: o arquivo está em "
                                         "UTF-16 ou tem linhas terminadas só por CR.")
                              .arg(native(file))
                       << Qt::endl;
            if (options.json)
                printJson(io.out, preview.changes, QString(),
                          diff ? std::optional<QString>(diffText(preview.before, *diff)) : std::nullopt);
            else if (diff)
                writeBytes(io.out, *diff);
            return preview.changes.empty() ? exitstatus::kDone : options.changedExit.value_or(exitstatus::kDone);
        }
        engine::inifile::WriteOptions writeOptions;
        writeOptions.mustExist = true;
        writeOptions.backup = options.backup;
        writeOptions.keepBackups = options.keepBackups;
        writeOptions.force = options.force;
        const settings::Written written = settingsFile.writeDiffering(wanted, writeOptions);
        if (options.json) {
            printJson(io.out, written.changes, written.backup, std::nullopt);
        } else {
            for (const settings::ValueChange &changed : written.changes)
                io.out << changed.key << ": \"" << output::escaped(changed.before) << "\" -> \""
                       << output::escaped(changed.after) << '"' << Qt::endl;
            if (!written.backup.isEmpty())
                io.out << QStringLiteral("Cópia de segurança: %1").arg(native(written.backup)) << Qt::endl;
        }
        for (const QString &notice : written.notices)
            io.err << QStringLiteral("Aviso: ") << notice << Qt::endl;
        return written.changes.empty() ? exitstatus::kDone : options.changedExit.value_or(exitstatus::kDone);
    } catch (const engine::Failure &failure) {
        return report(failure, io);
    }
}

struct Shown
{
    const char *window;
    const formdata::Window *table;
};

} // namespace

int get(const QString &file, const QStringList &names, const GetOptions &options,
        const engine::filebytes::Patience &patience, Streams io)
{
    QStringList keys;
    for (const QString &name : names)
        keys << resolve(name, options.anyKey);
    if (keys.isEmpty() && !options.all) {
        for (const settings::Key *key : settings::keys::kAll)
            keys << QLatin1String(key->name);
    }
    try {
        const std::optional<QByteArray> bytes = engine::inifile::readFile(file, patience);
        if (!bytes)
            requireFile(file);
        if (options.all)
            keys = engine::inifile::keysIn(*bytes, settings::kSection);
        const std::vector<std::optional<QString>> values = engine::inifile::lookup(*bytes, settings::kSection, keys);
        const bool json = options.format == GetFormat::Json;
        if (json)
            io.out << "{";
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const std::optional<QString> &value = values[std::size_t(i)];
            if (json) {
                io.out << (i ? ",\n  " : "\n  ") << output::jsonString(keys[i]) << ": " << jsonOrNull(value);
            } else if (options.format == GetFormat::Raw) {
                io.out << keys[i] << '=';
                writeBytes(io.out, output::raw(value.value_or(QString())) + '\n');
            } else {
                io.out << keys[i] << '=' << output::escaped(value.value_or(QString())) << '\n';
            }
        }
        if (json)
            io.out << (keys.isEmpty() ? "}\n" : "\n}\n");
        io.out.flush();
        const bool missing = std::any_of(values.cbegin(), values.cend(), [](const auto &value) { return !value; });
        return missing && options.missingExit ? *options.missingExit : exitstatus::kDone;
    } catch (const engine::Failure &failure) {
        return report(failure, io);
    }
}

int set(const QString &file, const QStringList &assignments, const ChangeOptions &options,
        const engine::filebytes::Patience &patience, Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    QSet<QString> seen;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError{QStringLiteral("\"%1\" não é CHAVE=VALOR.").arg(assignment)};
        const QString key = resolve(assignment.left(equals).trimmed(), options.anyKey);
        if (seen.contains(key.toLower()))
            throw UsageError{QStringLiteral("A chave \"%1\" aparece duas vezes.").arg(key)};
        seen.insert(key.toLower());
        // Read back, a value has no blanks around it: without them the same
        // value twice changes nothing the second time.
        wanted.push_back({key, assignment.mid(equals + 1).trimmed()});
    }
    return change(file, wanted, options, patience, io);
}

int apply(const QString &file, const QString &preset, const ChangeOptions &options, const engine::filebytes::Patience &patience,
          Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    try {
        wanted = readPreset(preset, options.anyKey);
    } catch (const engine::Failure &failure) {
        return report(failure, io);
    }
    return change(file, wanted, options, patience, io);
}

int restore(const QString &file, engine::filebytes::Resolution resolution, const engine::filebytes::Patience &patience, Streams io)
{
    try {
        engine::filebytes::resolveInterrupted(file, resolution, patience);
        io.out << (resolution == engine::filebytes::Resolution::Restore
                       ? QStringLiteral("O arquivo \"%1\" foi restaurado.")
                       : QStringLiteral("O arquivo \"%1\" ficou como está; a cópia que havia dele foi apagada."))
                      .arg(native(file))
               << Qt::endl;
        return exitstatus::kDone;
    } catch (const engine::Failure &failure) {
        return report(failure, io);
    }
}

int listKeys(Streams io)
{
    const Shown windows[] = {{"janela principal", &formdata::mainwindow::kWindow},
                             {formdata::othersettings::kEditor.window.caption, &formdata::othersettings::kEditor.window},
                             {formdata::castlesiege::kEditor.window.caption, &formdata::castlesiege::kEditor.window}};
    struct Row
    {
        QString key, kind, window, label;
    };
    std::vector<Row> rows{{"chave", "tipo", "janela", "rótulo"}};
    for (const Shown &shown : windows) {
        for (const formdata::BoundKey &field : shown.table->fields) {
            rows.push_back({QLatin1String(field.key->name),
                            field.key->kind == settings::ValueKind::Flag ? QStringLiteral("sim ou não") : QStringLiteral("texto"),
                            QString::fromUtf8(shown.window), formdata::labelText(shown.table->controls, field.row)});
        }
    }
    // In the order of the list of keys, which follows the windows.
    std::stable_sort(rows.begin() + 1, rows.end(), [](const Row &a, const Row &b) {
        const auto place = [](const QString &name) {
            return std::find_if(std::begin(settings::keys::kAll), std::end(settings::keys::kAll),
                                [&](const settings::Key *key) { return name == QLatin1String(key->name); });
        };
        return place(a.key) < place(b.key);
    });
    qsizetype keyWidth = 0;
    qsizetype kindWidth = 0;
    qsizetype windowWidth = 0;
    for (const Row &row : rows) {
        keyWidth = std::max(keyWidth, row.key.size());
        kindWidth = std::max(kindWidth, row.kind.size());
        windowWidth = std::max(windowWidth, row.window.size());
    }
    for (const Row &row : rows) {
        io.out << row.key.leftJustified(keyWidth + 2) << row.kind.leftJustified(kindWidth + 2)
               << row.window.leftJustified(windowWidth + 2) << row.label << '\n';
    }
    return exitstatus::kDone;
}

} // namespace cli
