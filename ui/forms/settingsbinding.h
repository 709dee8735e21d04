#pragma once

#include "catalogue.h"

#include <QString>

#include <functional>

class QWidget;

// Loads and saves one window's catalogue keys between its controls and the
// settings file, in the window's own orders.
namespace forms {

// The settings file path, asked afresh for every key.
using PathSource = std::function<QString()>;

struct LoadPolicy
{
    bool resumeNext = false;          // a failing step is skipped and the load goes on
    bool unreadableFlagClears = false; // a flag that is not a number clears its box
                                       // instead of failing
};

// Text keys replace their box's text; several keys may share one box, and a
// later empty value then does not blank what an earlier key of the same
// load put there. Flags check their box when the value is 1 and clear it
// for any other number.
void loadSettings(QWidget *form, catalogue::Window window, const PathSource &path,
                  LoadPolicy policy);

// Writes every key of the window, changed or not; the first failure ends the
// save (the keys before it are written) and propagates.
void saveSettings(QWidget *form, catalogue::Window window, const PathSource &path);

} // namespace forms
