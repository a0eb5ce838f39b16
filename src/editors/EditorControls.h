#pragma once

// What every editor does with its controls as a whole.

namespace qm6::forms {
class UserControl;
}

namespace qm6 {

// Sets the editor's own enabled state, then each of its controls' in the
// order they were added. A control that refuses keeps its state and the
// others are still set.
void EnableEditor(forms::UserControl& editor, bool enabled);

} // namespace qm6
