#pragma once

// Flushing to the disk, with what the system said when it could not.

#include <QString>

namespace filebytes::durable {

// 0, or the system's error code. Flushes the file the QFile handle (a file
// descriptor) refers to.
int syncHandle(int handle);

// 0, or the system's error code. Flushes a folder's entries (a rename or a
// new file in it); nothing to do on Windows, whose writes through the file
// cover them.
int syncFolder(const QString &folder);

} // namespace filebytes::durable
