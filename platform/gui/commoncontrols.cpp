#include "platform/gui/commoncontrols.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#include <commctrl.h>
#endif

namespace platform {

void initCommonControls()
{
#ifdef Q_OS_WIN
    ::InitCommonControls();
#else
    // Other platforms have no common-controls library to load: Qt draws
    // every control itself.
#endif
}

} // namespace platform
