#pragma once

#include "engine/failure.h"
#include "engine/filebytes.h"
#include "settings/document.h"
#include "ui/forms/controls.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace ui::binding {

class NewsBar;

// The settings file path, asked afresh for every load and save.
using PathSource = std::function<QString()>;

// One window's controls bound to its document (settings/document.h), which
// decides what a save writes: the controls show the document's values and
// tell it what the user types; the binding runs the document's loads and
// saves on the file and asks the user what only the user can decide.
//
// Loads and saves run off the window's thread (filework.h). What only the
// user can decide is asked: a file left torn by an interrupted save is
// restored or kept (then the load or save goes on), a file another program
// holds open for writing without changing it is written anyway or not. A
// cancel ends the load or save with the Cancelled failure.
//
// While the window shows a file, it follows it: a change on disk (also a
// replacement by rename) is shown at once in the boxes the user has not
// edited; a file that vanished or can no longer be read is told once, in a
// bar at the window's foot that never takes the keyboard (news from the
// disk is no failure of what the user asked); the next save or load then
// says what it finds. The window is marked modified (Qt's [*] in its caption) while a box
// differs from what it last loaded, saved or followed.
class SettingsBinding
{
public:
    // `owner`: the window, which shows the progress of a long wait, the
    // questions about the file and the modification mark.
    SettingsBinding(QWidget *owner, const forms::Controls &controls, const formdata::Window &window, PathSource path);
    ~SettingsBinding();
    SettingsBinding(const SettingsBinding &) = delete;
    SettingsBinding &operator=(const SettingsBinding &) = delete;

    // Reads the file once and fills the controls in load order (the
    // document's rule, document.h: a shared box, an unknown flag shown as a
    // partly checked box, written only once the user sets it).
    // Throws Failure when the file cannot be read, the controls unchanged;
    // with reportUnknownFlags, also after filling them when a flag is unknown.
    void load(bool reportUnknownFlags);

    // Writes what the document decides, as one transaction; touches no file
    // when no box was edited. Conflicts (a key changed in the file since the
    // window last had it) are asked about, all in one question, before
    // anything is written: the user writes the typed values, takes the
    // file's into those boxes, or cancels. Afterwards every box shows the
    // file's value as it now stands. A failure writes nothing and is thrown,
    // naming the field as the window labels it. The file the fields last
    // came from, or went to, is never made again when it has vanished since:
    // it would hold only the changed values.
    void save();

    // Whether a box differs from what it last loaded, saved or followed.
    bool modified() const;

private:
    // The document's values in the controls: every box, or only those the
    // user has not edited.
    void showDocument(bool onlyUnedited);
    void markModified();
    // Runs file work, asking the user what the engine cannot decide.
    void onFile(const QString &path, const std::function<void(const engine::filebytes::Patience &, bool force)> &work);
    void follow(const QString &path);
    void refresh();

    QWidget *m_owner;
    std::vector<QWidget *> m_boxes; // by the document's box: a text box, or a check box for a flag
    settings::Document m_document;
    PathSource m_path;
    QFileSystemWatcher *m_watcher;
    QTimer *m_refresh;
    NewsBar *m_news;
    bool m_busy = false;         // a load, save or refresh runs: changes on disk wait for it
    bool m_reportedGone = false; // the file that vanished was told
};

} // namespace ui::binding
