#pragma once

// What enabling or disabling an editor does first: the editor itself and
// then each of its controls, in the editor's control order. A control that
// refuses to be enabled or disabled is skipped and keeps its state.

namespace qm6::forms {
class UserControl;
}

namespace qm6 {

void EnableControls(forms::UserControl& editor, bool enabled);

} // namespace qm6
