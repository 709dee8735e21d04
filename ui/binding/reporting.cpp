#include "ui/binding/reporting.h"

#include "desktop/dialogs.h"
#include "engine/failure.h"
#include "formdata/identity.h"

namespace ui::binding {

bool runReported(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const engine::Failure &failure) {
        if (failure.kind != engine::FailureKind::Cancelled) // the user's own choice: nothing to report
            desktop::reportUnhandled(failure, QString::fromUtf8(formdata::identity::kProgramTitle));
        return false;
    }
}

} // namespace ui::binding
