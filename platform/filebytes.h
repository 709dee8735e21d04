#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whole-file reads and atomic whole-file replacements for the settings file.
// Failures throw a Failure whose Portuguese description names the file.
namespace filebytes {

// The file's bytes; nullopt when nothing exists at the path (or the path is
// empty). Throws when something exists there but cannot be read.
std::optional<QByteArray> read(const QString &path);

// Throws unless the path names a file that may be written or created: not
// empty, in an existing folder, not a folder itself, not read-only.
void checkWritable(const QString &path);

// Writes the bytes to a temporary file beside the target and then replaces
// the target with it, so a failure at any point leaves the old file whole.
// Keeps the file's permissions; writes through a symbolic link to its target.
void replace(const QString &path, const QByteArray &bytes);

} // namespace filebytes
