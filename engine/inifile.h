#pragma once

#include "engine/filebytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Reads and writes keys of an INI ("profile") file, the way the Windows
// profile functions do where that is sound.
//
// Reading (path, section, keys) -> values, in one pass over the file. Nothing
// is cached: the file is read on every call.
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
//   that exists but cannot be read (a folder, no permission, not a regular
//   file) is a failure.
// - No length limit.
//
// Writing (path, section, key/value pairs) is one transaction: the file is
// read once, every pair is checked and applied in memory in the given order,
// and the file is replaced once, or not at all. Each pair changes exactly one
// line, or inserts exactly one line (plus a header when the section is
// missing). Every other byte stays as it was.
// - Existing key: the line keeps its bytes up to and including its '=', the
//   rest of the line (not its line ending) becomes the value, verbatim.
// - Missing key: "Key=value" goes right after the section's last key line,
//   or right under its header when it has none. Missing section: "[Section]"
//   and the key line are appended, ending the last line first if it had no
//   line ending. Missing file (in an existing folder): created.
// - Added lines use the file's own line ending (that of its first line), or
//   CR LF when it has none.
// - Refused, with nothing written: a value holding CR, LF, NUL or another
//   control character (U+0001-U+001F but tab, U+007F-U+009F), which would
//   inject lines or reach the game server and terminals raw, or a line or
//   paragraph separator or bidirectional formatting character (U+2028,
//   U+2029, U+202A-U+202E, U+2066-U+2069); a name that is empty, has blanks
//   around it or holds CR, LF or NUL; a key holding '=' or starting with ';'
//   or '['; a section holding ']'.
// - A write that would change nothing leaves the file untouched.
// - The file itself is read by filebytes::read and changed by
//   filebytes::update (filebytes.h): locked against this program's other
//   saves, re-checked against other writers (the pairs are applied again to
//   a newer content), atomic and durable, journalled where it is rewritten
//   in place, and keeping the file's identity (permissions, owner, group,
//   ACLs, extended attributes, hard links); a symbolic link is written
//   through to its target, unless it is another user's leading to what is
//   not theirs. With WriteOptions::mustExist a missing file is refused, not
//   made.
// - A file without any write permission bit is refused, also for root, like
//   the read-only attribute on Windows.
// - A failure (empty path, missing folder, read-only file, full disk ...)
//   changes nothing and throws a Failure naming the file and saying what the
//   system reported (unlike Windows, which returns a silent FALSE).
//
// Encoding, by the file's byte-order mark:
// - UTF-16LE (FF FE): a Unicode file, read and written as UTF-16LE.
// - UTF-8 (EF BB BF): UTF-8, where a byte that is not valid UTF-8 reads as
//   U+DC80-U+DCFF and is written back as the same byte.
// - No mark, and every byte valid UTF-8 with at least one multi-byte
//   sequence: UTF-8, and no mark is added (the usual text file on Linux).
// - Any other file without a mark: Windows-1252, decoded losslessly; a value
//   Windows-1252 cannot store is refused, never written as '?'.
// The mark is kept. Files the program cannot edit safely are refused: a
// UTF-16 big-endian or UTF-32 mark, or NUL bytes in a file without a mark
// (UTF-16 without a mark, or not a text file at all). A write looks for NUL
// in the whole file before it writes anything; a read, which must stay about
// as cheap as reading the file, looks in its first 8 KB, where UTF-16 and
// binary files show them (the test git uses to tell binary files).
namespace engine::inifile {

// A key and the value it is to hold: what a window asks to write, and what
// the engine writes.
struct KeyValue
{
    QString key;
    QString value;
};

// The rules on a file's bytes, without a disk. They throw Failure for a file
// or a name they refuse.
// One value per key, in the order asked; nullopt for a missing key.
std::vector<std::optional<QString>> lookup(const QByteArray &file, const QString &section, const QStringList &keys);
// One value per key, in the order asked; the default for a missing key.
QStringList valuesIn(const QByteArray &file, const QString &section, const QStringList &keys,
                     const QString &defaultValue = QString());
// The file's bytes with every pair applied in order; nullopt when that
// changes nothing. Throws Failure when a value or name cannot be stored.
std::optional<QByteArray> withValues(const QByteArray &file, const QString &section,
                                     const std::vector<KeyValue> &values);

// The file's bytes without the lines of these keys in the section (every
// line of each, so that no read finds it); nullopt when none is there.
// Throws Failure for a name that cannot be in a file, or a file it refuses.
std::optional<QByteArray> withoutKeys(const QByteArray &file, const QString &section, const QStringList &keys);

// Whether two names are one to the file's reader: ASCII letters in any
// case, every other character as it is ("Ä" and "ä" are two names).
bool sameName(const QString &a, const QString &b);

// A value given to be written (typed, on a command line, in a preset), as it
// is to be stored: without the spaces and tabs around it, which a read would
// drop, and nothing else removed: any other character at its ends is kept,
// or refused by the write like anywhere else in it.
QString withoutBlanks(const QString &value);

// The same on the file at `path`; throw Failure as described above.
struct ReadOutcome
{
    QStringList values;
    bool fileExists = false; // else every value is the default
};
ReadOutcome read(const QString &path, const QString &section, const QStringList &keys,
                 const QString &defaultValue = QString(), const filebytes::Patience &patience = {});
// The pairs are chosen from the file's bytes as the write finds them inside
// its transaction (empty for a missing file); `pairsFor` is called again
// when the file changed meanwhile.
using WriteOptions = filebytes::UpdateOptions;
using WriteOutcome = filebytes::Outcome;
using PairsFor = std::function<std::vector<KeyValue>(const QByteArray &file)>;
WriteOutcome write(const QString &path, const QString &section, const PairsFor &pairsFor,
                   const WriteOptions &options = {});

// Removes the keys' lines from the section of the file at `path`, as one
// update like write(); a key that is not there is no change. The file must
// exist.
WriteOutcome remove(const QString &path, const QString &section, const QStringList &keys,
                    const WriteOptions &options = {});

// The bytes of the file at `path`, refused (a Failure) when it is a file this
// engine would damage, like read() does; nullopt when there is none.
std::optional<QByteArray> readFile(const QString &path, const filebytes::Patience &patience = {});

// The lines of a file as this engine reads them, decoded by the rules above:
// for a tool that checks a file of this format line by line (a preset), so
// that it reads the format by the same rules. Throws Failure for a file this
// engine refuses to read.
struct Line
{
    enum class Kind { Blank, Comment, Section, Key, Other };
    int number = 0; // from 1
    Kind kind = Kind::Blank;
    QString section; // the section the line is in; a Section line's own name
    QString key;     // a Key line's name and value, blanks around them removed
    QString value;
    QString text;    // the whole line, for reports
};
std::vector<Line> linesOf(const QByteArray &file);

// The keys of a section as the file names them, in file order, each once
// (the first of a name, whatever its case, is the one read); only the
// first section of that name counts, as for every read. Lines whose names
// no read can ask for (" = value") are left out.
QStringList keysIn(const QByteArray &file, const QString &section);

// What a value may not hold besides line breaks and NUL: a control
// character (C0 but tab, DEL, C1), which would act on the game server and on
// terminals, or a layout character (the line and paragraph separators, the
// bidirectional overrides and isolates), which changes how the text around
// it shows. A write refuses both, with the character named.
enum class Refused { No, Control, Layout };
Refused refusedInValues(QChar c);

// A byte of a UTF-8 file that is not UTF-8 reads as a character of its own
// (so that a save writes the same byte back): that byte, for such a character.
std::optional<uchar> strayByte(QChar c);
// A value's text in UTF-8, such a character as its byte again.
QByteArray utf8Keeping(const QString &value);

// Bytes of an 8-bit file (a part of it, such as a diff of it) decoded as
// the file's reader decodes the file: UTF-8 or Windows-1252 by its mark and
// its bytes, losslessly.
QString decodedAs(const QByteArray &file, QByteArrayView bytes);

} // namespace engine::inifile
