#include "platform/pictures/Picture.h"

#include "platform/pictures/PictureDetail.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace qm6::pictures {

using detail::ReadU16;
using detail::ReadU32;

namespace {

// The platform's default icon size (SM_CXICON x SM_CYICON).
constexpr int32_t kDefaultIconSize = 32;
// The display's colour depth the loader prefers images for.
constexpr int32_t kDisplayBitsPerPixel = 32;

int32_t EntryWidth(const res::IconGroupEntry& e) {
    return e.width == 0 ? 256 : e.width;
}
int32_t EntryHeight(const res::IconGroupEntry& e) {
    return e.height == 0 ? 256 : e.height;
}
// An entry's colour depth: its bit count, or when that is 0 (some old
// tools leave it) the depth its colour count implies.
int32_t EntryBits(const res::IconGroupEntry& e) {
    const int32_t bits = e.bitCount;
    if (bits != 0)
        return bits;
    switch (e.colorCount) {
    case 2: return 1;
    case 16: return 4;
    default: return 8;
    }
}

// The image resized to the size asked, where a 0 keeps the image's own
// extent in that direction; nullopt when the result would be too large.
std::optional<Image> FitTo(Image image, int32_t width, int32_t height) {
    const int32_t w = width > 0 ? width : image.width;
    const int32_t h = height > 0 ? height : image.height;
    if (w == image.width && h == image.height)
        return image;
    if (!detail::SizeAllowed(w, h))
        return std::nullopt;
    return Scale(image, w, h);
}

} // namespace

Picture::Picture(PictureType type, Image image, std::vector<uint8_t> sourceFile)
    : type_(type), image_(std::move(image)), source_(std::move(sourceFile)) {}

std::optional<Image> DecodeIconImage(std::span<const uint8_t> bytes) {
    if (detail::IsPng(bytes))
        return DecodePng(bytes);

    auto decoded = detail::DecodeDibBits(bytes, 2, detail::DibAlpha::FourthByte);
    if (!decoded)
        return std::nullopt;
    Image& image = decoded->image;
    const uint16_t bpp = ReadU16(bytes, 14 - (ReadU32(bytes, 0) == 12 ? 4 : 0));

    // A 32-bit image carries its own alpha; only when every alpha is 0 (an
    // image made before alpha icons existed) does the mask decide.
    if (bpp == 32 && std::any_of(image.pixels.begin(), image.pixels.end(),
                                 [](uint32_t p) { return (p >> 24) != 0; }))
        return std::move(image);

    // The AND mask: 1 bit a pixel, rows padded to 4 bytes, in the same row
    // order as the colour bits. A 1 makes the pixel transparent. (Where the
    // platform would invert the screen under a set mask bit and a non-black
    // colour, the picture is transparent too: there is no screen to invert.)
    const uint64_t maskStride = ((static_cast<uint64_t>(image.width) + 31) / 32) * 4;
    const uint64_t maskSize = maskStride * static_cast<uint64_t>(image.height);
    if (maskSize > bytes.size() - decoded->bitsEnd)
        return std::nullopt;
    const bool topDown = ReadU32(bytes, 0) != 12 && detail::ReadI32(bytes, 8) < 0;
    for (int32_t row = 0; row < image.height; ++row) {
        const uint8_t* mask = bytes.data() + decoded->bitsEnd + static_cast<uint64_t>(row) * maskStride;
        const int32_t y = topDown ? row : image.height - 1 - row;
        uint32_t* dst = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
        for (int32_t x = 0; x < image.width; ++x) {
            if ((mask[x >> 3] >> (7 - (x & 7))) & 1)
                dst[x] = 0;
            else
                dst[x] |= 0xFF000000u;
        }
    }
    return std::move(image);
}

// The entry the platform's loader (LookupIconIdFromDirectoryEx) takes for a
// width x height icon:
//   1. The size looked for: width x height; a 0 takes the first entry's
//      extent in that direction, so 0 x 0 looks for the size of the group's
//      first image (the loader without LR_DEFAULTSIZE takes the resource's
//      own size, and resource compilers keep the .ico file's order, whose
//      first image is the icon's main size). An entry's width or height of
//      0 means 256.
//   2. The best fit: the smallest |entry width - width| + |entry height -
//      height|; the first entry with that sum sets the pair of differences
//      (x and y) that counts as the best fit.
//   3. Among the entries with exactly those two differences, the one whose
//      colour depth is nearest the display's (32 bits a pixel); on a tie
//      the first.
// An entry's depth is its bit count, or for a bit count of 0 the depth its
// colour count implies (2 colours: 1 bit, 16: 4 bits, else 8 bits).
int32_t ChooseIconEntry(std::span<const res::IconGroupEntry> entries, int32_t width, int32_t height) {
    if (entries.empty())
        return -1;
    const int64_t w = width > 0 ? width : EntryWidth(entries[0]);
    const int64_t h = height > 0 ? height : EntryHeight(entries[0]);

    int64_t bestTotal = -1;
    int64_t bestDx = 0, bestDy = 0;
    for (const auto& e : entries) {
        const int64_t dx = std::llabs(w - EntryWidth(e));
        const int64_t dy = std::llabs(h - EntryHeight(e));
        if (bestTotal < 0 || dx + dy < bestTotal) {
            bestTotal = dx + dy;
            bestDx = dx;
            bestDy = dy;
        }
    }

    int32_t best = -1;
    int64_t bestDepthDiff = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (std::llabs(w - EntryWidth(e)) != bestDx || std::llabs(h - EntryHeight(e)) != bestDy)
            continue;
        const int64_t depthDiff = std::llabs(int64_t{kDisplayBitsPerPixel} - EntryBits(e));
        if (best < 0 || depthDiff < bestDepthDiff) {
            best = static_cast<int32_t>(i);
            bestDepthDiff = depthDiff;
        }
    }
    return best;
}

// An .ico file: ICONDIR (reserved 0, type 1, count), then count
// ICONDIRENTRYs of 16 bytes (width, height, colour count, reserved, planes,
// bit count, bytes in the image, the image's offset in the file). The image
// is chosen as from an icon group. At 0 x 0 the choice is made for the
// platform's default icon size and the image keeps its own size, as a
// picture loaded from an icon file does; at any other size the image is
// stretched to that size.
std::optional<Image> DecodeIcoFile(std::span<const uint8_t> file, int32_t width, int32_t height) {
    if (!RequestedSizeAllowed(width, height))
        return std::nullopt;
    if (file.size() < 6 || ReadU16(file, 0) != 0 || ReadU16(file, 2) != 1)
        return std::nullopt;
    const uint16_t count = ReadU16(file, 4);
    if (count == 0 || file.size() < 6 + size_t{count} * 16)
        return std::nullopt;

    struct Placed {
        uint32_t offset;
        uint32_t size;
    };
    std::vector<res::IconGroupEntry> entries(count);
    std::vector<Placed> placed(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 6 + i * 16;
        auto& e = entries[i];
        e.width = file[at];
        e.height = file[at + 1];
        e.colorCount = file[at + 2];
        e.planes = ReadU16(file, at + 4);
        e.bitCount = ReadU16(file, at + 6);
        e.bytesInResource = ReadU32(file, at + 8);
        e.iconId = static_cast<uint16_t>(i);
        placed[i] = {ReadU32(file, at + 12), e.bytesInResource};
    }

    const bool ownSize = width <= 0 && height <= 0;
    const int32_t index = ownSize ? ChooseIconEntry(entries, kDefaultIconSize, kDefaultIconSize)
                                  : ChooseIconEntry(entries, width, height);
    if (index < 0)
        return std::nullopt;
    const Placed& p = placed[static_cast<size_t>(index)];
    if (p.offset > file.size() || p.size > file.size() - p.offset)
        return std::nullopt;
    auto image = DecodeIconImage(file.subspan(p.offset, p.size));
    if (!image || ownSize)
        return image;
    return FitTo(std::move(*image), width, height);
}

std::optional<Image> LoadBitmapResource(const res::ResourceLibrary& library, const res::ResourceId& name,
                                        int32_t width, int32_t height) {
    if (!RequestedSizeAllowed(width, height))
        return std::nullopt;
    const auto found = library.FindBitmap(name);
    if (!found)
        return std::nullopt;
    auto image = DecodeDib(found->data);
    if (!image)
        return std::nullopt;
    return FitTo(std::move(*image), width, height);
}

std::optional<Image> LoadIconResource(const res::ResourceLibrary& library, const res::ResourceId& name,
                                      int32_t width, int32_t height) {
    if (!RequestedSizeAllowed(width, height))
        return std::nullopt;
    const auto entries = library.IconGroup(name);
    if (!entries)
        return std::nullopt;
    const int32_t index = ChooseIconEntry(*entries, width, height);
    if (index < 0)
        return std::nullopt;
    const auto found = library.FindIcon((*entries)[static_cast<size_t>(index)].iconId);
    if (!found)
        return std::nullopt;
    auto image = DecodeIconImage(found->data);
    if (!image)
        return std::nullopt;
    // A 0 takes the chosen image's own extent (the resource's actual size).
    return FitTo(std::move(*image), width, height);
}

PicturePtr LoadPicture(std::span<const uint8_t> file) {
    std::optional<Image> image;
    PictureType type = PictureType::Bitmap;
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
        image = DecodeBmpFile(file);
    } else if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) {
        image = DecodeJpeg(file);
    } else if (file.size() >= 4 && ReadU16(file, 0) == 0 && ReadU16(file, 2) == 1) {
        image = DecodeIcoFile(file);
        type = PictureType::Icon;
    }
    if (!image)
        return nullptr;
    return std::make_shared<const Picture>(type, std::move(*image),
                                           std::vector<uint8_t>(file.begin(), file.end()));
}

} // namespace qm6::pictures
