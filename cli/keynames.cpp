#include "cli/keynames.h"

#include "cli/commands.h"
#include "engine/inifile.h"

#include <algorithm>
#include <vector>

namespace cli {
namespace {

// How many letters to change, add or drop to make one name the other.
qsizetype editDistance(const QString &a, const QString &b)
{
    std::vector<qsizetype> row(std::size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[std::size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[std::size_t(j)];
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1,
                                            diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[std::size_t(b.size())];
}

} // namespace

const settings::Key *keyNamed(QStringView name)
{
    for (const settings::Key *key : settings::keys::kAll) {
        if (engine::inifile::sameName(name.toString(), QLatin1String(key->name)))
            return key;
    }
    return nullptr;
}

QStringList nearestKeys(QStringView name)
{
    const QString typed = name.toString().toLower();
    std::vector<std::pair<qsizetype, QString>> near;
    for (const settings::Key *key : settings::keys::kAll) {
        const QString known = QString::fromLatin1(key->name).toLower();
        // A part of a name counts as near ("zen" for MaxZen and MaxZenMessage).
        const qsizetype distance = known.contains(typed) ? known.size() - typed.size() : editDistance(typed, known);
        if (distance <= std::max<qsizetype>(3, typed.size() / 3) || known.contains(typed))
            near.emplace_back(known.contains(typed) ? 0 : distance, QString::fromLatin1(key->name));
    }
    std::stable_sort(near.begin(), near.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList names;
    for (std::size_t i = 0; i < near.size() && i < 3; ++i)
        names << near[i].second;
    return names;
}

QString keyToUse(const QString &name, bool anyKey)
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

} // namespace cli
