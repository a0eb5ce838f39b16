#pragma once

// Platform colour values to Qt colours for the grid.

#include "platform/forms/SystemColors.h"

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace qm6::forms {

// The system colour of value 0x800000nn: index nn of the platform's colour
// table taken from a palette role (8 window text, 17 grey text, 18 button
// text, ...); an index outside the table gives the window text colour. Any
// other value is an RGB colour stored as 0x00BBGGRR (the high byte ignored).
QColor ResolveColor(uint32_t value, const QPalette& palette);

} // namespace qm6::forms
