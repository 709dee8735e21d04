#pragma once

// What the POSIX files of the file layer share: the system's errors said in
// Portuguese, paths as the system takes them, files opened in a held folder.

#include "engine/filebytes/system.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#ifndef O_PATH
#define O_PATH O_RDONLY
#endif

namespace engine::filebytes::system::posix {

QByteArray encoded(const QString &text);
// openat in the folder, never giving the file a controlling terminal; -1
// and errno when it fails.
int openAt(const File &folder, const QByteArray &name, int flags, mode_t mode = 0);
// "jogo (1500)", or the number alone for a user without a name.
QString userName(uid_t uid);
Snapshot snapshotFrom(const struct stat &st);

} // namespace engine::filebytes::system::posix
