#pragma once

// The limit dialog's window icon: a meter dial whose needle stands at a red
// mark, 16 x 16 pixels, drawn in code so that it needs no file.

#include "platform/pictures/Picture.h"

namespace qm6 {

pictures::PicturePtr LimitIcon();

} // namespace qm6
