#pragma once

// Where the console puts an editor of the library: on a page of its own, at
// its design size, with a margin around it that the page's size includes.

#include <cstdint>

class QWidget;

namespace qm6::forms {
class UserControl;
}

namespace qm6::console {

void PlaceEditor(forms::UserControl& editor, QWidget* page, int32_t designWidth, int32_t designHeight);

} // namespace qm6::console
