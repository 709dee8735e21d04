#include "ui/forms/policies.h"

#include "platform/gui/dialogs.h"
#include "platform/failure.h"
#include "ui/identity.h"

namespace forms {

bool runReported(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const Failure &failure) {
        if (failure.kind != FailureKind::Cancelled) // the user's own choice: nothing to report
            platform::reportUnhandled(failure, QString::fromUtf8(identity::kProgramTitle));
        return false;
    }
}

} // namespace forms
