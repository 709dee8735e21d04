#pragma once

#include "engine/inifile.h"
#include "settings/keys.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace settings {

// A key whose value a write changes, with the value it held (empty when it
// was missing) and the one it gets.
struct ValueChange
{
    QString key;
    QString before;
    QString after;
    bool existed = true;  // else the write adds the key
    bool removed = false; // the key's lines go
};

// The wanted values that differ from the file's (as read: blanks around a
// value do not count; a missing key differs even from an empty value), in
// the order wanted. `file` is the file's bytes.
std::vector<ValueChange> differingIn(const QByteArray &file, const std::vector<engine::inifile::KeyValue> &wanted);

// The values of these keys in a file's bytes, blanks around them removed;
// empty for a missing key.
QStringList valuesIn(const QByteArray &file, const std::vector<const Key *> &keys);

// The texts to write, chosen from the file's bytes as the write finds them,
// inside its transaction; called again when the file changed meanwhile.
using Choice = std::function<std::vector<engine::inifile::KeyValue>(const QByteArray &file)>;

// What a write of the differing values did.
struct Written
{
    std::vector<ValueChange> changes;
    QString backup; // the copy of the content it replaced, when one was asked for and kept
    QStringList notices; // what the user should know of the save (engine::filebytes::Outcome)
    QByteArray before;   // the file's bytes before the write, and after it
    QByteArray after;
};

// A change as it would be made, without making it.
struct Preview
{
    QByteArray before; // the file's bytes now
    QByteArray after;  // as the change would leave them
    std::vector<ValueChange> changes;
};

// The settings file at one path, section "GameServerInfo": how every window
// reads its keys and writes the user's changes. Nothing is cached; each call
// goes to the file.
class SettingsFile
{
public:
    // `patience`: how long its reads and writes may wait for other writers
    // and locks, and who may stop them.
    explicit SettingsFile(QString path, engine::filebytes::Patience patience = {});

    // One value per key, blanks around it removed; empty when the file, the
    // section or the key is missing (fileExists tells which). Throws Failure
    // when the path names something that cannot be read, or a file this
    // program refuses to edit.
    engine::inifile::ReadOutcome read(const std::vector<const Key *> &keys) const;

    // Writes every change as one blank followed by its text, in the given
    // order, as one transaction: all of them, or nothing when any is refused
    // or the file cannot be written (Failure).
    engine::inifile::WriteOutcome write(const std::vector<engine::inifile::KeyValue> &changes,
                                const engine::inifile::WriteOptions &options = {}) const;

    // Writes, like write(), only the wanted values that differ from the
    // file's as the write finds it, inside the same transaction; returns what
    // it changed. Nothing is written when nothing differs.
    Written writeDiffering(const std::vector<engine::inifile::KeyValue> &wanted,
                                            const engine::inifile::WriteOptions &options = {}) const;

    // Writes, like write(), the texts `choose` picks from the file's bytes.
    engine::inifile::WriteOutcome writeChosen(const Choice &choose, const engine::inifile::WriteOptions &options = {}) const;

    // What writeDiffering would do now. Throws Failure like read().
    Preview preview(const std::vector<engine::inifile::KeyValue> &wanted) const;

    // Removes the keys' lines, as one transaction like write(); returns the
    // keys it removed, with the values they held. Nothing is written when
    // none of them is there.
    Written remove(const QStringList &keys, const engine::inifile::WriteOptions &options = {}) const;

    // What remove would do now.
    Preview previewRemoval(const QStringList &keys) const;

private:
    engine::inifile::WriteOptions withPatience(engine::inifile::WriteOptions options) const;

    QString m_path;
    engine::filebytes::Patience m_patience;
};

} // namespace settings
