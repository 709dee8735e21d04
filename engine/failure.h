#pragma once

#include <QString>

namespace engine {

// What the program can do about a failure besides reporting it.
enum class FailureKind {
    Refused,         // a value, a file or the system said no: report it
    InterruptedSave, // an earlier save was cut off and left the file torn: restore or keep it
    FinishedAside,   // a replacement cut off between its steps left no file, its new content beside it
    HeldOpen,        // another program holds the file open for writing but did not change it
    Cancelled,       // the user stopped the wait: nothing was written
    NothingToSettle, // asked to settle an interrupted save where there is none
};

// A failure raised below the windows and reported to the user by the one
// report of an unhandled failure. The numbers follow the classic run-time
// error numbers the report shows.
struct Failure
{
    Failure(int number, QString description, QString key = QString())
        : number(number), description(std::move(description)), key(std::move(key))
    {
    }
    Failure(int number, QString description, FailureKind kind, QString copy)
        : number(number), description(std::move(description)), kind(kind), copy(std::move(copy))
    {
    }

    int number = 0;
    QString description;
    QString key; // the settings key whose value was refused, if that is the failure
    FailureKind kind = FailureKind::Refused;
    QString copy; // InterruptedSave: the copy of the content before the cut-off save; FinishedAside: the new content
};

namespace FailureNumber {
constexpr int TypeMismatch = 13;      // a value that is not a number where one is required
constexpr int FileAccess = 75;        // a file that cannot be read or written
constexpr int InvalidValue = 5;       // a value the file cannot hold
constexpr int ProgramNotFound = 53;   // no program to open a web address with
}

} // namespace engine
