#include "editors/EditorControls.h"

#include "platform/forms/Control.h"
#include "platform/forms/UserControl.h"

namespace qm6 {

void EnableEditor(forms::UserControl& editor, bool enabled) {
    editor.Enabled(enabled);
    for (forms::Control* control : editor.Controls()) {
        try {
            control->Enabled(enabled);
        } catch (...) {
            // A control that cannot be enabled or disabled keeps its state.
        }
    }
}

} // namespace qm6
