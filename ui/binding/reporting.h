#pragma once

#include <functional>

// The failure policy of the windows' handlers.
namespace ui::binding {

// Runs the handler; its first failure ends it and goes to the report of an
// unhandled failure, but for a wait the user cancelled. The steps before the
// failure have taken effect.
// Whether it ran to its end.
bool runReported(const std::function<void()> &handler);

} // namespace ui::binding
