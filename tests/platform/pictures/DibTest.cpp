// DIBs and .bmp files: every depth and header, both row orders, bit fields,
// colour tables, run-length bits; every cut and a table of damaged header
// fields.

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

// 16-bit words and the colours they widen to (each channel's bits repeated:
// abcde becomes abcdeabc) as 5-5-5 and as 5-6-5.
constexpr uint32_t k16[][3] = {{0x0000, 0x000000, 0x000000},
                               {0xFFFF, 0xFFFFFF, 0xFFFFFF},
                               {0x8410, 0x080084, 0x848284},
                               {0x0421, 0x080808, 0x008608},
                               {0x5555, 0xAD52AD, 0x52AAAD}};

struct DibCase {
    std::string name;
    DibLayout layout;       // its header fields; bit fields when masks are given
    uint32_t tableSize = 0; // entries written (bpp <= 8); also biClrUsed when not the full table
};

// The layout of a case and the image it must decode to.
std::pair<DibLayout, Image> Build(const DibCase& c) {
    DibLayout s = c.layout;
    s.width = kW;
    s.height = kH;
    s.bitfields = s.masks[0] != 0;
    s.palette.assign(s.clrUsed, 0x123456); // for > 8 bits: a table that must be skipped
    PixelFn pixel;
    if (s.bpp <= 8) {
        const uint32_t full = 1u << s.bpp, n = c.tableSize ? c.tableSize : full;
        for (uint32_t i = 0; i < n; ++i)
            s.palette.push_back(PaletteColor(i));
        s.clrUsed = n != full ? n : 0;
        // Indices run over the whole range the depth allows; those past a
        // short table are black.
        s.value = [full](int32_t x, int32_t y) { return uint32_t(x + 3 * y) % full; };
        pixel = [n, full](int32_t x, int32_t y) {
            const uint32_t i = uint32_t(x + 3 * y) % full;
            return 0xFF000000u | (i < n ? PaletteColor(i) : 0);
        };
    } else if (s.bpp == 16) {
        const size_t form = s.masks[1] == 0x07E0 ? 2 : 1;
        s.value = [](int32_t x, int32_t y) { return k16[size_t(x + y) % 5][0]; };
        pixel = [form](int32_t x, int32_t y) { return 0xFF000000u | k16[size_t(x + y) % 5][form]; };
    } else {
        // Colours with a fourth byte that varies (and is never alpha for a
        // bitmap).
        s.value = [](int32_t x, int32_t y) {
            return uint32_t(x * 40 + y) << 24 | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 |
                   uint32_t(200 - x * 9);
        };
        pixel = [v = s.value](int32_t x, int32_t y) { return 0xFF000000u | v(x, y); };
    }
    return {s, MakeImage(kW, kH, pixel)};
}

// One case for each way a header, a depth or a colour table changes how the
// bits are read; every case is decoded as a DIB and as a .bmp file (with a gap
// before the bits), and refused when cut anywhere.
const DibCase kDibCases[] = {
    // clang-format off
    {"Core1", {.header = Header::Core, .bpp = 1}},
    {"Core24", {.header = Header::Core}},
    {"Info4ShortTable", {.bpp = 4}, 3},
    {"Info16Rgb555", {.bpp = 16}},
    {"Info16Bitfields565TopDown", {.bpp = 16, .topDown = true, .masks = {0xF800, 0x07E0, 0x001F, 0}}},
    {"Info24SkipsTable", {.clrUsed = 2}},
    {"Info32", {.bpp = 32}},
    {"Info32BitfieldsSwapped", {.bpp = 32, .masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0}}},
    {"V4Bitfields101010", {.header = Header::V4, .bpp = 32, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0}}},
    {"V5AlphaMaskIgnored", {.header = Header::V5, .bpp = 32, .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}}},
    {"V5EightClrUsedTopDown", {.header = Header::V5, .bpp = 8, .topDown = true}, 20},
    // clang-format on
};

TEST(DibTest, DecodesEveryDepthAndHeaderAndRefusesEveryCut) {
    for (const DibCase& c : kDibCases) {
        SCOPED_TRACE(c.name);
        const auto [s, expect] = Build(c);
        const Bytes dib = MakeDib(s), file = MakeBmpFile(s, 6);
        EXPECT_EQ(Dump(DecodeDib(dib)), Dump(expect));
        EXPECT_EQ(Dump(DecodeBmpFile(file)), Dump(expect)); // bits after a gap
        for (size_t n = 0; n < dib.size(); ++n)
            ASSERT_FALSE(DecodeDib(std::span(dib.data(), n))) << "cut at " << n;
        for (size_t n = 0; n < file.size(); ++n)
            ASSERT_FALSE(DecodeBmpFile(std::span(file.data(), n))) << "cut at " << n;
    }
}

// Damaged fields of an 8-bit DIB's header (after the file header's 14
// bytes) and of the file header, each read without a fault but refused.
// (Sizes beyond the data are the cuts' and the fuzz target's.) Bytes to spare
// after the bits, so that a header read wrongly does not run out of data.
TEST(DibTest, RefusesDamagedHeaderFields) {
    // bfOffBits 0: the bits follow the table, as in a DIB.
    Bytes good = Patched(MakeBmpFile(Build({"Info8", {.bpp = 8}}).first), {{10, 0}});
    good.resize(good.size() + 16);
    ASSERT_TRUE(DecodeBmpFile(good));
    constexpr size_t D = 14;
    const std::pair<const char*, Field> damage[] = {
        {"Signature", {0, 'X', 1}},         {"BitsInTheTable", {10, 20}},
        {"HeaderSizeUnknown", {D + 0, 41}}, {"HeightMostNegative", {D + 8, 0x80000000}},
        {"Rle4OnEightBits", {D + 16, 2}},   {"BitfieldsOnEightBits", {D + 16, 3}},
    };
    for (const auto& [name, field] : damage)
        EXPECT_FALSE(DecodeBmpFile(Patched(good, {field}))) << name;
}

// A run-length encoded DIB: a BITMAPINFOHEADER, a palette whose entry i is
// PaletteColor(i), and the encoded bits.
Bytes RleDib(int32_t width, int32_t height, uint16_t bpp, const Bytes& bits) {
    DibLayout s{.width = 1, .height = 1, .bpp = bpp, .clrUsed = bpp == 8 ? 8u : 16u};
    for (uint32_t i = 0; i < s.clrUsed; ++i)
        s.palette.push_back(PaletteColor(i));
    s.value = [](int32_t, int32_t) { return 0u; };
    Bytes b = MakeDib(s);
    b.resize(40 + 4 * s.clrUsed); // the header and the table
    b.insert(b.end(), bits.begin(), bits.end());
    // BI_RLE8 or BI_RLE4, and the size of the bits.
    return Patched(b, {{4, uint32_t(width)},
                       {8, uint32_t(height)},
                       {16, bpp == 8 ? 1u : 2u},
                       {20, uint32_t(bits.size())}});
}

// Encoded runs, absolute runs with their padding, line ends, deltas and the
// end of the bitmap; what no run reaches stays black, what passes the right
// edge is dropped. The pixels are table indices from the top row, '.' for
// black; none when the bits are refused.
TEST(DibRleTest, DecodesRunsEscapesAndSkippedPixels) {
    const struct {
        int32_t width, height;
        uint16_t bpp;
        Bytes bits;
        std::string pixels;
    } cases[] = {
        // RLE8 from the bottom row: a run, an absolute run of three and its
        // pad, a line end; a run past the right edge; the end of the bitmap.
        {6, 2, 8, {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 9, 2, 0, 1}, "222222111231"},
        {6, 1, 8, {0, 2, 3, 0, 2, 3, 0, 1}, "...33."}, // a delta 3 right, a run
        // RLE4: a run whose nibbles take turns, then an absolute run of three.
        {5, 2, 4, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}, "345..12121"},
        {4, 1, 8, {4, 1, 0, 1}, "1111"},
        {4, -1, 8, {4, 1, 0, 1}, ""}, // top-down: refused
        {4, 1, 8, {0, 5, 1, 2}, ""},  // an absolute run cut off
    };
    for (const auto& k : cases) {
        const auto index = [&](int32_t x, int32_t y) {
            const char i = k.pixels.at(size_t(y * k.width + x));
            return 0xFF000000u | (i == '.' ? 0 : PaletteColor(uint32_t(i - '0')));
        };
        EXPECT_EQ(Dump(DecodeDib(RleDib(k.width, k.height, k.bpp, k.bits))),
                  k.pixels.empty() ? "refused" : Dump(MakeImage(k.width, k.height, index)))
            << testing::PrintToString(k.bits);
    }
}

// A few bytes may not claim a picture far larger than runs could fill; a
// large one whose runs do fill it decodes.
TEST(DibRleTest, RefusesPicturesFarLargerThanTheirRuns) {
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
