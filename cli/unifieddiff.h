#pragma once

#include <QString>

namespace cli {

// The lines that differ between two versions of a file, as a unified diff
// (three lines of context, line numbers of both versions), headed by the
// file's name; empty when nothing differs.
QString unifiedDiff(const QString &name, const QString &before, const QString &after);

} // namespace cli
