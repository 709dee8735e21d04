#pragma once

#include <QByteArray>
#include <QString>

// Reads and writes one key of an INI ("profile") file, the way the Windows
// profile functions do where that is sound.
//
// Reading (section, key, path) -> value. Nothing is cached: the file is read
// on every call.
// - A line ends at CR LF, a lone LF or a lone CR.
// - A section header is a line whose first non-blank character is '['; its
//   name runs to the first ']' (or the end of the line), blanks inside
//   trimmed; text after the ']' is ignored. Key lines before the first
//   header belong to no section.
// - A line whose first non-blank character is ';' is a comment. Any other
//   line with a '=' is a key line: the name precedes the first '=', the value
//   follows it; blanks (space, tab, vertical tab) around both are removed.
// - Names match case-insensitively (ASCII); the first matching section and
//   the first matching key in it win; later duplicates are invisible.
// - The value is returned as it stands after trimming: quotes and ';' text
//   are part of it (unlike Windows, which strips one pair of outer quotes).
// - A missing file, section or key gives the default; not a failure. A path
//   that exists but cannot be read (a folder, no permission) is a failure.
// - No length limit.
//
// Writing (section, key, value, path) changes exactly one line, or inserts
// exactly one line (plus a header when the section is missing). Every other
// byte stays as it was.
// - Existing key: the line keeps its bytes up to and including its '=', the
//   rest of the line (not its line ending) becomes the value, verbatim.
// - Missing key: "Key=value" goes right after the section's last key line,
//   or right under its header when it has none. Missing section: "[Section]"
//   and the key line are appended, ending the last line first if it had no
//   line ending. Missing file (in an existing folder): created.
// - Added lines use the file's own line ending (that of its first line), or
//   CR LF when it has none.
// - A value holding CR, LF or NUL is refused (it would inject lines).
// - A write that would change nothing leaves the file untouched.
// - Atomic: the new content is written to a temporary file in the same folder
//   and replaces the old one only once complete. Permissions are kept; a
//   symbolic link is written through to its target.
// - A file without any write permission bit is refused, also for root, like
//   the read-only attribute on Windows.
// - A failure (empty path, missing folder, read-only file, full disk) changes
//   nothing and throws a Failure naming the file (unlike Windows, which
//   returns a silent FALSE).
//
// Encoding: without a byte-order mark the file is Windows-1252, decoded
// losslessly; a value Windows-1252 cannot store is refused, never written as
// '?'. A UTF-16LE mark (FF FE) makes it a Unicode file, read and written as
// UTF-16LE; a UTF-8 mark (EF BB BF) makes it UTF-8. The mark is kept.
namespace profile {

// The parsing rules on a file's bytes, without a disk.
QString valueIn(const QByteArray &file, const QString &section, const QString &key,
                const QString &defaultValue = QString());
// The file's bytes with the key set to the value. Returns the input itself
// when nothing changes. Throws Failure when the value cannot be stored.
QByteArray withValue(const QByteArray &file, const QString &section, const QString &key,
                     const QString &value);

// The same on a file; throw Failure as described above.
QString readString(const QString &section, const QString &key, const QString &defaultValue,
                   const QString &path);
void writeString(const QString &section, const QString &key, const QString &value,
                 const QString &path);

} // namespace profile
