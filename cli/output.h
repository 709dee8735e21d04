#pragma once

#include <QByteArray>
#include <QString>

// Text from the settings file on its way out of the tool. The file's owner
// may have put anything in a value: nothing reaches a terminal raw unless
// asked for.
namespace cli {

// Control characters (C0, DEL, C1) as \xHH, the line and paragraph
// separators and the bidirectional formatting characters as \uHHHH, and a
// byte of a UTF-8 file that is not UTF-8 as \xHH: safe on a terminal, one
// value per line.
QString escaped(const QString &value);

// A JSON string, quotes included, with every character that escaped()
// escapes written as \uHHHH.
QString jsonString(const QString &value);

} // namespace cli
