#include "platform/forms/PictureSupport.h"

#include <cstring>

namespace qm6::forms {

QImage ToQImage(const pictures::Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        return {};
    QImage q(image.width, image.height, QImage::Format_ARGB32);
    if (q.isNull())
        return {};
    // Format_ARGB32 holds each pixel as one native 0xAARRGGBB word, the
    // picture's own layout, so rows copy as they are.
    for (int32_t y = 0; y < image.height; ++y)
        std::memcpy(q.scanLine(y), image.pixels.data() + size_t(y) * size_t(image.width),
                    size_t(image.width) * sizeof(uint32_t));
    return q;
}

QImage ToQImage(const pictures::Picture& picture) {
    return ToQImage(picture.Pixels());
}

QPixmap ToQPixmap(const pictures::Picture& picture) {
    const QImage image = ToQImage(picture);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QPixmap ToQPixmap(const pictures::PicturePtr& picture) {
    return picture ? ToQPixmap(*picture) : QPixmap();
}

} // namespace qm6::forms
