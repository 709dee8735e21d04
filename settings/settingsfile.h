#pragma once

#include "engine/inifile.h"
#include "settings/document.h"
#include "settings/keys.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace settings {

// The values of these keys in a file's bytes, blanks around them removed;
// empty for a missing key.
QStringList valuesIn(const QByteArray &file, const QStringList &keys);

// What a write did.
struct Written
{
    std::vector<ValueChange> changes;
    std::vector<Conflict> conflicts; // when there are any, nothing was written
    QString backup;      // the copy of the content it replaced, when one was asked for and kept
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
    std::vector<Conflict> conflicts;
};

// The settings file at one path, section "GameServerInfo": how every window
// and the command-line tool read its keys and write what a document decides.
// Nothing is cached; each call goes to the file.
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
    engine::inifile::ReadOutcome read(const QStringList &keys) const;

    // Writes what the document decides (Document::decide, from the file as
    // this write finds it, inside its lock: it may decide again when another
    // program changed the file meanwhile), each value as one blank followed
    // by its text, as one transaction: all of it, or nothing when a value is
    // refused, the file cannot be written (Failure), nothing differs, or the
    // document sees conflicts, which the result then lists.
    Written save(const Document &document, const engine::inifile::WriteOptions &options = {}) const;

    // What save would do now. Throws Failure like read().
    Preview preview(const Document &document) const;

    // Removes the keys' lines, as one transaction like save(); returns the
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
