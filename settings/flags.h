#pragma once

#include <QString>

#include <optional>

// Yes/no settings are stored as numbers; 1 means yes.
namespace settings::flags {

// Whether the stored text, taken as a number, equals 1. Blanks around the
// number are ignored, so " 1" and "01" are yes and "2" is no; nullopt when
// the text is empty or not a number.
std::optional<bool> fromText(const QString &text);

// Like fromText, but a text that is not a number throws Failure 13 naming
// the key.
bool fromTextOrFail(const QString &text, const QString &key);

// The digit a check box state is stored as: "1" or "0".
QString toText(bool checked);

} // namespace settings::flags
