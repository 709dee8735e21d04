#include "platform/filebytes/testhooks.h"

#include <atomic>

namespace filebytes::testhooks {
namespace {

std::atomic<FlushHook> flushHook{nullptr};
std::atomic<StepHook> stepHook{nullptr};

} // namespace

void setFlushHook(FlushHook hook)
{
    flushHook = hook;
}

int flushResult(int result)
{
    const FlushHook hook = flushHook;
    return hook ? hook(result) : result;
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

} // namespace filebytes::testhooks
