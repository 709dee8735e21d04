#pragma once

// The reports of the file layer, in Portuguese, each naming the file.

#include <QString>

namespace filebytes::failures {

QString native(const QString &path);

[[noreturn]] void noPath();
[[noreturn]] void cannotRead(const QString &path, const QString &reason);
[[noreturn]] void notRegular(const QString &path, bool folder);
[[noreturn]] void readOnly(const QString &path);
[[noreturn]] void folderMissing(const QString &path);
// Nothing was written.
[[noreturn]] void cannotWrite(const QString &path, const QString &reason);
[[noreturn]] void cannotCreate(const QString &path, const QString &reason);
[[noreturn]] void vanished(const QString &path);
[[noreturn]] void keepsChanging(const QString &path);
[[noreturn]] void locked(const QString &path);
// A rewrite in place failed. With `restored`, the old content is back in the
// file; otherwise the report says where its copy is.
[[noreturn]] void inPlaceFailed(const QString &path, const QString &reason, bool restored,
                                const QString &safetyCopy);
// The new content is in place, but the system could not confirm that it
// reached the disk.
[[noreturn]] void notDurable(const QString &path, const QString &reason);

} // namespace filebytes::failures
