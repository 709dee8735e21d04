#pragma once

#include "cli/commands.h"
#include "engine/failure.h"
#include "settings/settingsfile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// What the tool prints of a failure and of a change, for people and, as
// JSON, for scripts and the Ansible modules.
namespace cli {

// A failure: its reason on standard error, first, then what the tool offers
// for it; with `json`, also one JSON object on standard output ("failed",
// "msg", "kind", "copy"), from which a module gives advice of its own.
int report(const engine::Failure &failure, Streams io, bool json);

// A value that may be absent, as JSON.
QString jsonOrNull(const std::optional<QString> &value);

// What a change did (with dryRun: would do).
struct Changed
{
    std::vector<settings::ValueChange> changes;
    QString backup;
    QStringList notices;
    QByteArray before;
    QByteArray after;
};

// Prints it: each key as `Key: "before" -> "after"` (or, with dryRun, the
// file's unified diff), the backup kept and, on standard error, what the
// user should know; with `json`, one JSON object with the diff of the bytes
// written. Returns the exit status.
int printChanged(const QString &file, const Changed &changed, const ChangeOptions &options, Streams io);

} // namespace cli
