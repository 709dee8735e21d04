#pragma once

#include <QByteArray>

#include <optional>

namespace cli {

// The lines that differ between two versions of a file, as `diff -u` prints
// them: in the file's own bytes (a line ends at LF; a CR before it is part of
// the line), three lines of context, "\ No newline at end of file" where a
// version ends without one, headed by the file's name; empty when nothing
// differs. GNU patch applies it. Only the changed region is split into lines.
// nullopt for a file with lone CR line endings, which diff cannot show.
std::optional<QByteArray> unifiedDiff(const QByteArray &name, const QByteArray &before, const QByteArray &after);

} // namespace cli
