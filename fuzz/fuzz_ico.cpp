// Fuzz target for icons: arbitrary bytes as an .ico file at several sizes
// (stretching included), as one icon image (a DIB with its mask, or a PNG),
// and as the directory of an icon group for the entry choice. A decoded
// image at a size asked has that size; a choice is an index of the group.

#include "platform/pictures/Picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace qm6::pictures;

namespace {

void Check(const std::optional<Image>& image, int32_t width, int32_t height) {
    if (!image)
        return;
    if (image->pixels.size() != size_t(image->width) * size_t(image->height) || image->width <= 0 ||
        image->height <= 0 || int64_t{image->width} * image->height > kMaxPixels)
        std::abort();
    if ((width > 0 && image->width != width) || (height > 0 && image->height != height))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    static constexpr int32_t kSizes[][2] = {{0, 0}, {16, 16}, {32, 32}, {48, 48}, {24, 0}};
    for (const auto& s : kSizes)
        Check(DecodeIcoFile(bytes, s[0], s[1]), s[0], s[1]);
    Check(DecodeIconImage(bytes), 0, 0);

    // The bytes as icon group entries (14 bytes each).
    std::vector<qm6::res::IconGroupEntry> entries;
    for (size_t at = 0; at + 14 <= size && entries.size() < 64; at += 14) {
        qm6::res::IconGroupEntry e;
        e.width = data[at];
        e.height = data[at + 1];
        e.colorCount = data[at + 2];
        e.planes = uint16_t(data[at + 4] | data[at + 5] << 8);
        e.bitCount = uint16_t(data[at + 6] | data[at + 7] << 8);
        entries.push_back(e);
    }
    for (const auto& s : kSizes) {
        const int32_t index = ChooseIconEntry(entries, s[0], s[1]);
        if (index < -1 || index >= int32_t(entries.size()) || (index == -1) != entries.empty())
            std::abort();
    }
    return 0;
}
