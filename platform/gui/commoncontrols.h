#pragma once

namespace platform {

// Prepares the system's common controls before a window creates its own.
void initCommonControls();

} // namespace platform
