#pragma once

#include <QByteArray>
#include <QString>

// The administrator's own check of a new content before it is written, as
// Ansible's copy, template and lineinfile take one: "COMMAND %s".
namespace cli {

// Whether a validation command names the file to check ("%s").
bool namesTheContent(const QString &command);

// Writes `content` to a new file only the user may read, runs the command
// with "%s" standing for that file's path (no shell: the words as a POSIX
// shell would split them, quotes and all, nothing expanded), and removes
// the file. Throws a Failure naming the
// command and showing what it printed when it does not exit with 0.
void validate(const QString &command, const QByteArray &content, const QString &file);

} // namespace cli
