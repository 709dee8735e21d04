#include "helpers/faultseams.h"

#include "engine/patience.h"

#include <atomic>

namespace faultseams {
namespace {

std::atomic<FlushHook> flushHook{nullptr};
std::atomic<LockHook> lockHook{nullptr};
std::atomic<StepHook> stepHook{nullptr};
std::atomic<std::chrono::nanoseconds::rep> budget{engine::filebytes::settling::kBudget.count()};

} // namespace

void setDefaultBudget(std::chrono::nanoseconds value)
{
    budget = value.count();
}

void setFlushHook(FlushHook hook)
{
    flushHook = hook;
}

void setLockHook(LockHook hook)
{
    lockHook = hook;
}

void setStepHook(StepHook hook)
{
    stepHook = hook;
}

} // namespace faultseams

namespace engine::filebytes::seams {

int flushResult(Flushed what, int result)
{
    const faultseams::FlushHook hook = faultseams::flushHook;
    return hook ? hook(what, result) : result;
}

int lockResult(int result)
{
    const faultseams::LockHook hook = faultseams::lockHook;
    return hook ? hook(result) : result;
}

void reached(Step step)
{
    if (const faultseams::StepHook hook = faultseams::stepHook)
        hook(step);
}

} // namespace engine::filebytes::seams

namespace engine::filebytes::settling {

Nanoseconds defaultBudget()
{
    return Nanoseconds(faultseams::budget.load());
}

} // namespace engine::filebytes::settling
