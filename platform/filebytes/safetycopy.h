#pragma once

// Before a file is rewritten in place, a complete copy of its old content is
// made durable in this program's own folder under the user's state
// directory, so that a failure halfway loses nothing.

#include <QByteArray>
#include <QString>

namespace filebytes::safetycopy {

// $XDG_STATE_HOME/commonserver-editor, else ~/.local/state/commonserver-editor;
// %LOCALAPPDATA%\commonserver-editor on Windows.
QString folder();

// Writes `content` to a new file of that folder named after `path`, flushed
// to the disk with its folder; returns the copy's path. Throws a Failure
// (nothing else written) when it cannot.
QString keep(const QString &path, const QByteArray &content);

// Removes the copy once it is no longer needed.
void discard(const QString &copy);

} // namespace filebytes::safetycopy
