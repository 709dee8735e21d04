// The commands that read: get, keys.

#include "cli/commands.h"

#include "cli/keynames.h"
#include "cli/output.h"
#include "cli/report.h"
#include "engine/failure.h"
#include "engine/inifile.h"
#include "formdata/castlesiegetable.h"
#include "formdata/mainwindowtable.h"
#include "formdata/othersettingstable.h"
#include "settings/keys.h"

#include <QDir>

#include <algorithm>
#include <vector>

namespace cli {
namespace {

struct Shown
{
    const char *window;
    const formdata::Window *table;
};

// Bytes as they are, for pipes.
void writeBytes(QTextStream &stream, const QByteArray &bytes)
{
    stream.flush();
    stream.device()->write(bytes);
}

} // namespace

int get(const QString &file, const QStringList &names, const GetOptions &options,
        const engine::filebytes::Patience &patience, Streams io)
{
    QStringList keys;
    for (const QString &name : names)
        keys << keyToUse(name, options.anyKey);
    if (keys.isEmpty() && !options.all) {
        for (const settings::Key *key : settings::keys::kAll)
            keys << QLatin1String(key->name);
    }
    try {
        const std::optional<QByteArray> bytes = engine::inifile::readFile(file, patience);
        if (!bytes)
            throw engine::Failure{engine::FailureNumber::FileAccess,
                                  QStringLiteral("O arquivo \"%1\" não existe. Nada foi lido nem gravado.")
                                      .arg(QDir::toNativeSeparators(file))};
        if (options.all)
            keys = engine::inifile::keysIn(*bytes, settings::kSection);
        const std::vector<std::optional<QString>> values = engine::inifile::lookup(*bytes, settings::kSection, keys);
        const bool json = options.format == GetFormat::Json;
        if (json)
            io.out << "{";
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const std::optional<QString> &value = values[std::size_t(i)];
            switch (options.format) {
            case GetFormat::Json:
                io.out << (i ? ",\n  " : "\n  ") << jsonString(keys[i]) << ": " << jsonOrNull(value);
                break;
            case GetFormat::Raw:
                io.out << keys[i] << '=';
                writeBytes(io.out, engine::inifile::utf8Keeping(value.value_or(QString())) + '\n');
                break;
            case GetFormat::Values:
                io.out << escaped(value.value_or(QString())) << '\n';
                break;
            case GetFormat::Lines:
                io.out << keys[i] << '=' << escaped(value.value_or(QString())) << '\n';
                break;
            }
        }
        if (json)
            io.out << (keys.isEmpty() ? "}\n" : "\n}\n");
        io.out.flush();
        const bool missing = std::any_of(values.cbegin(), values.cend(), [](const auto &value) { return !value; });
        return missing && options.missingExit ? *options.missingExit : kExitDone;
    } catch (const engine::Failure &failure) {
        return report(failure, io, options.format == GetFormat::Json);
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
    return kExitDone;
}

} // namespace cli
