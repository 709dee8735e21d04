#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whole-file reads and atomic whole-file replacements for the settings file.
// Failures throw a Failure whose Portuguese description names the file and
// says what the system reported.
namespace filebytes {

// The file's bytes; nullopt when nothing exists at the path (or the path is
// empty). Throws when something exists there but cannot be read, or is not a
// regular file (a folder, a device, a pipe).
std::optional<QByteArray> read(const QString &path);

// Throws unless the path names a regular file that may be written, or one
// that may be created: not empty, in an existing folder, not read-only.
void checkWritable(const QString &path);

// Writes the bytes to a temporary file beside the target, flushes them to the
// disk and checks every step, and only then replaces the target with it, so
// a failure at any point leaves the old file whole. Keeps the file's
// permissions, and its owner and group where the system allows; writes
// through a symbolic link to its target.
void replace(const QString &path, const QByteArray &bytes);

} // namespace filebytes
