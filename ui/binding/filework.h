#pragma once

#include "engine/filebytes.h"

#include <functional>

class QWidget;

namespace ui::binding {

// Runs file work (a load, a save) on a thread of its own, so that every
// window keeps painting while it waits for the file. Until the work ends the
// user's input waits; after half a second a small window says what the work
// waits for, with "Cancelar", which stops the wait and leaves the file as it
// was. The work's Failure is thrown again here.
void runFileWork(QWidget *owner, const std::function<void(const engine::filebytes::Patience &)> &work);

// Whether file work runs now (its wait lets other events through).
bool fileWorkRunning();

} // namespace ui::binding
