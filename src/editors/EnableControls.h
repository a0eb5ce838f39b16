#pragma once

// What an editor's Enabled does to its controls: each takes the state, and a
// control that has no enabled state keeps what it has.

namespace qm6::forms {
class Container;
}

namespace qm6 {

void EnableControls(const forms::Container& container, bool enabled);

} // namespace qm6
