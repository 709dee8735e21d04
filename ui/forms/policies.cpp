#include "ui/forms/policies.h"

#include "platform/gui/dialogs.h"
#include "platform/failure.h"
#include "ui/identity.h"

namespace forms {

void runReported(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Failure &failure) {
        platform::reportUnhandled(failure, QString::fromUtf8(identity::kProgramTitle));
    }
}

void resumeNext(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Failure &) {
        // skipped on purpose: the load goes on with its next step
    }
}

} // namespace forms
