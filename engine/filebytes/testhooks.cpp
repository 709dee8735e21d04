#include "engine/filebytes/testhooks.h"

#include "engine/filebytes/settling.h"

#include <atomic>

namespace engine::filebytes::testhooks {
namespace {

std::atomic<FlushHook> flushHook{nullptr};
std::atomic<StepHook> stepHook{nullptr};
std::atomic<std::chrono::nanoseconds::rep> budget{settling::kBudget.count()};

} // namespace

void setDefaultBudget(std::chrono::nanoseconds value)
{
    budget = value.count();
}

void setFlushHook(FlushHook hook)
{
    flushHook = hook;
}

int flushResult(Flushed what, int result)
{
    const FlushHook hook = flushHook;
    return hook ? hook(what, result) : result;
}

void setStepHook(StepHook hook)
{
    stepHook = hook;
}

void reached(Step step)
{
    if (const StepHook hook = stepHook)
        hook(step);
}

} // namespace engine::filebytes::testhooks

namespace engine::filebytes::settling {

Nanoseconds defaultBudget()
{
    return Nanoseconds(testhooks::budget.load());
}

} // namespace engine::filebytes::settling
