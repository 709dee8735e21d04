#pragma once

#include "platform/filebytes.h"
#include "settings/keys.h"
#include "ui/forms/formbuilder.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace forms {

// The settings file path, asked afresh for every load and save.
using PathSource = std::function<QString()>;

// One window's fields between its controls and the settings file, in the
// window's own orders. Each control remembers what the last load left in it
// (before any load: its start state, empty or clear; after a save: what was
// saved), so that a save writes only what the user changed.
class SettingsBinding
{
public:
    // `owner`: the window, which shows the progress of a long wait and the
    // questions about the file.
    SettingsBinding(QWidget *owner, const Controls &controls, const Window &window, PathSource path);

    // Loads and saves run off the window's thread (filework.h). What only the
    // user can decide is asked: a file left torn by an interrupted save is
    // restored or kept (then the load or save goes on), a file another
    // program holds open for writing without changing it is written anyway
    // or not. A cancel ends the load or save with the Cancelled failure.
    //
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
    // order, as one transaction; touches no file when none differ. A failure
    // writes nothing and is thrown, naming the field as the window labels it.
    // The file the fields last came from, or went to, is never made again
    // when it has vanished since: it would hold only the changed values.
    void save();

private:
    struct Field
    {
        const settings::Key *key;
        QWidget *control; // a text box for a text key, a check box for a flag
    };

    void remember();
    // Runs file work, asking the user what the engine cannot decide.
    void onFile(const QString &path, const std::function<void(const filebytes::Patience &, bool force)> &work);

    QWidget *m_owner;
    std::vector<Field> m_loadOrder;
    std::vector<Field> m_saveOrder;
    PathSource m_path;
    QString m_knownFile; // the path of the last load or save, when it named a file
    QHash<QWidget *, std::optional<QString>> m_remembered;
};

} // namespace forms
