#pragma once

#include <QFont>

// The two typefaces the windows are drawn in, named as the classic Windows
// fonts and replaced, where those are not installed, by the nearest fonts of
// the same size, weight and slant: Liberation Sans (fonts-liberation2) and
// Z003 (fonts-urw-base35), which the set-up commands, the .deb and the
// Windows bundle provide.
namespace desktop {

enum class Typeface { SansSerif, Calligraphic };

QFont windowFont(Typeface typeface, qreal points, bool bold = false, bool italic = false);

// Whether the windows' sans-serif, drawn in `family` on this machine, is
// narrowed: the free stand-ins run about 8 % wider than MS Sans Serif at the
// same size, which would push labels such as "Criar Personagem :" onto a
// line their box cannot show. The classic font and its TrueType successor
// are not.
bool narrowed(const QString &family);

// The font of everything a window's table does not style itself (its menu
// bar, the questions, the file dialog): the windows' own MS Sans Serif at
// 8.25 pt, rather than whatever the machine's font configuration calls its
// default sans-serif.
QFont defaultWindowFont();

// Makes the fonts shipped beside the program (its "fonts" folder, in the
// Windows bundle) known to Qt and sets up the substitutions, once.
void setUpFonts();

} // namespace desktop
