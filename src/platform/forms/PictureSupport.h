#pragma once

// Pictures on Qt: the pixels of a platform picture as a QImage or QPixmap.

#include "platform/pictures/Picture.h"

#include <QImage>
#include <QPixmap>

namespace qm6::forms {

// A QImage (Format_ARGB32, straight alpha) holding a copy of the pixels; a
// null image for an empty or inconsistent one.
QImage ToQImage(const pictures::Image& image);
QImage ToQImage(const pictures::Picture& picture);
// The same as a pixmap (needs the QGuiApplication); a null pixmap for no
// picture.
QPixmap ToQPixmap(const pictures::Picture& picture);
QPixmap ToQPixmap(const pictures::PicturePtr& picture);

} // namespace qm6::forms
