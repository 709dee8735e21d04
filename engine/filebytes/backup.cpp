#include "engine/filebytes/backup.h"

#include "engine/filebytes.h"
#include "engine/filebytes/failures.h"
#include "engine/systemerror.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace engine::filebytes::backup {

QString keep(const system::Place &place, const system::File &file, const system::Snapshot &of,
             const QByteArray &content, const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name;
    std::optional<system::File> copy;
    int error = 0;
    for (int number = 1; !copy; ++number) {
        name = number == 1 ? QStringLiteral("%1.%2.bak").arg(place.name, stamp)
                           : QStringLiteral("%1.%2-%3.bak").arg(place.name, stamp).arg(number);
        copy = system::createPrivate(place.folder, name, &error);
        if (!copy && (!system::alreadyExists(error) || number == 100))
            failures::cannotKeepCopy(path, place.folder.nativePath(name), engine::systemErrorText(error));
    }
    error = system::writeAll(*copy, content, 0);
    if (error == 0)
        error = system::flush(*copy);
    if (error == 0)
        system::takeIdentity(file, of, *copy, false);
    if (error == 0)
        error = system::flushFolder(place.folder);
    if (error != 0) {
        copy->reset();
        system::removeAt(place.folder, name);
        failures::cannotKeepCopy(path, place.folder.nativePath(name), engine::systemErrorText(error));
    }
    return name;
}

QStringList namesOf(const system::Place &place)
{
    const QRegularExpression backupName(QStringLiteral("^%1\\.(\\d{8}-\\d{6})(?:-(\\d+))?\\.bak$")
                                            .arg(QRegularExpression::escape(place.name)));
    struct Backup
    {
        QString name, stamp;
        int number;
    };
    std::vector<Backup> backups;
    for (const QString &name : system::namesIn(place.folder, place.name + QLatin1Char('.'))) {
        const QRegularExpressionMatch match = backupName.match(name);
        if (match.hasMatch())
            backups.push_back({name, match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup &a, const Backup &b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.number > b.number;
    });
    QStringList names;
    for (const Backup &backup : backups)
        names << backup.name;
    return names;
}

void prune(const system::Place &place, const QString &kept, int keep)
{
    QStringList others = namesOf(place);
    others.removeAll(kept);
    for (qsizetype i = std::max(keep - 1, 0); i < others.size(); ++i)
        system::removeAt(place.folder, others.at(i));
}

} // namespace engine::filebytes::backup

namespace engine::filebytes {

std::vector<Backup> backupsOf(const QString &path)
{
    std::vector<Backup> backups;
    const std::optional<system::Place> place = path.isEmpty() ? std::nullopt : system::locate(path, system::Purpose::Read);
    if (!place)
        return backups;
    for (const QString &name : backup::namesOf(*place)) {
        const std::optional<system::File> copy = system::openCopy(place->folder, name);
        const std::optional<system::Snapshot> seen = copy ? system::snapshot(*copy) : std::nullopt;
        if (!seen)
            continue;
        const QString stamp = name.mid(place->name.size() + 1, 15);
        backups.push_back({place->folder.nativePath(name),
                           QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd-HHmmss")), seen->size});
    }
    return backups;
}

} // namespace engine::filebytes
