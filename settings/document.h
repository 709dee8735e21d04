#pragma once

#include "engine/failure.h"
#include "settings/keys.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
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

// A key changed in the file since the document last had it, and typed
// otherwise: the user decides.
struct Conflict
{
    QString key;
    int box = 0;
    QString known;  // what the document last saw in the file
    QString inFile; // what the file holds now
    QString typed;
};

// One window's keys (or one command's) between the settings file and the
// user: what each box shows, what it showed when the file last filled it,
// and what each key held in the file when last seen. It decides what a save
// writes, by one rule for the windows and the command-line tool: the boxes
// that differ from what the file last gave them, or, for a box the file
// never filled (a value given on the command line), from what the file
// holds as the save reads it. Qt Core only: the windows bind their controls
// to it, the tool types its values into it.
class Document
{
public:
    // A key and the box that shows it; several keys may share one box.
    struct Field
    {
        QString key;
        ValueKind kind;
        int box;
    };

    // `saveOrder`: indexes into `loadOrder`, the order a save writes the keys
    // in; empty: the load order.
    explicit Document(std::vector<Field> loadOrder, std::vector<int> saveOrder = {});

    const std::vector<Field> &fields() const { return m_fields; }
    // The keys, in load order.
    QStringList keys() const;

    // What the user made a box hold: its text, or a yes/no box's digit;
    // nullopt for a yes/no box left unknown.
    void type(int box, std::optional<QString> value);
    std::optional<QString> typed(int box) const;
    // What the boxes hold now counts as unedited, as if the file gave it: a
    // window's start state (empty boxes, clear check boxes), which a save
    // before any load compares with.
    void treatAsUnedited();
    // Whether a box differs from what the file last gave it (a box the file
    // never filled always does).
    bool edited(int box) const;
    bool modified() const;

    // The file's values (in load order, blanks around them removed; empty
    // for a missing key) into the boxes: every box, or only those the user
    // has not edited. A key whose box an earlier key of this pass filled
    // does not blank it with an empty value. A yes/no box holds "1" for a
    // value that is 1 as a number, "0" for another number, and is unknown
    // for what is not a number: returned, as the failure to report, for
    // the first such key. `from` is the file the values came from.
    std::optional<engine::Failure> fill(const QStringList &values, bool onlyUnedited, const QString &from);
    // The file a save must not make again when it has vanished: the one the
    // values last came from or went to; empty when none did.
    const QString &source() const { return m_source; }

    // What a save of the file at `path` writes, decided from the file's bytes
    // as the save reads them, inside its lock: the edited boxes' values, in
    // save order (a box that shows several keys writes each of them). A key
    // whose value in the file changed since the document last saw it, to
    // something other than what was typed, is a conflict, unless the user
    // chose to write over that value; while there is one, nothing is to be
    // written. What the document saw counts only for the file it came from.
    struct Decision
    {
        std::vector<ValueChange> changes;
        std::vector<Conflict> conflicts;
    };
    Decision decide(const QByteArray &file, const QString &path) const;

    // The user's answers to conflicts: write the typed values over those
    // file values, or take the file's values into those boxes (then nothing
    // is written for them).
    void writeOver(const std::vector<Conflict> &conflicts);
    void takeTheFiles(const std::vector<Conflict> &conflicts);

private:
    struct Box
    {
        std::optional<QString> typed;
        std::optional<std::optional<QString>> filled; // what the file last gave it; never filled: nullopt
    };

    std::vector<Field> m_fields;
    std::vector<int> m_saveOrder;
    std::vector<Box> m_boxes;
    std::vector<std::optional<QString>> m_known; // by field: the file's value as last seen
    std::vector<std::pair<QString, QString>> m_overwrite; // conflicts to write over: key, the file's value then
    QString m_source;
};

} // namespace settings
