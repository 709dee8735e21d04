#pragma once

#include "engine/failure.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace desktop {

// The standard open-file dialog as an object that outlives each showing, so
// its file name keeps the last chosen path between two uses.
struct OpenFileDialog
{
    QString title;
    QString startFolder;
    QString filter;   // "Description|pattern|Description|pattern..."
    QString fileName; // the chosen file; left as it was when the user cancels

    // Whether the user chose a file (else cancelled).
    bool showOpen(QWidget *owner);
};

// What the user answers in an open-file dialog: the chosen path, or nullopt
// for a cancel. Tests install an answer so that no dialog ever blocks them.
using OpenFileAnswer = std::function<std::optional<QString>(const OpenFileDialog &)>;
void setOpenFileAnswer(OpenFileAnswer answer); // an empty function restores the real dialog

// The one report of an unhandled failure: a critical message box titled with
// the program's title. Tests install a recorder in its place.
using FailureReport = std::function<void(const engine::Failure &)>;
void reportUnhandled(const engine::Failure &failure, const QString &programTitle);
void setFailureReport(FailureReport report); // an empty function restores the message box

// A question to the user, with buttons of its own ("Restaurar", "Cancelar"
// ...) or Qt's standard ones; the answer is the button's index, or the
// standard button.
struct Question
{
    QString text;
    QStringList buttons;                       // own buttons, in order; the first is the default
    int standardButtons = 0;                   // QMessageBox::StandardButtons when there are no own buttons
    int escape = -1;                           // what closing the question answers
};
using QuestionAnswer = std::function<int(const Question &)>;
int ask(const Question &question, const QString &programTitle, QWidget *owner);
void setQuestionAnswer(QuestionAnswer answer); // an empty function restores the message box

// The filter "A|*.a|B|*.b" in the form Qt's file dialogs take.
QString qtNameFilters(const QString &filter);

} // namespace desktop
