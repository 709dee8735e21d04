#include "cli/preset.h"

#include "cli/keynames.h"
#include "engine/failure.h"
#include "engine/inifile.h"
#include "settings/keys.h"

#include <QDir>

#include <algorithm>

namespace cli {
namespace {

using Line = engine::inifile::Line;

[[noreturn]] void refuse(const QString &path, const QString &problem)
{
    throw engine::Failure{engine::FailureNumber::InvalidValue,
                          QStringLiteral("O preset \"%1\" %2. Nada foi gravado.").arg(QDir::toNativeSeparators(path), problem)};
}

} // namespace

std::vector<engine::inifile::KeyValue> readPreset(const QString &path, bool anyKey)
{
    const std::optional<QByteArray> bytes = engine::inifile::readFile(path);
    if (!bytes)
        refuse(path, QStringLiteral("não existe"));
    return presetIn(*bytes, path, anyKey);
}

std::vector<engine::inifile::KeyValue> presetIn(const QByteArray &bytes, const QString &path, bool anyKey)
{
    // The file is read by the engine's rules; the preset's own are these.
    std::vector<engine::inifile::KeyValue> values;
    std::vector<std::pair<QString, int>> lineOf; // each name, and its line
    int sectionLine = 0;
    for (const Line &line : engine::inifile::linesOf(bytes)) {
        switch (line.kind) {
        case Line::Kind::Blank:
        case Line::Kind::Comment:
            continue;
        case Line::Kind::Section:
            if (!engine::inifile::sameName(line.section, settings::kSection))
                refuse(path, QStringLiteral("traz a seção [%1] na linha %2; um preset só tem a seção [%3]")
                                 .arg(line.section).arg(line.number).arg(settings::kSection));
            if (sectionLine)
                refuse(path, QStringLiteral("traz a seção [%1] duas vezes, nas linhas %2 e %3")
                                 .arg(settings::kSection).arg(sectionLine).arg(line.number));
            sectionLine = line.number;
            continue;
        case Line::Kind::Other:
            refuse(path, QStringLiteral("tem na linha %1 algo que não é chave, comentário nem seção: \"%2\"")
                             .arg(line.number)
                             .arg(line.text.trimmed()));
        case Line::Kind::Key:
            break;
        }
        if (!sectionLine)
            refuse(path, QStringLiteral("tem uma chave antes da seção [%1], na linha %2").arg(settings::kSection).arg(line.number));
        const settings::Key *key = keyNamed(line.key);
        if (!key && !anyKey) {
            const QStringList near = nearestKeys(line.key);
            refuse(path, QStringLiteral("tem na linha %1 a chave \"%2\", que este programa não edita%3")
                             .arg(line.number)
                             .arg(line.key, near.isEmpty() ? QString()
                                                           : QStringLiteral(" (quis dizer %1?)").arg(near.join(QStringLiteral(", ")))));
        }
        const QString name = key ? QString(QLatin1String(key->name)) : line.key;
        const auto earlier = std::find_if(lineOf.begin(), lineOf.end(), [&](const auto &known) {
            return engine::inifile::sameName(known.first, name);
        });
        if (earlier != lineOf.end())
            refuse(path, QStringLiteral("dá a chave \"%1\" duas vezes, nas linhas %2 e %3")
                             .arg(name).arg(earlier->second).arg(line.number));
        lineOf.emplace_back(name, line.number);
        // The value as the line gives it: only its spaces and tabs go, so that
        // a character a write refuses is refused at its ends too.
        values.push_back({name, engine::inifile::withoutBlanks(line.text.mid(line.text.indexOf(QLatin1Char('=')) + 1))});
    }
    if (!sectionLine)
        refuse(path, QStringLiteral("não tem a seção [%1]").arg(settings::kSection));
    return values;
}

} // namespace cli
