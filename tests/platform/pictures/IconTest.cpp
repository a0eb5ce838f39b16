// Icon images (colour bits and AND mask, alpha, PNG entries), the choice of
// an icon group's entry, .ico files, and bitmaps and icons loaded from a
// resource library.

#include "Builders.h"
#include "platform/resources/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::pictures::test {
namespace {

// An icon image of one colour (0xAARRGGBB; below 32 bits through a palette
// of black and the colour), black in the even columns when `stripes`.
Bytes Icon(int32_t w, int32_t h, uint16_t bpp, uint32_t color,
           std::function<bool(int32_t, int32_t)> mask = {}, bool stripes = false) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bpp = bpp;
    s.icon = true;
    s.maskBit = std::move(mask);
    const bool paletted = bpp <= 8;
    if (paletted) {
        s.palette = {0, color & 0xFFFFFF};
        s.clrUsed = 2;
    }
    s.value = [=](int32_t x, int32_t) {
        const bool black = stripes && x % 2 == 0;
        return paletted ? uint32_t(!black) : black ? 0u : color;
    };
    return MakeDib(s);
}

// The mask makes pixels transparent, except in a 32-bit image with any alpha
// (older 32-bit images have every alpha 0).
TEST(IconImageTest, MaskMakesPixelsTransparentUnlessThereIsAlpha) {
    const auto diagonal = [](int32_t x, int32_t y) { return x == y; };
    // Depths are unpacked as in any DIB (DibTest); the mask follows the colour bits.
    for (const auto& [bpp, color] : {std::pair{4, 0xFF8000u}, {32, 0xFF8000u}, {32, 0x80FF8000u}}) {
        // 5 wide: mask rows padded from 1 byte to 4.
        const auto image = DecodeIconImage(Icon(5, 3, uint16_t(bpp), color, diagonal, true));
        ASSERT_TRUE(image) << bpp;
        ASSERT_EQ(image->width, 5);
        ASSERT_EQ(image->height, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x)
                EXPECT_EQ(image->Pixel(x, y), color >> 24 ? (x % 2 ? color : 0u)
                                              : x == y    ? 0u
                                                          : 0xFF000000u | (x % 2 ? color : 0u))
                    << bpp << " bits at " << x << "," << y << " colour " << std::hex << color;
    }
}

// A PNG entry is read as PNG (IcoFileTest); a DIB entry needs its mask.
TEST(IconImageTest, RefusesAnImageWithoutItsMaskOrItsRows) {
    // The mask is part of the image: cut into it, the image is refused.
    const Bytes icon = Icon(8, 8, 24, 0x112233);
    ASSERT_TRUE(DecodeIconImage(icon));
    for (size_t n = 0; n < icon.size(); ++n)
        ASSERT_FALSE(DecodeIconImage(std::span(icon.data(), n))) << n;
    // A height of 1 leaves no row for the colour bits.
    EXPECT_FALSE(DecodeIconImage(Patched(icon, {{8, 1}})));
}

// Group entries: width, height, colour count, bit count.
res::IconGroupEntry E(uint8_t w, uint8_t h, uint16_t bits, uint8_t colors = 0) {
    res::IconGroupEntry e;
    e.width = w;
    e.height = h;
    e.colorCount = colors;
    e.planes = 1;
    e.bitCount = bits;
    return e;
}

TEST(ChooseIconEntryTest, FollowsTheLoadersRule) {
    const std::vector<res::IconGroupEntry> group = {E(16, 16, 4),  E(16, 16, 8),  E(32, 32, 4),
                                                    E(32, 32, 32), E(48, 48, 32), E(0, 0, 32)};
    const struct {
        const char* name;
        std::vector<res::IconGroupEntry> entries;
        int32_t width, height;
        int32_t expect;
    } cases[] = {
        {"exact size, deepest", group, 16, 16, 1},
        {"zero takes the first entry's size", group, 0, 0, 1},
        // 16 x 32: 16 x 16 and 32 x 32 are as near, but the first split
        // (0 across, 16 down) is the one that counts.
        {"zero width takes the first entry's width", group, 0, 32, 1},
        {"nearest size above", group, 44, 44, 4},
        {"equal distances: the same depth first", group, 40, 40, 3},
        {"equal distances: then depth", group, 24, 24, 3},
        {"a zero size entry is 256", group, 200, 200, 5},
        {"depth from the colour count",
         {E(32, 32, 0, 2), E(32, 32, 0, 16), E(32, 32, 0, 0)},
         32,
         32,
         2},
        {"a tie takes the first", {E(32, 32, 32), E(32, 32, 32)}, 32, 32, 0},
        {"depth above 32", {E(32, 32, 48), E(32, 32, 24)}, 32, 32, 1},
        {"empty", {}, 32, 32, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseIconEntry(c.entries, c.width, c.height), c.expect)
            << c.name << " at " << c.width << " x " << c.height;
}

// An .ico file with three sizes of different colours.
Bytes ThreeSizes() {
    return MakeIcoFile({{16, 16, 8, Icon(16, 16, 8, 0xFF0000)},
                        {32, 32, 32, Icon(32, 32, 32, 0xFF00FF00)},
                        {48, 48, 32, Icon(48, 48, 32, 0xFF0000FF)}});
}

TEST(IcoFileTest, ChoosesAndStretches) {
    Image png;
    png.width = png.height = 20;
    png.pixels.assign(400, 0xFF336699);
    const Bytes three = ThreeSizes(), one = MakeIcoFile({{20, 20, 32, EncodePng(png)}});
    struct {
        const Bytes* ico;
        int32_t w, h;
        int32_t expectW, expectH;
        uint32_t color;
    } cases[] = {
        {&three, 0, 0, 32, 32, 0xFF00FF00},   // the default icon size, at its own size
        {&three, 64, 64, 64, 64, 0xFF0000FF}, // 48 stretched
        {&three, 16, 0, 16, 16, 0xFFFF0000},  // a 0 takes the chosen image's extent
        {&one, 20, 20, 20, 20, 0xFF336699},   // a PNG entry
    };
    for (const auto& c : cases) {
        const auto image = DecodeIcoFile(*c.ico, c.w, c.h);
        ASSERT_TRUE(image) << c.w << "x" << c.h;
        EXPECT_EQ(image->width, c.expectW);
        EXPECT_EQ(image->height, c.expectH);
        for (uint32_t p : image->pixels)
            ASSERT_EQ(p, c.color) << c.w << "x" << c.h;
    }
}

TEST(IcoFileTest, RefusesDamage) {
    const Bytes ico = ThreeSizes();
    for (size_t n = 0; n < ico.size(); ++n)
        ASSERT_FALSE(DecodeIcoFile(std::span(ico.data(), n), 48, 48)) << "cut at " << n;
    const struct {
        const char* name;
        Field field;
    } damage[] = {
        {"Reserved", {0, 1, 2}},
        {"Cursor", {2, 2, 2}},
        {"NoImages", {4, 0, 2}},
        {"MoreImagesThanDirectory", {4, 0xFFFF, 2}},
        {"SizeBeyondFile", {6 + 16 + 8, 0x10000}},
        {"OffsetBeyondFile", {6 + 16 + 12, 0xFFFFFFF0}},
        {"SizeTooSmallForImage", {6 + 16 + 8, 40}},
    };
    for (const auto& d : damage)
        EXPECT_FALSE(DecodeIcoFile(Patched(ico, {d.field}), 32, 32)) << d.name;
}

// The branding fixture library built for the resource tests: bitmaps 101
// and HEADERLOGO (3 x 2, 24 bits), icon groups 1 and APPICON (2 x 2 and
// 4 x 4, 32 bits; image i of a size has blue = shade, green = i, red =
// 255 - i, stored bottom-up).
class ResourcePictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto loaded =
            res::ResourceLibrary::Load(std::string(QM6_RES_FIXTURE_BIN) + "/x86_64/branding.dll");
        ASSERT_TRUE(loaded) << loaded.error;
        library_ = std::move(loaded.library);
    }
    std::optional<res::ResourceLibrary> library_;
};

uint32_t FixtureIconPixel(int32_t size, uint32_t shade, int32_t x, int32_t y) {
    const uint32_t i = uint32_t((size - 1 - y) * size + x);
    return 0xFF000000u | (255 - i) << 16 | i << 8 | shade;
}

TEST_F(ResourcePictureTest, BitmapsAndIconsAtTheSizeAsked) {
    // The bits are read as any DIB (DibTest): one pixel shows the right resource, the right way
    // up.
    for (const res::ResourceId& name : {res::ResourceId(101), res::ResourceId("HEADERLOGO")}) {
        const auto image = LoadBitmapResource(*library_, name);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 3);
        ASSERT_EQ(image->height, 2);
        EXPECT_EQ(image->Pixel(2, 0), 0xFF000000u | 200u << 16 | 20u << 8 | 20u);
    }
    for (const res::ResourceId& name : {res::ResourceId(1), res::ResourceId("APPICON")}) {
        // No size: the group's first image at its own size.
        auto image = LoadIconResource(*library_, name);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 2);
        ASSERT_EQ(image->height, 2);
        EXPECT_EQ(image->Pixel(0, 0), FixtureIconPixel(2, 0x40, 0, 0));
        EXPECT_EQ(image->Pixel(1, 1), FixtureIconPixel(2, 0x40, 1, 1));
        // 16 x 16: the 4 x 4 image (the nearest), stretched (ScaleTest pins how).
        image = LoadIconResource(*library_, name, 16, 16);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 16);
        EXPECT_EQ(image->Pixel(15, 1), FixtureIconPixel(4, 0x80, 3, 0));
    }
    EXPECT_FALSE(LoadBitmapResource(*library_, 102));
    EXPECT_FALSE(LoadIconResource(*library_, 7));
    EXPECT_FALSE(LoadIconResource(*library_, 101)); // a bitmap, not an icon
}

// A size asked for above kMaxRequestedSide a side is refused by every loader
// that stretches, before any image is made (16000 x 16000 would be a
// gigabyte); up to it the picture comes at that size.
TEST_F(ResourcePictureTest, SizesAskedAboveTheLimitAreRefused) {
    const Bytes ico = ThreeSizes();
    const std::function<std::optional<Image>(int32_t, int32_t)> loaders[] = {
        [&](int32_t w, int32_t h) { return LoadBitmapResource(*library_, 101, w, h); },
        [&](int32_t w, int32_t h) { return LoadIconResource(*library_, 1, w, h); },
        [&](int32_t w, int32_t h) { return DecodeIcoFile(ico, w, h); },
    };
    constexpr int32_t kMost = kMaxRequestedSide;
    const struct {
        int32_t w, h;
        bool allowed;
    } cases[] = {{kMost, 2, true}, {2, kMost, true}, {kMost + 1, 0, false}, {2, kMost + 1, false}};
    for (size_t i = 0; i < std::size(loaders); ++i)
        for (const auto& c : cases) {
            const auto image = loaders[i](c.w, c.h);
            ASSERT_EQ(image.has_value(), c.allowed)
                << "loader " << i << " at " << c.w << " x " << c.h;
            if (image) {
                EXPECT_EQ(image->width, c.w);
                EXPECT_EQ(image->height, c.h);
            }
        }
}

} // namespace
} // namespace qm6::pictures::test
