#include "editors/EnableControls.h"

#include "platform/forms/UserControl.h"

namespace qm6 {

void EnableControls(forms::UserControl& editor, bool enabled) {
    editor.forms::UserControl::Enabled(enabled);
    for (forms::Control* control : editor.Controls()) {
        try {
            control->Enabled(enabled);
        } catch (...) {
            // A control that cannot be enabled or disabled keeps its state.
        }
    }
}

} // namespace qm6
