// Fuzz target for the DIB decoder: arbitrary bytes as a bitmap resource's
// DIB and as a .bmp file. A decoded image is within the pixel limit and has
// exactly width x height pixels, all opaque.

#include "platform/pictures/Picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qm6::pictures;

namespace {

void Check(const std::optional<Image>& image) {
    if (!image)
        return;
    if (image->width <= 0 || image->height <= 0 ||
        int64_t{image->width} * image->height > kMaxPixels ||
        image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
    for (uint32_t p : image->pixels)
        if ((p >> 24) != 0xFF)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    Check(DecodeDib(bytes));
    Check(DecodeBmpFile(bytes));
    return 0;
}
