// Icon images (colour bits and AND mask, alpha, PNG entries), the choice of
// an icon group's entry, .ico files, and bitmaps and icons loaded from a
// resource library.

#include "Builders.h"
#include "platform/resources/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::pictures::test {
namespace {

// The mask makes pixels transparent, except in a 32-bit image with any alpha
// (older 32-bit images have every alpha 0). Depths are unpacked as in any
// DIB (DibTest); the mask follows the colour bits and is part of the image:
// cut into it, or with a height of 1 (no row for the colour bits), the image
// is refused. A PNG entry is read as PNG (IcoFileTest).
TEST(IconImageTest, MaskMakesPixelsTransparentUnlessThereIsAlpha) {
    const auto diagonal = [](int32_t x, int32_t y) { return x == y; };
    for (const auto& [bpp, color] : {std::pair{4, 0xFF8000u}, {32, 0xFF8000u}, {32, 0x80FF8000u}}) {
        SCOPED_TRACE(testing::Message() << bpp << " bits, colour " << std::hex << color);
        // 5 wide: mask rows padded from 1 byte to 4.
        const Bytes icon = MakeIcon(5, 3, uint16_t(bpp), color, diagonal);
        const auto expect = [color](int32_t x, int32_t y) {
            return color >> 24 ? color : x == y ? 0u : 0xFF000000u | color;
        };
        EXPECT_EQ(Dump(DecodeIconImage(icon)), Dump(MakeImage(5, 3, expect)));
        for (size_t n = 0; n < icon.size() && !(color >> 24); ++n) // the mask is read
            ASSERT_FALSE(DecodeIconImage(std::span(icon.data(), n))) << n;
        EXPECT_FALSE(DecodeIconImage(Patched(icon, {{8, 1}})));
    }
}

// Group entries: width, height, colour count, bit count.
res::IconGroupEntry E(uint8_t w, uint8_t h, uint16_t bits, uint8_t colors = 0) {
    return {w, h, colors, 1, bits};
}

TEST(ChooseIconEntryTest, FollowsTheLoadersRule) {
    const std::vector<res::IconGroupEntry> group = {E(16, 16, 4),  E(16, 16, 8),  E(32, 32, 4),
                                                    E(32, 32, 32), E(48, 48, 32), E(0, 0, 32)};
    EXPECT_EQ(ChooseIconEntry(group, 16, 16), 1); // the exact size, deepest
    // 16 x 32 (a zero takes the first entry's extent): 16 x 16 and 32 x 32
    // are as near, but the first split (0 across, 16 down) is the one that
    // counts.
    EXPECT_EQ(ChooseIconEntry(group, 0, 32), 1);
    EXPECT_EQ(ChooseIconEntry(group, 40, 40), 3);   // equal distances: the same depth, the first
    EXPECT_EQ(ChooseIconEntry(group, 200, 200), 5); // a zero size entry is 256
    const std::vector<res::IconGroupEntry> byColours = {E(32, 32, 0, 2), E(32, 32, 0, 16),
                                                        E(32, 32, 0, 0)};
    EXPECT_EQ(ChooseIconEntry(byColours, 32, 32), 2); // depth from the colour count
}

// An .ico file with three sizes of different colours.
Bytes ThreeSizes() {
    return MakeIcoFile({{16, 16, 8, MakeIcon(16, 16, 8, 0xFF0000)},
                        {32, 32, 32, MakeIcon(32, 32, 32, 0xFF00FF00)},
                        {48, 48, 32, MakeIcon(48, 48, 32, 0xFF0000FF)}});
}

TEST(IcoFileTest, ChoosesStretchesAndRefusesDamage) {
    const auto solid = [](int32_t w, int32_t h, uint32_t color) {
        return Dump(MakeImage(w, h, [=](int32_t, int32_t) { return color; }));
    };
    const Bytes three = ThreeSizes();
    // The default icon size at its own size; 48 stretched; a 0 takes the
    // chosen image's extent; a PNG entry.
    EXPECT_EQ(Dump(DecodeIcoFile(three)), solid(32, 32, 0xFF00FF00));
    EXPECT_EQ(Dump(DecodeIcoFile(three, 64, 64)), solid(64, 64, 0xFF0000FF));
    EXPECT_EQ(Dump(DecodeIcoFile(three, 16, 0)), solid(16, 16, 0xFFFF0000));
    const Bytes png = EncodePng(MakeImage(20, 20, [](int32_t, int32_t) { return 0xFF336699u; }));
    EXPECT_EQ(Dump(DecodeIcoFile(MakeIcoFile({{20, 20, 32, png}}), 20, 20)),
              solid(20, 20, 0xFF336699));

    for (size_t n = 0; n < three.size(); ++n)
        ASSERT_FALSE(DecodeIcoFile(std::span(three.data(), n), 48, 48)) << "cut at " << n;
    const std::pair<const char*, Field> damage[] = {
        {"Reserved", {0, 1, 2}},
        {"Cursor", {2, 2, 2}},
        {"SizeTooSmallForImage", {6 + 16 + 8, 40}},
    };
    for (const auto& [name, field] : damage)
        EXPECT_FALSE(DecodeIcoFile(Patched(three, {field}), 32, 32)) << name;
}

// The branding fixture library built for the resource tests: bitmaps 101
// and HEADERLOGO (3 x 2, 24 bits), icon groups 1 and APPICON (2 x 2 and
// 4 x 4, 32 bits; image i of a size has blue = shade, green = i, red =
// 255 - i, stored bottom-up). Up to kMaxRequestedSide a side a picture comes
// at the size asked; above it every loader that stretches refuses before any
// image is made (16000 x 16000 would be a gigabyte).
TEST(ResourcePictureTest, BitmapsAndIconsAtTheSizeAskedUpToTheLimit) {
    auto loaded =
        res::ResourceLibrary::Load(std::string(QM6_RES_FIXTURE_BIN) + "/x86_64/branding.dll");
    ASSERT_TRUE(loaded) << loaded.error;
    const res::ResourceLibrary& library = *loaded.library;
    // The bitmap: red 200, green 20 on the top row, blue 10 a column.
    const Image bitmap = MakeImage(3, 2, [](int32_t x, int32_t y) {
        return 0xFFC80000u | (y ? 0u : 20u << 8) | uint32_t(10 * x);
    });
    // An icon image of size x size, each pixel repeated `scale` times each way.
    const auto icon = [](int32_t size, uint32_t shade, int32_t scale) {
        return MakeImage(size * scale, size * scale, [=](int32_t x, int32_t y) {
            const uint32_t i = uint32_t((size - 1 - y / scale) * size + x / scale);
            return 0xFF000000u | (255 - i) << 16 | i << 8 | shade;
        });
    };
    EXPECT_EQ(Dump(LoadBitmapResource(library, 101)), Dump(bitmap));
    // No size: the group's first image at its own size; 16 x 16: the 4 x 4
    // image (the nearest), stretched.
    EXPECT_EQ(Dump(LoadIconResource(library, 1)), Dump(icon(2, 0x40, 1)));
    EXPECT_EQ(Dump(LoadIconResource(library, "APPICON", 16, 16)), Dump(icon(4, 0x80, 4)));
    EXPECT_FALSE(LoadBitmapResource(library, 102));
    EXPECT_FALSE(LoadIconResource(library, 101)); // a bitmap, not an icon

    const Bytes ico = ThreeSizes();
    const std::function<std::optional<Image>(int32_t, int32_t)> loaders[] = {
        [&](int32_t w, int32_t h) { return LoadBitmapResource(library, 101, w, h); },
        [&](int32_t w, int32_t h) { return LoadIconResource(library, 1, w, h); },
        [&](int32_t w, int32_t h) { return DecodeIcoFile(ico, w, h); },
    };
    constexpr int32_t kMost = kMaxRequestedSide;
    for (size_t i = 0; i < std::size(loaders); ++i)
        for (const auto& [w, h, allowed] : {std::tuple{kMost, 2, true},
                                            {2, kMost, true},
                                            {kMost + 1, 0, false},
                                            {2, kMost + 1, false}})
            EXPECT_EQ(SizeOf(loaders[i](w, h)),
                      allowed ? std::to_string(w) + " x " + std::to_string(h) : "refused")
                << "loader " << i;
}

} // namespace
} // namespace qm6::pictures::test
