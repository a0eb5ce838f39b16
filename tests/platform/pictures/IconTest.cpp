// Icon images (colour bits and AND mask, alpha, PNG entries), the choice of
// an icon group's entry, .ico files, and bitmaps and icons loaded from a
// resource library.

#include "Builders.h"
#include "platform/resources/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <png.h>
#include <string>

namespace qm6::pictures::test {
namespace {

// An icon image of one solid colour (0xAARRGGBB; for fewer than 32 bits an
// 8-bit image whose one palette entry is the colour) with a mask.
Bytes SolidIcon(int32_t size, uint16_t bpp, uint32_t color,
                std::function<bool(int32_t, int32_t)> mask = {}) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bpp = bpp;
    s.icon = true;
    s.maskBit = std::move(mask);
    if (bpp <= 8) {
        s.palette = {color & 0xFFFFFF};
        s.clrUsed = 1;
        s.value = [](int32_t, int32_t) { return 0u; };
    } else {
        s.value = [color](int32_t, int32_t) { return color; };
    }
    return MakeDib(s);
}

TEST(IconImageTest, MaskMakesPixelsTransparentBelow32Bits) {
    for (const uint16_t bpp : {1, 4, 8, 24}) {
        DibLayout s;
        s.width = 5; // mask rows padded from 1 byte to 4
        s.height = 3;
        s.bpp = bpp;
        s.icon = true;
        if (bpp <= 8) {
            s.palette = {0x000000, 0xFF8000};
            s.clrUsed = 2;
            s.value = [](int32_t x, int32_t) { return uint32_t(x % 2); };
        } else {
            s.value = [](int32_t x, int32_t) { return x % 2 ? 0xFF8000u : 0u; };
        }
        s.maskBit = [](int32_t x, int32_t y) { return x == y; };
        const auto image = DecodeIconImage(MakeDib(s));
        ASSERT_TRUE(image) << bpp;
        ASSERT_EQ(image->width, 5);
        ASSERT_EQ(image->height, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x) {
                const uint32_t expect = x == y ? 0u : (x % 2 ? 0xFFFF8000u : 0xFF000000u);
                EXPECT_EQ(image->Pixel(x, y), expect) << bpp << " bits at " << x << "," << y;
            }
    }
}

TEST(IconImageTest, ThirtyTwoBitsUseAlphaElseTheMask) {
    DibLayout s;
    s.width = 4;
    s.height = 4;
    s.bpp = 32;
    s.icon = true;
    s.maskBit = [](int32_t x, int32_t) { return x == 0; };
    // With alpha: the alpha counts, the mask does not.
    s.value = [](int32_t x, int32_t y) { return uint32_t(x * 60 + y) << 24 | 0x102030u; };
    auto image = DecodeIconImage(MakeDib(s));
    ASSERT_TRUE(image);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(image->Pixel(x, y), uint32_t(x * 60 + y) << 24 | 0x102030u);

    // Every alpha 0: an old-style image, the mask decides.
    s.value = [](int32_t x, int32_t y) { return uint32_t(x * 16 + y); };
    image = DecodeIconImage(MakeDib(s));
    ASSERT_TRUE(image);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(image->Pixel(x, y), x == 0 ? 0u : 0xFF000000u | uint32_t(x * 16 + y));
}

TEST(IconImageTest, PngEntryAndRefusals) {
    const Bytes png = MakePng(3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, [](int32_t x, int32_t y) {
        return uint32_t(0x40 * (x + 1)) << 24 | uint32_t(x * 80 + y);
    });
    const auto image = DecodeIconImage(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->Pixel(2, 1), 0xC0000000u | 161u);

    // The mask is part of the image: cut into it, the image is refused.
    const Bytes icon = SolidIcon(8, 24, 0x112233);
    ASSERT_TRUE(DecodeIconImage(icon));
    for (size_t n = 0; n < icon.size(); ++n)
        ASSERT_FALSE(DecodeIconImage(std::span(icon.data(), n))) << n;
    // A height of 1 leaves no row for the colour bits.
    Bytes flat = icon;
    flat[8] = 1;
    flat[9] = flat[10] = flat[11] = 0;
    EXPECT_FALSE(DecodeIconImage(flat));
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
        {"exact size, deepest", group, 32, 32, 3},
        {"zero takes the first entry's size", group, 0, 0, 1},
        {"zero width takes the first entry's width", group, 0, 32, 1},
        {"nearest size", group, 20, 20, 1},
        {"nearest size above", group, 44, 44, 4},
        {"equal distances: the same depth first", group, 40, 40, 3},
        {"equal distances: then depth", group, 24, 24, 3},
        {"the same sum split otherwise loses", group, 16, 32, 1},
        {"a zero size entry is 256", group, 256, 256, 5},
        {"large takes 256", group, 200, 200, 5},
        // clang-format off
        {"depth from the colour count", {E(32, 32, 0, 2), E(32, 32, 0, 16), E(32, 32, 0, 0)}, 32, 32, 2},
        // clang-format on
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
    return MakeIcoFile({{16, 16, 8, SolidIcon(16, 8, 0xFF0000)},
                        {32, 32, 32, SolidIcon(32, 32, 0xFF00FF00)},
                        {48, 48, 32, SolidIcon(48, 32, 0xFF0000FF)}});
}

TEST(IcoFileTest, ChoosesAndStretches) {
    const Bytes ico = ThreeSizes();
    struct {
        int32_t w, h;
        int32_t expectW, expectH;
        uint32_t color;
    } cases[] = {
        {0, 0, 32, 32, 0xFF00FF00}, // the default icon size, at its own size
        {16, 16, 16, 16, 0xFFFF0000}, {48, 48, 48, 48, 0xFF0000FF},
        {24, 24, 24, 24, 0xFF00FF00}, // 16 and 32 are as near: the deeper one, shrunk
        {64, 64, 64, 64, 0xFF0000FF}, // 48 stretched
        {16, 0, 16, 16, 0xFFFF0000},
    };
    for (const auto& c : cases) {
        const auto image = DecodeIcoFile(ico, c.w, c.h);
        ASSERT_TRUE(image) << c.w << "x" << c.h;
        EXPECT_EQ(image->width, c.expectW);
        EXPECT_EQ(image->height, c.expectH);
        for (uint32_t p : image->pixels)
            ASSERT_EQ(p, c.color) << c.w << "x" << c.h;
    }

    // A PNG entry.
    const Bytes png =
        MakePng(20, 20, PNG_COLOR_TYPE_RGB, 8, [](int32_t, int32_t) { return 0x336699u; });
    const auto fromPng = DecodeIcoFile(MakeIcoFile({{20, 20, 32, png}}), 20, 20);
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->Pixel(19, 19), 0xFF336699u);
}

TEST(IcoFileTest, RefusesDamage) {
    const Bytes ico = ThreeSizes();
    for (size_t n = 0; n < ico.size(); ++n)
        ASSERT_FALSE(DecodeIcoFile(std::span(ico.data(), n), 48, 48)) << "cut at " << n;
    struct {
        const char* name;
        size_t offset;
        int size;
        uint32_t value;
    } damage[] = {
        {"Reserved", 0, 2, 1},
        {"Cursor", 2, 2, 2},
        {"NoImages", 4, 2, 0},
        {"MoreImagesThanDirectory", 4, 2, 0xFFFF},
        {"SizeBeyondFile", 6 + 16 + 8, 4, 0x10000},
        {"OffsetBeyondFile", 6 + 16 + 12, 4, 0xFFFFFFF0},
        {"SizeTooSmallForImage", 6 + 16 + 8, 4, 40},
    };
    for (const auto& d : damage) {
        Bytes bad = ico;
        for (int i = 0; i < d.size; ++i)
            bad[d.offset + size_t(i)] = uint8_t(d.value >> (8 * i));
        EXPECT_FALSE(DecodeIcoFile(bad, 32, 32)) << d.name;
    }
}

// The branding fixture library built for the resource tests (its two image
// formats are the resource library's concern): bitmaps 101
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

TEST_F(ResourcePictureTest, BitmapsAtTheirOwnSizeOrStretched) {
    for (const res::ResourceId& name : {res::ResourceId(101), res::ResourceId("HEADERLOGO")}) {
        const auto image = LoadBitmapResource(*library_, name);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 3);
        ASSERT_EQ(image->height, 2);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(image->Pixel(x, y), 0xFF000000u | 200u << 16 |
                                                  uint32_t(20 * (1 - y)) << 8 | uint32_t(10 * x));
        // Twice the size: every pixel becomes a 2 x 2 block.
        const auto big = LoadBitmapResource(*library_, name, 6, 4);
        ASSERT_TRUE(big);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x)
                EXPECT_EQ(big->Pixel(x, y), image->Pixel(x / 2, y / 2));
    }
    EXPECT_FALSE(LoadBitmapResource(*library_, 102));
    EXPECT_FALSE(LoadBitmapResource(*library_, 101, 16385, 16385));
}

TEST_F(ResourcePictureTest, IconsAtTheSizeAsked) {
    for (const res::ResourceId& name : {res::ResourceId(1), res::ResourceId("APPICON")}) {
        // No size: the group's first image at its own size.
        auto image = LoadIconResource(*library_, name);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 2);
        ASSERT_EQ(image->height, 2);
        EXPECT_EQ(image->Pixel(0, 0), FixtureIconPixel(2, 0x40, 0, 0));
        EXPECT_EQ(image->Pixel(1, 1), FixtureIconPixel(2, 0x40, 1, 1));

        // 16 x 16: the 4 x 4 image (the nearest) stretched four times.
        image = LoadIconResource(*library_, name, 16, 16);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 16);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                ASSERT_EQ(image->Pixel(x, y), FixtureIconPixel(4, 0x80, x / 4, y / 4));
    }
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
    } cases[] = {{kMost, 2, true},      {2, kMost, true},      {kMost + 1, 2, false},
                 {2, kMost + 1, false}, {16000, 16000, false}, {32767, 0, false}};
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
