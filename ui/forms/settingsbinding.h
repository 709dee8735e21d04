#pragma once

#include "engine/failure.h"
#include "engine/filebytes.h"
#include "settings/keys.h"
#include "ui/forms/formbuilder.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace ui::forms {

// The settings file path, asked afresh for every load and save.
using PathSource = std::function<QString()>;

// One window's fields between its controls and the settings file, in the
// window's own orders. It remembers what each key held in the file, and what
// each control showed, when the window last loaded, saved or followed the
// file, so that a save writes only what the user changed, and a change of
// the same key elsewhere is not overwritten without a word.
//
// Loads and saves run off the window's thread (filework.h). What only the
// user can decide is asked: a file left torn by an interrupted save is
// restored or kept (then the load or save goes on), a file another program
// holds open for writing without changing it is written anyway or not. A
// cancel ends the load or save with the Cancelled failure.
//
// While the window shows a file, it follows it: a change on disk (also a
// replacement by rename) is shown at once in the boxes the user has not
// edited; a file that vanished or can no longer be read is reported once.
// The window is marked modified (Qt's [*] in its caption) while a box
// differs from what it last loaded, saved or followed.
class SettingsBinding
{
public:
    // `owner`: the window, which shows the progress of a long wait, the
    // questions about the file and the modification mark.
    SettingsBinding(QWidget *owner, const Controls &controls, const formdata::Window &window, PathSource path);
    ~SettingsBinding();
    SettingsBinding(const SettingsBinding &) = delete;
    SettingsBinding &operator=(const SettingsBinding &) = delete;

    // Reads the file once and fills the controls in load order. A text key
    // replaces its box's text; several keys may share one box, and a later
    // empty value then does not blank what an earlier key put there. A flag
    // checks its box for 1, clears it for any other number, and shows as
    // unknown (partially checked) when it is not a number; such a box is
    // written only once the user sets it.
    // Throws Failure when the file cannot be read, the controls unchanged;
    // with reportUnknownFlags, also after filling them when a flag is unknown.
    void load(bool reportUnknownFlags);

    // Writes the keys whose controls differ from what they remember, in save
    // order, as one transaction; touches no file when none differ. A key
    // whose value in the file changed since the window last had it, to
    // something other than what the user typed, is a conflict: before
    // anything is written, one question lists them all, and the user writes
    // the typed values, takes the file's into those boxes, or cancels. The
    // comparison happens inside the locked update, so it cannot race.
    // Afterwards every box shows the file's value as it now stands. A
    // failure writes nothing and is thrown, naming the field as the window
    // labels it. The file the fields last came from, or went to, is never
    // made again when it has vanished since: it would hold only the changed
    // values.
    void save();

    // Whether a box differs from what it last loaded, saved or followed.
    bool modified() const;

private:
    struct KeyBox
    {
        const settings::Key *key;
        QWidget *control; // a text box for a text key, a check box for a flag
    };

    // Puts the file's values (in load order) in the controls: every one, or
    // only those the user has not edited. Returns the first unknown flag.
    std::optional<engine::Failure> show(const QStringList &values, bool onlyUnedited);
    // One key's value in its control; the unknown flag, if it is one.
    std::optional<engine::Failure> put(const KeyBox &field, const QString &value);
    void remember(QWidget *control);
    bool edited(QWidget *control) const;
    void markModified();
    // Runs file work, asking the user what the engine cannot decide.
    void onFile(const QString &path, const std::function<void(const engine::filebytes::Patience &, bool force)> &work);
    void follow(const QString &path);
    void refresh();

    QWidget *m_owner;
    std::vector<KeyBox> m_loadOrder;
    std::vector<KeyBox> m_saveOrder;
    PathSource m_path;
    QString m_knownFile; // the path of the last load or save, when it named a file
    QHash<QWidget *, std::optional<QString>> m_remembered;
    QHash<const settings::Key *, QString> m_known; // each key's value in the file, as last seen
    QFileSystemWatcher *m_watcher;
    QTimer *m_refresh;
    bool m_busy = false;         // a load, save or refresh runs: changes on disk wait for it
    bool m_reportedGone = false; // the file that vanished was reported
};

} // namespace ui::forms
