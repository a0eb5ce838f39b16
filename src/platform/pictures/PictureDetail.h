#pragma once

// Helpers shared by the picture decoders (inside the pictures folder only).

#include "platform/pictures/Picture.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm6::pictures::detail {

inline uint16_t ReadU16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline uint32_t ReadU32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
           (uint32_t{b[at + 3]} << 24);
}
inline int32_t ReadI32(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(ReadU32(b, at));
}

// True when a width x height image is allowed (both positive, at most
// kMaxPixels pixels).
inline bool SizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPixels && height <= kMaxPixels &&
           width * height <= kMaxPixels;
}

// How the fourth byte of a 32-bit BI_RGB pixel is read.
enum class DibAlpha {
    Opaque,     // ignored: every pixel opaque (a bitmap)
    FourthByte, // the pixel's alpha (an icon image)
};

// A decoded DIB: its pixels, and where its colour bits end in the bytes it
// was decoded from (an icon's AND mask follows there).
struct DibResult {
    Image image;
    size_t bitsEnd = 0;
};

// Decodes the DIB in `dib`. `heightDivisor` is 2 for an icon image, whose
// header gives the height of the colour bits and the mask together. When
// `bitsOffset` is given the colour bits start there (a .bmp file's
// bfOffBits, counted from the start of `dib`) instead of right after the
// colour table.
std::optional<DibResult> DecodeDibBits(std::span<const uint8_t> dib, int32_t heightDivisor, DibAlpha alpha,
                                       std::optional<size_t> bitsOffset = std::nullopt);

inline bool IsPng(std::span<const uint8_t> b) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 8)
        return false;
    for (size_t i = 0; i < 8; ++i)
        if (b[i] != kSignature[i])
            return false;
    return true;
}

} // namespace qm6::pictures::detail
