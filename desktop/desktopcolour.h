#pragma once

#include <QtGlobal>

// The platform's desktop background colour as 0xRRGGBB, used by headings;
// the classic blue RGB(58, 110, 165) where the platform has none.
namespace desktop {

quint32 desktopColour();

} // namespace desktop
