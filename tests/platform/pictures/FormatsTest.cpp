// PNG and JPEG files, pictures from file bytes, resampling, the PNG writer.

#include "Builders.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <zlib.h>

namespace qm6::pictures::test {
namespace {

// ---- PNG ----

struct PngCase {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlaced = false;
};

const PngCase kPngCases[] = {
    {"Rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"Rgba8Interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
    {"Rgb8", PNG_COLOR_TYPE_RGB, 8},
    {"Grey8", PNG_COLOR_TYPE_GRAY, 8},
    {"GreyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
    {"Grey1", PNG_COLOR_TYPE_GRAY, 1},
    {"Palette4WithAlpha", PNG_COLOR_TYPE_PALETTE, 4},
    {"Rgb16", PNG_COLOR_TYPE_RGB, 16},
};

// Source pixels and the 0xAARRGGBB each must decode to, per colour type.
uint32_t PngSource(const PngCase& c, int32_t x, int32_t y) {
    if (x < 0) // palette entry y
        return uint32_t(255 - y * 8) << 24 | uint32_t(y * 16) << 16 | uint32_t(200 - y * 5) << 8 |
               uint32_t(y * 3);
    if (c.colorType == PNG_COLOR_TYPE_PALETTE)
        return uint32_t(x + 2 * y) % 16;
    if (c.bitDepth == 1)
        return uint32_t(x + y) % 2;
    return uint32_t(255 - x * 20) << 24 | uint32_t(x * 25) << 16 | uint32_t(y * 30) << 8 |
           uint32_t(x * 7 + y);
}

uint32_t PngExpect(const PngCase& c, int32_t x, int32_t y) {
    const uint32_t p = PngSource(c, x, y);
    const uint32_t low = p & 0xFF;
    switch (c.colorType) {
    case PNG_COLOR_TYPE_PALETTE:
        return PngSource(c, -1, int32_t(p));
    case PNG_COLOR_TYPE_GRAY: {
        const uint32_t g = c.bitDepth == 1 ? (low ? 255 : 0) : low;
        return 0xFF000000u | g << 16 | g << 8 | g;
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return (p & 0xFF000000u) | low << 16 | low << 8 | low;
    case PNG_COLOR_TYPE_RGB:
        return 0xFF000000u | (p & 0xFFFFFF);
    default:
        return p;
    }
}

TEST(PngTest, DecodesEveryPixelOfEveryTypeAndRefusesCutsInsideTheData) {
    for (const PngCase& c : kPngCases) {
        SCOPED_TRACE(c.name);
        const Bytes png = MakePng(
            11, 6, c.colorType, c.bitDepth,
            [&](int32_t x, int32_t y) { return PngSource(c, x, y); }, c.interlaced);
        const auto image = DecodePng(png);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 11);
        ASSERT_EQ(image->height, 6);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 11; ++x)
                ASSERT_EQ(image->Pixel(x, y), PngExpect(c, x, y)) << x << "," << y;
        // Everything up to the last 12 bytes (the IEND chunk) is needed.
        for (size_t n = 0; n + 12 < png.size(); ++n)
            ASSERT_FALSE(DecodePng(std::span(png.data(), n))) << "cut at " << n;
    }
}

TEST(PngFileTest, RefusesDamageAndHugeSizes) {
    const Bytes png =
        MakePng(4, 4, PNG_COLOR_TYPE_RGB, 8, [](int32_t x, int32_t y) { return uint32_t(x * y); });
    ASSERT_TRUE(DecodePng(png));
    Bytes bad = png;
    bad[0] = 0x88;
    EXPECT_FALSE(DecodePng(bad));
    bad = png;
    bad[20] ^= 0x01; // IHDR's height changed: its CRC no longer matches
    EXPECT_FALSE(DecodePng(bad));
    bad = png;
    bad[png.size() - 20] ^= 0x55; // inside the compressed data
    EXPECT_FALSE(DecodePng(bad));

    // Well-formed headers for more pixels than allowed, or than the file
    // could hold, are refused before any pixel is decoded.
    for (const auto& [w, h] : {std::pair{20000u, 20000u}, {16384u, 16384u}, {100000u, 1u}}) {
        bad = png;
        for (int i = 0; i < 4; ++i) {
            bad[16 + size_t(i)] = uint8_t(w >> (24 - 8 * i));
            bad[20 + size_t(i)] = uint8_t(h >> (24 - 8 * i));
        }
        const uLong crc = crc32(0, bad.data() + 12, 17);
        for (int i = 0; i < 4; ++i)
            bad[29 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        EXPECT_FALSE(DecodePng(bad)) << w << "x" << h;
    }
    // A wide image that is really there decodes.
    const Bytes wide =
        MakePng(20000, 1, PNG_COLOR_TYPE_GRAY, 1, [](int32_t, int32_t) { return 0u; });
    EXPECT_TRUE(DecodePng(wide));
}

TEST(PngFileTest, EncodeRoundTrips) {
    Image image;
    image.width = 9;
    image.height = 4;
    for (int32_t i = 0; i < 36; ++i)
        image.pixels.push_back(uint32_t(i * 7) << 24 | uint32_t(i * 5) << 16 |
                               uint32_t(255 - i) << 8 | uint32_t(i));
    const Bytes png = EncodePng(image);
    const auto back = DecodePng(png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 9);
    EXPECT_EQ(back->pixels, image.pixels);
    EXPECT_TRUE(EncodePng(Image{}).empty());
    Image inconsistent = image;
    inconsistent.pixels.pop_back();
    EXPECT_TRUE(EncodePng(inconsistent).empty());
}

// ---- JPEG ----

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (std::abs(d) > tolerance)
            return false;
    }
    return true;
}

struct JpegCase {
    const char* name;
    JpegKind kind;
    bool progressive;
    // Left and right halves: the source values and the colours they show.
    uint32_t left, right;
    uint32_t leftColor, rightColor;
};

const JpegCase kJpegCases[] = {
    {"Rgb", JpegKind::Rgb, false, 0xD02010, 0x1040E0, 0xFFD02010, 0xFF1040E0},
    {"RgbProgressive", JpegKind::Rgb, true, 0xD02010, 0x1040E0, 0xFFD02010, 0xFF1040E0},
    {"Grey", JpegKind::Grey, false, 0x30, 0xC8, 0xFF303030, 0xFFC8C8C8},
    // Inverted CMYK: 255 is no ink. Cyan ink only, then half black.
    {"Cmyk", JpegKind::Cmyk, false, 0x00FFFFFF, 0xFFFFFF80, 0xFF00FFFF, 0xFF808080},
    {"Ycck", JpegKind::Ycck, true, 0x00FFFFFF, 0xFFFFFF80, 0xFF00FFFF, 0xFF808080},
};

TEST(JpegTest, DecodesSizeAndColoursAndRefusesCutsSilently) {
    for (const JpegCase& c : kJpegCases) {
        SCOPED_TRACE(c.name);
        // 37 x 21: neither a multiple of 8 nor of 16.
        const auto image = DecodeJpeg(MakeJpeg(
            37, 21, c.kind, [&](int32_t x, int32_t) { return x < 18 ? c.left : c.right; },
            c.progressive));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 37);
        EXPECT_EQ(image->height, 21);
        EXPECT_TRUE(Near(image->Pixel(4, 10), c.leftColor, 10)) << std::hex << image->Pixel(4, 10);
        EXPECT_TRUE(Near(image->Pixel(32, 10), c.rightColor, 10))
            << std::hex << image->Pixel(32, 10);

        const Bytes noisy = MakeJpeg(
            37, 21, c.kind,
            [&](int32_t x, int32_t y) { return uint32_t(x * 977 + y * 131) * 2654435761u; },
            c.progressive);
        ::testing::internal::CaptureStderr();
        for (size_t n = 0; n < noisy.size(); n += (n < 700 || n + 16 > noisy.size() ? 1 : 7))
            ASSERT_FALSE(DecodeJpeg(std::span(noisy.data(), n))) << "cut at " << n;
        EXPECT_TRUE(DecodeJpeg(noisy));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
}

// Offset of the first byte after a marker segment of this kind.
size_t AfterSegment(const Bytes& jpeg, uint8_t marker) {
    for (size_t i = 2; i + 3 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker)
            return i + 2 + (size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
    return 0;
}

TEST(JpegFileTest, RefusesGarbageAndDataEndingEarlySilently) {
    const Bytes good = MakeJpeg(40, 40, JpegKind::Rgb, [](int32_t x, int32_t y) {
        return uint32_t(x * 977 + y * 131) * 2654435761u;
    });
    const size_t scan = AfterSegment(good, 0xDA);
    const size_t sof = AfterSegment(good, 0xC0) - 19; // the SOF0 marker: its segment is 17 bytes
    ASSERT_GT(scan, 0u);
    ::testing::internal::CaptureStderr();
    Bytes noise(600);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 131 + (i >> 3));
    EXPECT_FALSE(DecodeJpeg(noise));
    noise.insert(noise.begin(), {0xFF, 0xD8, 0xFF}); // after a start-of-image marker
    EXPECT_FALSE(DecodeJpeg(noise));
    // The frame header's height and width: 0 x 0, and a huge image (65200 x
    // 1900) over the same few bytes of data, refused when the data runs out
    // rather than filled in.
    for (const uint32_t size : {0u, 0xFEB0076Cu}) {
        Bytes bad = good;
        for (size_t k = 0; k < 4; ++k)
            bad[sof + 5 + k] = uint8_t(size >> (24 - 8 * k));
        EXPECT_FALSE(DecodeJpeg(bad)) << std::hex << size;
    }
    // The scan's data stops part way and the end marker follows at once.
    for (size_t n = scan; n + 2 < good.size(); n += 37) {
        Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        cut.push_back(0xFF);
        cut.push_back(0xD9);
        ASSERT_FALSE(DecodeJpeg(cut)) << "data ends at " << n;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// ---- Pictures from file bytes ----

TEST(LoadPictureTest, KeepsTheFileAndItsKind) {
    DibLayout s;
    s.width = 3;
    s.height = 2;
    s.bpp = 24;
    s.value = [](int32_t x, int32_t y) { return uint32_t(x * 80) << 16 | uint32_t(y); };
    const Bytes bmp = MakeBmpFile(s);
    const Bytes jpeg = MakeJpeg(8, 5, JpegKind::Grey, [](int32_t, int32_t) { return 0x80u; });
    s.icon = true;
    s.bpp = 32;
    s.value = [](int32_t, int32_t) { return 0xFF112233u; };
    const Bytes ico = MakeIcoFile({{3, 2, 32, MakeDib(s)}});
    const Bytes png = MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, [](int32_t, int32_t) { return 0u; });

    struct {
        const Bytes* file;
        PictureType type;
        int32_t w, h;
    } cases[] = {{&bmp, PictureType::Bitmap, 3, 2},
                 {&jpeg, PictureType::Bitmap, 8, 5},
                 {&ico, PictureType::Icon, 3, 2}};
    for (const auto& c : cases) {
        const PicturePtr picture = LoadPicture(*c.file);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->Type(), c.type);
        EXPECT_EQ(picture->Width(), c.w);
        EXPECT_EQ(picture->Height(), c.h);
        EXPECT_EQ(picture->SourceFile(), *c.file);
    }
    EXPECT_EQ(LoadPicture(bmp)->Pixels().Pixel(2, 1), 0xFFA00001u);
    EXPECT_EQ(LoadPicture(ico)->Pixels().Pixel(0, 0), 0xFF112233u);

    // Not one of the three formats, empty, or cut short.
    EXPECT_FALSE(LoadPicture(png));
    EXPECT_FALSE(LoadPicture({}));
    EXPECT_FALSE(LoadPicture(std::span(bmp.data(), bmp.size() - 1)));
    EXPECT_FALSE(LoadPicture(std::span(jpeg.data(), jpeg.size() / 2)));
    EXPECT_FALSE(LoadPicture(std::span(ico.data(), ico.size() - 1)));
}

// ---- Resampling ----

Image Make(int32_t w, int32_t h, std::vector<uint32_t> pixels) {
    Image image;
    image.width = w;
    image.height = h;
    image.pixels = std::move(pixels);
    return image;
}

TEST(ScaleTest, RepeatsOrAveragesByCoverage) {
    const Image two = Make(2, 2, {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000});
    const Image up = Scale(two, 4, 6);
    ASSERT_EQ(up.width, 4);
    ASSERT_EQ(up.height, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(up.Pixel(x, y), two.Pixel(x / 2, y / 3));

    const Image block = Make(2, 2, {0xFF000000, 0xFF646464, 0xFFC8C8C8, 0xFF646464});
    EXPECT_EQ(Scale(block, 1, 1).pixels, std::vector<uint32_t>{0xFF646464});

    // Transparent pixels lend no colour: one opaque red among three clear.
    const Image lone = Make(2, 2, {0xFFFF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF});
    EXPECT_EQ(Scale(lone, 1, 1).pixels, std::vector<uint32_t>{0x40FF0000});
    EXPECT_EQ(Scale(Make(2, 1, {0, 0}), 1, 1).pixels, std::vector<uint32_t>{0});

    // Three pixels into two: each new pixel covers one and a half old ones.
    const Image row = Make(3, 1, {0xFF000000, 0xFF00005A, 0xFF0000B4});
    EXPECT_EQ(Scale(row, 2, 1).pixels, (std::vector<uint32_t>{0xFF00001E, 0xFF000096}));
}

TEST(ScaleTest, RefusesImpossibleSizes) {
    const Image one = Make(1, 1, {0xFF000000});
    for (const auto& [w, h] : {std::pair{0, 1}, {1, 0}, {-3, 4}, {16385, 16385}, {1 << 28, 2}}) {
        const Image out = Scale(one, w, h);
        EXPECT_EQ(out.width, 0);
        EXPECT_TRUE(out.pixels.empty());
    }
    EXPECT_TRUE(Scale(Make(2, 2, {0}), 4, 4).pixels.empty()); // pixels do not match the size
}

} // namespace
} // namespace qm6::pictures::test
