// DIBs and .bmp files: every depth and header, both row orders, bit fields,
// colour tables; every cut and a table of damaged header fields.

#include "Builders.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::pictures::test {
namespace {

constexpr int32_t kW = 7; // odd: every depth's rows need padding
constexpr int32_t kH = 5;

uint32_t PaletteColor(uint32_t i) {
    return ((i * 37 + 11) & 0xFF) << 16 | ((i * 91 + 3) & 0xFF) << 8 | ((i * 53 + 7) & 0xFF);
}

// 5- and 6-bit channel values and what they widen to (the bits repeated).
struct Widen {
    uint32_t value;
    uint32_t expect;
};
constexpr Widen k5[] = {{0, 0x00}, {31, 0xFF}, {16, 0x84}, {1, 0x08}, {10, 0x52}};
constexpr Widen k6[] = {{0, 0x00}, {63, 0xFF}, {32, 0x82}, {1, 0x04}, {45, 0xB6}};

struct DibCase {
    std::string name;
    Header header;
    uint16_t bpp;
    bool topDown = false;
    bool bitfields = false;
    uint32_t masks[4] = {0, 0, 0, 0};
    uint32_t tableSize = 0; // entries written (bpp <= 8); also biClrUsed when not the full table
    uint32_t clrUsed = 0;   // for > 8 bits: a table that must be skipped
};

// The layout of a case and the pixel each (x, y) must decode to.
struct Built {
    DibLayout layout;
    std::function<uint32_t(int32_t, int32_t)> expect;
};

Built Build(const DibCase& c) {
    Built b;
    DibLayout& s = b.layout;
    s.header = c.header;
    s.width = kW;
    s.height = kH;
    s.bpp = c.bpp;
    s.topDown = c.topDown;
    s.bitfields = c.bitfields;
    for (int i = 0; i < 4; ++i)
        s.masks[i] = c.masks[i];
    if (c.bpp <= 8) {
        const uint32_t full = 1u << c.bpp;
        const uint32_t n = c.tableSize ? c.tableSize : full;
        for (uint32_t i = 0; i < n; ++i)
            s.palette.push_back(PaletteColor(i));
        if (n != full)
            s.clrUsed = n;
        // Indices run over the whole range the depth allows; those past a
        // short table are black.
        s.value = [full](int32_t x, int32_t y) { return uint32_t(x + 3 * y) % full; };
        b.expect = [n, full](int32_t x, int32_t y) {
            const uint32_t i = uint32_t(x + 3 * y) % full;
            return 0xFF000000u | (i < n ? PaletteColor(i) : 0);
        };
    } else if (c.bpp == 16) {
        const bool six = c.bitfields && c.masks[1] == 0x07E0;
        s.value = [six](int32_t x, int32_t y) {
            const uint32_t r = k5[size_t(x) % 5].value,
                           g = six ? k6[size_t(y) % 5].value : k5[size_t(y) % 5].value,
                           bl = k5[size_t(x + y) % 5].value;
            return six ? (r << 11 | g << 5 | bl) : (r << 10 | g << 5 | bl);
        };
        b.expect = [six](int32_t x, int32_t y) {
            const uint32_t r = k5[size_t(x) % 5].expect,
                           g = six ? k6[size_t(y) % 5].expect : k5[size_t(y) % 5].expect,
                           bl = k5[size_t(x + y) % 5].expect;
            return 0xFF000000u | r << 16 | g << 8 | bl;
        };
    } else {
        // Colours with a fourth byte that varies (and is never alpha for a
        // bitmap).
        s.value = [](int32_t x, int32_t y) {
            return uint32_t(x * 40 + y) << 24 | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 |
                   uint32_t(200 - x * 9);
        };
        b.expect = [](int32_t x, int32_t y) {
            return 0xFF000000u | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 |
                   uint32_t(200 - x * 9);
        };
    }
    if (c.bpp > 8 && c.clrUsed)
        for (uint32_t i = 0; i < c.clrUsed; ++i)
            s.palette.push_back(0x123456);
    s.clrUsed = c.bpp > 8 ? c.clrUsed : s.clrUsed;
    return b;
}

// One case for each way a header, a depth or a colour table changes how the
// bits are read; every case is decoded as a DIB and as a .bmp file (with and
// without a gap before the bits), and refused when cut anywhere.
const DibCase kDibCases[] = {
    {"Core1", Header::Core, 1},
    {"Core24", Header::Core, 24},
    {"Info1TopDown", Header::Info, 1, true},
    {"Info4ShortTable", Header::Info, 4, false, false, {}, 3},
    {"Info8ClrUsedTopDown", Header::Info, 8, true, false, {}, 20},
    {"Info16Rgb555", Header::Info, 16},
    {"Info16Bitfields565", Header::Info, 16, false, true, {0xF800, 0x07E0, 0x001F, 0}},
    {"Info16Bitfields555TopDown", Header::Info, 16, true, true, {0x7C00, 0x03E0, 0x001F, 0}},
    {"Info24SkipsTable", Header::Info, 24, false, false, {}, 0, 2},
    {"Info32", Header::Info, 32},
    {"Info32BitfieldsSwapped",
     Header::Info,
     32,
     false,
     true,
     {0x000000FF, 0x0000FF00, 0x00FF0000, 0}},
    {"V4Bitfields101010", Header::V4, 32, false, true, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}},
    {"V5AlphaMaskIgnored",
     Header::V5,
     32,
     false,
     true,
     {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
    {"V5Eight", Header::V5, 8},
};

void ExpectPixels(const std::optional<Image>& image, const Built& b) {
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->width, kW);
    ASSERT_EQ(image->height, kH);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            ASSERT_EQ(image->Pixel(x, y), b.expect(x, y)) << "at " << x << "," << y;
}

TEST(DibTest, DecodesEveryDepthAndHeaderAndRefusesEveryCut) {
    for (const DibCase& c : kDibCases) {
        SCOPED_TRACE(c.name);
        const Built b = Build(c);
        const Bytes dib = MakeDib(b.layout);
        ExpectPixels(DecodeDib(dib), b);
        ExpectPixels(DecodeBmpFile(MakeBmpFile(b.layout)), b);
        ExpectPixels(DecodeBmpFile(MakeBmpFile(b.layout, 6)), b);
        for (size_t n = 0; n < dib.size(); ++n)
            ASSERT_FALSE(DecodeDib(std::span(dib.data(), n))) << "cut at " << n;
        const Bytes file = MakeBmpFile(b.layout);
        for (size_t n = 0; n < file.size(); ++n)
            ASSERT_FALSE(DecodeBmpFile(std::span(file.data(), n))) << "cut at " << n;
    }
}

// A valid 8-bit DIB with one header field changed.
struct Damage {
    const char* name;
    size_t offset;
    int size; // 2 or 4 bytes
    uint32_t value;
};

const Damage kDamage[] = {
    {"HeaderSizeUnknown", 0, 4, 41},
    {"HeaderSizeZero", 0, 4, 0},
    {"HeaderSizeHuge", 0, 4, 0xFFFFFFF0},
    {"WidthZero", 4, 4, 0},
    {"WidthNegative", 4, 4, 0xFFFFFFFF},
    {"WidthHuge", 4, 4, 0x7FFFFFFF},
    {"HeightZero", 8, 4, 0},
    {"HeightMostNegative", 8, 4, 0x80000000},
    {"HeightBeyondData", 8, 4, 6},
    {"WidthBeyondData", 4, 4, 0x10001},
    {"BitCountZero", 14, 2, 0},
    {"BitCountThree", 14, 2, 3},
    {"BitCountHuge", 14, 2, 0xFFFF},
    {"Rle4OnEightBits", 16, 4, 2},
    {"BitfieldsOnEightBits", 16, 4, 3},
    {"JpegInside", 16, 4, 4},
};

TEST(DibTest, RefusesDamagedHeaderFields) {
    DibLayout s;
    s.width = kW;
    s.height = kH;
    s.bpp = 8;
    for (uint32_t i = 0; i < 256; ++i)
        s.palette.push_back(PaletteColor(i));
    s.value = [](int32_t x, int32_t y) { return uint32_t(x * y); };
    const Bytes good = MakeDib(s);
    ASSERT_TRUE(DecodeDib(good)); // undamaged, it decodes
    for (const Damage& d : kDamage) {
        Bytes dib = good;
        for (int i = 0; i < d.size; ++i)
            dib[d.offset + size_t(i)] = uint8_t(d.value >> (8 * i));
        EXPECT_FALSE(DecodeDib(dib)) << d.name;
    }
}

TEST(BmpFileTest, RefusesWrongSignatureAndBitsOffsets) {
    DibLayout s;
    s.width = 2;
    s.height = 2;
    s.bpp = 24;
    s.value = [](int32_t x, int32_t y) { return uint32_t(x * 100 + y); };
    const Bytes good = MakeBmpFile(s);
    ASSERT_TRUE(DecodeBmpFile(good));
    struct {
        size_t offset;
        uint32_t value;
    } cases[] = {{0, 'X'}, {10, 13}, {10, 20}, {10, uint32_t(good.size())}, {10, 0xFFFFFFFF}};
    for (const auto& c : cases) {
        Bytes bad = good;
        if (c.offset == 0) {
            bad[0] = uint8_t(c.value);
        } else {
            for (int i = 0; i < 4; ++i)
                bad[c.offset + size_t(i)] = uint8_t(c.value >> (8 * i));
        }
        EXPECT_FALSE(DecodeBmpFile(bad)) << c.offset << "=" << c.value;
    }
    // A DIB is not a .bmp file.
    EXPECT_FALSE(DecodeBmpFile(MakeDib(s)));
}

// A run-length encoded DIB: a BITMAPINFOHEADER, a palette whose entry i is
// PaletteColor(i), and the encoded bits.
Bytes RleDib(int32_t width, int32_t height, uint16_t bpp, const Bytes& bits) {
    const uint32_t colors = bpp == 8 ? 8 : 16;
    Bytes b(40, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, uint32_t(width));
    put32(8, uint32_t(height));
    b[12] = 1;
    b[14] = uint8_t(bpp);
    put32(16, bpp == 8 ? 1 : 2); // BI_RLE8, BI_RLE4
    put32(20, uint32_t(bits.size()));
    put32(32, colors);
    for (uint32_t i = 0; i < colors; ++i) {
        const uint32_t c = PaletteColor(i);
        b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    }
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// Encoded runs, absolute runs with their padding, line ends, deltas and the
// end of the bitmap; what no run reaches stays black, what passes the right
// edge is dropped.
TEST(DibRleTest, DecodesRunsEscapesAndSkippedPixels) {
    constexpr uint32_t B = 0; // black, as a skipped pixel decodes
    auto c = [](uint32_t i) { return PaletteColor(i); };
    struct Case {
        const char* name;
        int32_t width, height;
        uint16_t bpp;
        Bytes bits;
        std::vector<uint32_t> rows; // top row first, RGB
    } cases[] = {
        // clang-format off
        // Rle8 from the bottom row: a run, an absolute run of three and its
        // pad, a line end; a run past the right edge, a line end; a delta 3
        // right, a run, the end of the bitmap.
        {"Rle8", 6, 3, 8,
         {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 9, 2, 0, 0, 0, 2, 3, 0, 2, 3, 0, 1},
         {B, B, B, c(3), c(3), B, c(2), c(2), c(2), c(2), c(2), c(2),
          c(1), c(1), c(1), c(2), c(3), c(1)}},
        // Rle4: a run whose nibbles take turns, then an absolute run of three nibbles.
        {"Rle4", 5, 2, 4, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1},
         {c(3), c(4), c(5), B, B, c(1), c(2), c(1), c(2), c(1)}},
        // clang-format on
        // Bits that end without the end-of-bitmap escape keep what came.
        {"NoEndOfBitmap", 2, 2, 8, {2, 7}, {B, B, c(7), c(7)}},
        // A delta up and past the top ends the picture there.
        {"DeltaPastTheTop", 2, 2, 8, {0, 2, 0, 5, 1, 1}, {B, B, B, B}},
    };
    for (const Case& k : cases) {
        const auto image = DecodeDib(RleDib(k.width, k.height, k.bpp, k.bits));
        ASSERT_TRUE(image) << k.name;
        ASSERT_EQ(image->width, k.width);
        ASSERT_EQ(image->height, k.height);
        for (int32_t y = 0; y < k.height; ++y)
            for (int32_t x = 0; x < k.width; ++x)
                EXPECT_EQ(image->Pixel(x, y), 0xFF000000u | k.rows[size_t(y * k.width + x)])
                    << k.name << " at " << x << "," << y;
    }
}

TEST(DibRleTest, RefusesCutEscapesAndTopDownBitmaps) {
    EXPECT_FALSE(DecodeDib(RleDib(4, 1, 8, {0, 5, 1, 2})));       // absolute run cut off
    EXPECT_FALSE(DecodeDib(RleDib(4, 1, 8, {0, 2, 1})));          // delta cut off
    EXPECT_FALSE(DecodeDib(RleDib(4, 1, 4, {0, 7, 0x12, 0x34}))); // RLE4 absolute run cut off
    EXPECT_FALSE(DecodeDib(RleDib(4, -1, 8, {4, 1, 0, 1}))); // run-length bits are bottom-up only
    ASSERT_TRUE(DecodeDib(RleDib(4, 1, 8, {4, 1, 0, 1})));

    // A few bytes may not claim a picture far larger than runs could fill;
    // a large one whose runs do fill it decodes.
    EXPECT_FALSE(DecodeDib(RleDib(4000, 4000, 8, {0, 1})));
    EXPECT_TRUE(DecodeDib(RleDib(256, 256, 8, {0, 1})));
    Bytes rows;
    for (int y = 0; y < 300; ++y)
        rows.insert(rows.end(), {255, 1, 255, 2, 90, 3, 0, 0}); // 600 pixels a row
    const auto filled = DecodeDib(RleDib(600, 300, 8, rows));
    ASSERT_TRUE(filled);
    EXPECT_EQ(filled->Pixel(599, 0), 0xFF000000u | PaletteColor(3));
}

} // namespace
} // namespace qm6::pictures::test
