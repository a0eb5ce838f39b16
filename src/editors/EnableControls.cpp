#include "editors/EnableControls.h"

#include "platform/forms/Container.h"

namespace qm6 {

void EnableControls(const forms::Container& container, bool enabled) {
    for (forms::Control* control : container.Controls()) {
        try {
            control->Enabled(enabled);
        } catch (...) {
            // A control that cannot be enabled or disabled keeps its state.
        }
    }
}

} // namespace qm6
