#pragma once

#include "engine/filebytes.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

// The commands of commonserver-cfg, each returning the exit status.
namespace cli {

// The exit status of a command.
constexpr int kExitDone = 0;    // also when nothing needed to change
constexpr int kExitRefused = 1; // a refused value or a file failure: nothing written
constexpr int kExitUsage = 2;   // an unknown command, option or key, arguments missing

struct Streams
{
    QTextStream &out;
    QTextStream &err;
    QIODevice *in = nullptr; // standard input, for a preset given as "-"
};

// What the user typed wrong; exits with kExitUsage.
struct UsageError
{
    QString message;
};

struct ChangeOptions
{
    bool dryRun = false;
    bool backup = false;
    int keepBackups = 0;            // with backup: how many of the file's backups to keep (0: all)
    bool force = false;             // write even when another program holds the file open for writing
    bool json = false;              // what changed as one JSON object
    bool anyKey = false;            // also keys the editor does not show, as text
    std::optional<int> changedExit; // the status when the file changed
    QString validate;               // a command with "%s", run on the new content before it is written
};

// How get prints values: "Key=value" lines with control characters escaped,
// the same lines with values as they are, one JSON object, or the values
// alone, escaped, one a line.
enum class GetFormat { Lines, Raw, Json, Values };

struct GetOptions
{
    GetFormat format = GetFormat::Lines;
    bool all = false;               // every key the section holds, in file order
    bool anyKey = false;            // also keys the editor does not show
    std::optional<int> missingExit; // the status when a key asked for is missing
};

// Prints each key named (the editor's 36 when none).
// `patience`: how long each command may wait for locks and other writers.
int get(const QString &file, const QStringList &names, const GetOptions &options,
        const engine::filebytes::Patience &patience, Streams io);
// Writes the KEY=VALUE pairs whose values differ from the file's.
int set(const QString &file, const QStringList &assignments, const ChangeOptions &options,
        const engine::filebytes::Patience &patience, Streams io);
// Writes the keys a preset file gives ("-": standard input).
int apply(const QString &file, const QString &preset, const ChangeOptions &options,
          const engine::filebytes::Patience &patience, Streams io);
// Removes the keys' lines from the section.
int unset(const QString &file, const QStringList &names, const ChangeOptions &options,
          const engine::filebytes::Patience &patience, Streams io);
// Puts a backup's content back as the file's, keeping what it replaces when asked.
int restoreBackup(const QString &file, const QString &backup, const ChangeOptions &options,
                  const engine::filebytes::Patience &patience, Streams io);

struct SettleOptions
{
    bool dryRun = false;
    bool json = false;
};
// Settles an interrupted save: puts back the content it replaced (or the
// finished content it left aside), or keeps the file as it is.
int restore(const QString &file, engine::filebytes::Resolution resolution, const SettleOptions &options,
            const engine::filebytes::Patience &patience, Streams io);

// Lists the file's backups; with `diff`, shows what putting that one back would change.
int listBackups(const QString &file, bool json, const QString &diff, Streams io);

// Lists the keys, their kinds and where the editor shows them.
int listKeys(Streams io);

} // namespace cli
