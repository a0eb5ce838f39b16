// Device-independent bitmaps: bitmap resources, .bmp files and the colour
// part of icon images.
//
// A bitmap decodes opaque: the platform loads a bitmap resource into a
// device bitmap and draws it without blending, so the fourth byte of a
// 32-bit BI_RGB pixel (and any alpha mask of a V4 or V5 header) is not
// alpha. Bitmaps saved by many painting programs leave garbage or zero
// there; reading it as alpha would make such pictures vanish. Icon images
// are different: there the fourth byte is the icon's alpha channel, and
// their decoder asks for it.

#include "platform/pictures/PictureDetail.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace qm6::pictures {

namespace {

using detail::ReadI32;
using detail::ReadU16;
using detail::ReadU32;

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER

// Pixels a run-length encoded bitmap may have whatever its size (256 x 256).
constexpr uint64_t kRleFreePixels = 65536;

// One colour channel of a bit-field pixel, widened to 8 bits by repeating
// its bits (5 bits abcde become abcdeabc), as the platform widens 5-5-5 and
// 5-6-5 pixels.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            bits = std::bit_width(m >> shift);
        }
    }

    uint32_t Extract(uint32_t v) const {
        if (bits == 0)
            return 0;
        const uint32_t value = (v & mask) >> shift;
        if (bits >= 8)
            return (value >> (bits - 8)) & 0xFF;
        uint32_t r = value << (8 - bits);
        for (int s = bits; s < 8; s *= 2)
            r |= r >> s;
        return r & 0xFF;
    }
};

// Run-length encoded bits (BI_RLE8, BI_RLE4) into the image, whose rows
// count from the bottom. The bits are pairs: a count above 0 repeats the
// next byte's index (RLE4: its two nibbles in turn); a count of 0 is an
// escape: 0 ends the line, 1 ends the bitmap, 2 moves right and up by the
// next two bytes, and 3 to 255 give that many indices as they are (RLE4:
// two a byte), padded to a 16-bit boundary. Pixels no run reaches stay
// black, as in a new device bitmap; runs past the right edge or the top are
// dropped. False when an escape or an absolute run is cut off; bits that
// end without the end-of-bitmap escape keep what was decoded, as the
// platform does.
bool DecodeRle(std::span<const uint8_t> bits, uint32_t bpp, const std::vector<uint32_t>& palette,
               Image& image) {
    const int64_t width = image.width, height = image.height;
    int64_t x = 0, row = 0;
    // Sets the pixel at x on the current row and moves right.
    auto put = [&](uint32_t index) {
        if (x < width && row < height)
            image.pixels[static_cast<size_t>((height - 1 - row) * width + x)] = palette[index];
        ++x;
    };
    size_t i = 0;
    while (i + 2 <= bits.size() && row < height) {
        const uint8_t count = bits[i], value = bits[i + 1];
        i += 2;
        if (count > 0) {
            // A run never wraps to the next line: what passes the right
            // edge is dropped without being walked.
            const int64_t end = x + count;
            for (int k = 0; k < count && x < width; ++k)
                put(bpp == 8 ? value : (k & 1) ? value & 0x0F : value >> 4);
            x = end;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // delta
            if (i + 2 > bits.size())
                return false;
            x += bits[i];
            row += bits[i + 1];
            i += 2;
        } else { // absolute run
            const size_t bytes = bpp == 8 ? value : (size_t{value} + 1) / 2;
            if (i + bytes > bits.size())
                return false;
            const int64_t end = x + value;
            for (size_t k = 0; k < value && x < width; ++k) {
                const uint8_t b = bits[i + (bpp == 8 ? k : k / 2)];
                put(bpp == 8 ? b : (k & 1) ? b & 0x0F : b >> 4);
            }
            x = end;
            i += std::min(bits.size() - i, (bytes + 1) & ~size_t{1});
        }
    }
    return true;
}

bool IsKnownInfoHeaderSize(uint32_t size) {
    // BITMAPINFOHEADER, its two extensions with masks in the header (52 and
    // 56 bytes), BITMAPV4HEADER and BITMAPV5HEADER.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

} // namespace

namespace detail {

std::optional<DibResult> DecodeDibBits(std::span<const uint8_t> dib, int32_t heightDivisor, DibAlpha alpha,
                                       std::optional<size_t> bitsOffset) {
    if (dib.size() < 4)
        return std::nullopt;
    const uint32_t headerSize = ReadU32(dib, 0);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && !IsKnownInfoHeaderSize(headerSize))
        return std::nullopt;
    if (dib.size() < headerSize)
        return std::nullopt;

    int64_t width = 0;
    int64_t height = 0;
    uint32_t bpp = 0;
    uint32_t compression = BI_RGB;
    uint32_t clrUsed = 0;
    bool topDown = false;
    if (core) {
        width = ReadU16(dib, 4);
        height = ReadU16(dib, 6);
        bpp = ReadU16(dib, 10);
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
            return std::nullopt;
    } else {
        width = ReadI32(dib, 4);
        height = ReadI32(dib, 8);
        bpp = ReadU16(dib, 14);
        compression = ReadU32(dib, 16);
        clrUsed = ReadU32(dib, 32);
        if (height < 0) {
            topDown = true;
            height = -height; // int64: no overflow for INT32_MIN
        }
    }
    if (heightDivisor > 1)
        height /= heightDivisor;
    if (!SizeAllowed(width, height))
        return std::nullopt;

    // Run-length encoding: 8-bit RLE8 and 4-bit RLE4 bitmaps, bottom-up
    // only, and never inside an icon.
    const bool rle = (bpp == 8 && compression == BI_RLE8) || (bpp == 4 && compression == BI_RLE4);
    if (rle && (topDown || heightDivisor > 1))
        return std::nullopt;
    switch (bpp) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (compression != BI_RGB && !rle)
            return std::nullopt;
        break;
    case 16:
    case 32:
        if (compression != BI_RGB && compression != BI_BITFIELDS)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }

    // The bit-field masks: after a BITMAPINFOHEADER, else inside the larger
    // headers at the same place.
    uint64_t tableStart = headerSize;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    if (compression == BI_BITFIELDS) {
        if (headerSize == kInfoHeaderSize)
            tableStart += 12;
        if (dib.size() < 52)
            return std::nullopt;
        redMask = ReadU32(dib, 40);
        greenMask = ReadU32(dib, 44);
        blueMask = ReadU32(dib, 48);
        if (headerSize >= 56)
            alphaMask = ReadU32(dib, 52);
    } else if (bpp == 16) {
        redMask = 0x7C00; // 5-5-5
        greenMask = 0x03E0;
        blueMask = 0x001F;
    }

    // The colour table: biClrUsed entries when given (at most 256), else
    // 2^bpp for 8 bits and fewer. Deeper bitmaps may carry a table too
    // (a palette hint for the display); it is skipped.
    const uint64_t entrySize = core ? 3 : 4;
    uint64_t tableEntries = 0;
    if (core)
        tableEntries = bpp <= 8 ? (uint64_t{1} << bpp) : 0;
    else if (clrUsed != 0)
        tableEntries = std::min<uint64_t>(clrUsed, 256);
    else if (bpp <= 8)
        tableEntries = uint64_t{1} << bpp;
    const uint64_t tableEnd = tableStart + tableEntries * entrySize;
    if (tableEnd > dib.size())
        return std::nullopt;

    // Indices past the table's end draw black.
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        palette.assign(size_t{1} << bpp, 0xFF000000u);
        const size_t used = std::min<size_t>(palette.size(), static_cast<size_t>(tableEntries));
        for (size_t i = 0; i < used; ++i) {
            const size_t at = static_cast<size_t>(tableStart + i * entrySize);
            palette[i] = 0xFF000000u | (uint32_t{dib[at + 2]} << 16) | (uint32_t{dib[at + 1]} << 8) | dib[at];
        }
    }

    const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
    const uint64_t bitsStart = bitsOffset ? *bitsOffset : tableEnd;
    if (bitsStart < tableEnd || bitsStart > dib.size())
        return std::nullopt;

    if (rle) {
        // The encoded size is biSizeImage; 0 (or too much) means the rest.
        uint64_t encoded = dib.size() - bitsStart;
        const uint32_t sizeImage = ReadU32(dib, 20);
        if (sizeImage != 0 && sizeImage < encoded)
            encoded = sizeImage;
        // Two bytes of runs give at most 255 pixels. A bitmap that claims
        // more pixels than its bytes could give that way (beyond a small
        // picture's worth, which may be left to the escapes' black) is
        // refused before anything is allocated, so that a few bytes cannot
        // claim and fill a huge picture.
        const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        if (pixels > std::max<uint64_t>(kRleFreePixels, encoded / 2 * 255))
            return std::nullopt;
        DibResult result;
        result.image.width = static_cast<int32_t>(width);
        result.image.height = static_cast<int32_t>(height);
        result.image.pixels.assign(static_cast<size_t>(width * height), 0xFF000000u);
        if (!DecodeRle(dib.subspan(static_cast<size_t>(bitsStart), static_cast<size_t>(encoded)), bpp,
                       palette, result.image))
            return std::nullopt;
        result.bitsEnd = static_cast<size_t>(bitsStart + encoded);
        return result;
    }
    const uint64_t bitsSize = stride * static_cast<uint64_t>(height);
    if (bitsSize > dib.size() - bitsStart)
        return std::nullopt;

    const Channel red(redMask), green(greenMask), blue(blueMask);
    const Channel alphaChannel(alphaMask);
    const bool keepAlpha = alpha == DibAlpha::FourthByte;

    DibResult result;
    Image& image = result.image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.pixels.resize(static_cast<size_t>(width * height));
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = dib.data() + bitsStart + static_cast<uint64_t>(row) * stride;
        const int64_t y = topDown ? row : height - 1 - row;
        uint32_t* dst = image.pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x) {
            uint32_t argb = 0;
            switch (bpp) {
            case 1: argb = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: argb = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F]; break;
            case 8: argb = palette[src[x]]; break;
            case 16: {
                const uint32_t v = src[2 * x] | (uint32_t{src[2 * x + 1]} << 8);
                argb = 0xFF000000u | (red.Extract(v) << 16) | (green.Extract(v) << 8) | blue.Extract(v);
                break;
            }
            case 24: {
                const uint8_t* p = src + 3 * x;
                argb = 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
                break;
            }
            case 32: {
                const uint8_t* p = src + 4 * x;
                const uint32_t v = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
                uint32_t a = 0xFF;
                if (compression == BI_RGB) {
                    argb = v & 0x00FFFFFFu;
                    if (keepAlpha)
                        a = p[3];
                } else {
                    argb = (red.Extract(v) << 16) | (green.Extract(v) << 8) | blue.Extract(v);
                    if (keepAlpha)
                        a = alphaMask != 0 ? alphaChannel.Extract(v) : p[3];
                }
                argb |= a << 24;
                break;
            }
            default: break;
            }
            dst[x] = argb;
        }
    }
    result.bitsEnd = static_cast<size_t>(bitsStart + bitsSize);
    return result;
}

} // namespace detail

std::optional<Image> DecodeDib(std::span<const uint8_t> dib) {
    auto decoded = detail::DecodeDibBits(dib, 1, detail::DibAlpha::Opaque);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded->image);
}

std::optional<Image> DecodeBmpFile(std::span<const uint8_t> file) {
    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the bits.
    if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    const uint32_t offBits = ReadU32(file, 10);
    const auto dib = file.subspan(kFileHeaderSize);
    // An offset of 0 (some writers leave it) means the bits follow the table.
    std::optional<size_t> bitsOffset;
    if (offBits != 0) {
        if (offBits < kFileHeaderSize)
            return std::nullopt;
        bitsOffset = size_t{offBits} - kFileHeaderSize;
    }
    auto decoded = detail::DecodeDibBits(dib, 1, detail::DibAlpha::Opaque, bitsOffset);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded->image);
}

} // namespace qm6::pictures
