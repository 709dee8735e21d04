#include "engine/filebytes/backup.h"

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

void prune(const system::Place &place, const QString &kept, int keep)
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
        if (match.hasMatch() && name != kept)
            backups.push_back({name, match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup &a, const Backup &b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.number > b.number;
    });
    for (std::size_t i = std::size_t(std::max(keep - 1, 0)); i < backups.size(); ++i)
        system::removeAt(place.folder, backups[i].name);
}

} // namespace engine::filebytes::backup
