#include "desktop/desktopcolour.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace desktop {

quint32 desktopColour()
{
#ifdef Q_OS_WIN
    const DWORD bgr = ::GetSysColor(COLOR_DESKTOP);
    return (GetRValue(bgr) << 16) | (GetGValue(bgr) << 8) | GetBValue(bgr);
#else
    return 0x3A6EA5; // RGB(58, 110, 165)
#endif
}

} // namespace desktop
