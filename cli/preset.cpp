#include "cli/preset.h"

#include "cli/keynames.h"
#include "engine/failure.h"
#include "settings/keys.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace cli {
namespace {

[[noreturn]] void refuse(const QString &path, const QString &problem)
{
    throw engine::Failure{engine::FailureNumber::InvalidValue, QStringLiteral("O preset \"%1\" %2. Nada foi gravado.")
                                                   .arg(QDir::toNativeSeparators(path), problem)};
}

QString blanksTrimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v'; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin).toString();
}

} // namespace

std::vector<engine::inifile::KeyValue> readPreset(const QString &path)
{
    const std::optional<QByteArray> bytes = engine::inifile::readFile(path);
    if (!bytes)
        refuse(path, QStringLiteral("não existe"));
    const QStringList lines = engine::inifile::textOf(*bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));

    std::vector<engine::inifile::KeyValue> values;
    QHash<const settings::Key *, qsizetype> lineOf;
    qsizetype sectionLine = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype number = i + 1;
        const QString line = blanksTrimmed(lines.at(i));
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const QString name = blanksTrimmed(QStringView(line).mid(1).left(line.indexOf(QLatin1Char(']')) - 1));
            if (name.compare(settings::kSection, Qt::CaseInsensitive) != 0)
                refuse(path, QStringLiteral("traz a seção [%1] na linha %2; um preset só tem a seção [%3]")
                                 .arg(name).arg(number).arg(settings::kSection));
            if (sectionLine)
                refuse(path, QStringLiteral("traz a seção [%1] duas vezes, nas linhas %2 e %3")
                                 .arg(settings::kSection).arg(sectionLine).arg(number));
            sectionLine = number;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            refuse(path, QStringLiteral("tem na linha %1 algo que não é chave, comentário nem seção: \"%2\"")
                             .arg(number).arg(line));
        if (!sectionLine)
            refuse(path, QStringLiteral("tem uma chave antes da seção [%1], na linha %2").arg(settings::kSection).arg(number));
        const QString name = blanksTrimmed(QStringView(line).left(equals));
        const settings::Key *key = keyNamed(name);
        if (!key) {
            const QStringList near = nearestKeys(name);
            refuse(path, QStringLiteral("tem na linha %1 a chave \"%2\", que este programa não edita%3")
                             .arg(number)
                             .arg(name, near.isEmpty() ? QString()
                                                       : QStringLiteral(" (quis dizer %1?)").arg(near.join(QStringLiteral(", ")))));
        }
        if (lineOf.contains(key))
            refuse(path, QStringLiteral("dá a chave \"%1\" duas vezes, nas linhas %2 e %3")
                             .arg(QLatin1String(key->name)).arg(lineOf.value(key)).arg(number));
        lineOf.insert(key, number);
        values.push_back({QLatin1String(key->name), blanksTrimmed(QStringView(line).mid(equals + 1))});
    }
    if (!sectionLine)
        refuse(path, QStringLiteral("não tem a seção [%1]").arg(settings::kSection));
    return values;
}

} // namespace cli
