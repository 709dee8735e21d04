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
        if (failure.kind != FailureKind::Cancelled) // the user's own choice: nothing to report
            platform::reportUnhandled(failure, QString::fromUtf8(identity::kProgramTitle));
    }
}

} // namespace forms
