#pragma once

// The navigation pictures of the console's panels, drawn at the size asked
// (16 and 32 pixels for the small and large ones).

#include "platform/pictures/Picture.h"

namespace qm6::console {

enum class NavPicture { Printer, PriceTag, Fields };

pictures::PicturePtr DrawNavPicture(NavPicture kind, int size);

} // namespace qm6::console
