#pragma once

#include <functional>

// The two failure policies of the windows' handlers.
namespace forms {

// Runs the handler; its first failure ends it and goes to the report of an
// unhandled failure. The steps before the failure have taken effect.
void runReported(const std::function<void()> &handler);

// Runs one step of a resume-next handler: a failure skips the step silently.
void resumeNext(const std::function<void()> &step);

} // namespace forms
