#pragma once

#include <QByteArray>
#include <QString>

namespace cli {

// Keeps `content`, what the file at `path` holds before a change, beside it
// as "<path>.AAAAMMDD-HHMMSS.bak" (another one of the same second gets "-2",
// "-3" ...; an existing backup is never overwritten), with the file's
// permissions, flushed to the disk with its folder. Returns its path; throws
// a Failure, which stops the change, when it cannot.
QString keepBackup(const QString &path, const QByteArray &content);

} // namespace cli
