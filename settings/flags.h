#pragma once

#include <QString>

#include <optional>

// The one yes/no rule. Yes/no settings are stored as numbers; 1 means yes.
namespace settings::flags {

// Whether the stored text, taken as a number, equals 1. Blanks around the
// number are ignored, so " 1" and "01" are yes and "2" is no; nullopt when
// the text is empty or not a number.
std::optional<bool> fromText(const QString &text);

// Like fromText, but a text that is not a number throws Failure 13 naming
// the key.
bool fromTextOrFail(const QString &text, const QString &key);

// The digit a yes or a no is stored as: "1" or "0".
QString toText(bool yes);

// A yes or a no given to be written (on the command line, in a preset,
// through a module): "1" or "0", or a word for them in any case ("true",
// "false", "yes", "no", "sim", "não"), as the digit it is stored as.
// Anything else throws Failure 5 naming the key.
QString fromInput(const QString &text, const QString &key);

} // namespace settings::flags
