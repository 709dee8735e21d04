#include "cli/commands.h"

#include "cli/keynames.h"
#include "cli/output.h"
#include "cli/preset.h"
#include "cli/unifieddiff.h"
#include "engine/failure.h"
#include "engine/inifile.h"
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
    else if (failure.kind == engine::FailureKind::HeldOpen)
        io.err << QStringLiteral("Se esse programa não vai mais gravar o arquivo, grave mesmo assim com --force.")
               << Qt::endl;
    return exitstatus::kRefused;
}

const settings::Key *resolve(const QString &name)
{
    if (const settings::Key *key = keyNamed(name))
        return key;
    const QStringList near = nearestKeys(name);
    throw UsageError{QStringLiteral("A chave \"%1\" não é uma das que este programa edita%2; \"commonserver-cfg keys\" "
                                    "lista todas.")
                         .arg(name, near.isEmpty() ? QString()
                                                   : QStringLiteral(" (quis dizer %1?)").arg(near.join(QStringLiteral(", "))))};
}

// The tool never makes a settings file: a path that names none is a mistake.
void requireFile(const QString &file)
{
    if (!QFileInfo::exists(file))
        throw engine::Failure{engine::FailureNumber::FileAccess,
                      QStringLiteral("O arquivo \"%1\" não existe. Nada foi lido nem gravado.").arg(native(file))};
}

// A yes/no setting is stored as 0 or 1, nothing else.
void checkFlags(const std::vector<engine::inifile::KeyValue> &wanted)
{
    for (const engine::inifile::KeyValue &pair : wanted) {
        if (keyNamed(pair.key)->kind == settings::ValueKind::Flag && pair.value != QLatin1String("0")
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
            if (diff)
                writeBytes(io.out, *diff);
            else if (!preview.changes.empty())
                io.err << QStringLiteral("As mudanças em \"%1\" não podem ser mostradas como diff: o arquivo está em "
                                         "UTF-16 ou tem linhas terminadas só por CR.")
                              .arg(native(file))
                       << Qt::endl;
            return preview.changes.empty() ? exitstatus::kDone : options.changedExit.value_or(exitstatus::kDone);
        }
        engine::inifile::WriteOptions writeOptions;
        writeOptions.mustExist = true;
        writeOptions.backup = options.backup;
        writeOptions.force = options.force;
        const settings::Written written = settingsFile.writeDiffering(wanted, writeOptions);
        for (const settings::ValueChange &changed : written.changes)
            io.out << changed.key << ": \"" << output::escaped(changed.before) << "\" -> \""
                   << output::escaped(changed.after) << '"' << Qt::endl;
        if (!written.backup.isEmpty())
            io.out << QStringLiteral("Cópia de segurança: %1").arg(native(written.backup)) << Qt::endl;
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

int get(const QString &file, const QStringList &names, GetFormat format, const engine::filebytes::Patience &patience,
        Streams io)
{
    std::vector<const settings::Key *> keys;
    for (const QString &name : names)
        keys.push_back(resolve(name));
    if (keys.empty())
        keys.assign(std::begin(settings::keys::kAll), std::end(settings::keys::kAll));
    try {
        const engine::inifile::ReadOutcome read = settings::SettingsFile(file, patience).read(keys);
        if (!read.fileExists)
            requireFile(file);
        const bool json = format == GetFormat::Json;
        if (json)
            io.out << "{\n";
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const QString name = QLatin1String(keys[i]->name);
            const QString &value = read.values.at(qsizetype(i));
            if (json) {
                io.out << "  " << output::jsonString(name) << ": " << output::jsonString(value)
                       << (i + 1 < keys.size() ? ",\n" : "\n");
            } else if (format == GetFormat::Raw) {
                io.out << name << '=';
                writeBytes(io.out, output::raw(value) + '\n');
            } else {
                io.out << name << '=' << output::escaped(value) << '\n';
            }
        }
        if (json)
            io.out << "}\n";
        return exitstatus::kDone;
    } catch (const engine::Failure &failure) {
        return report(failure, io);
    }
}

int set(const QString &file, const QStringList &assignments, const ChangeOptions &options,
        const engine::filebytes::Patience &patience, Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    QSet<const settings::Key *> seen;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError{QStringLiteral("\"%1\" não é CHAVE=VALOR.").arg(assignment)};
        const settings::Key *key = resolve(assignment.left(equals).trimmed());
        if (seen.contains(key))
            throw UsageError{QStringLiteral("A chave \"%1\" aparece duas vezes.").arg(QLatin1String(key->name))};
        seen.insert(key);
        // Read back, a value has no blanks around it: without them the same
        // value twice changes nothing the second time.
        wanted.push_back({QLatin1String(key->name), assignment.mid(equals + 1).trimmed()});
    }
    return change(file, wanted, options, patience, io);
}

int apply(const QString &file, const QString &preset, const ChangeOptions &options, const engine::filebytes::Patience &patience,
          Streams io)
{
    std::vector<engine::inifile::KeyValue> wanted;
    try {
        wanted = readPreset(preset);
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
                       ? QStringLiteral("O conteúdo anterior de \"%1\" foi restaurado.")
                       : QStringLiteral("O arquivo \"%1\" ficou como está; a cópia do conteúdo anterior foi apagada."))
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
