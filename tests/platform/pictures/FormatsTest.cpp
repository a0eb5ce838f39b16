// PNG and JPEG files, pictures from file bytes, resampling, the PNG writer.

#include "Builders.h"

#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <string>

// libjpeg answering no row for a read (as it does when its input suspends):
// this program's jpeg_read_scanlines answers 0 once at row 3 while
// gShortRead is set, and otherwise is libjpeg's own.
static bool gShortRead = false;
extern "C" JDIMENSION jpeg_read_scanlines(j_decompress_ptr cinfo, JSAMPARRAY rows,
                                          JDIMENSION most) {
    using Real = JDIMENSION (*)(j_decompress_ptr, JSAMPARRAY, JDIMENSION);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "jpeg_read_scanlines"));
    if (gShortRead && cinfo->output_scanline == 3) {
        gShortRead = false;
        return 0;
    }
    return real(cinfo, rows, most);
}

namespace qm6::pictures::test {
namespace {

// ---- PNG ----

TEST(PngTest, RoundTripsAndRefusesCuts) {
    const Image image = MakeImage(9, 4, [](int32_t x, int32_t y) {
        const uint32_t i = uint32_t(y * 9 + x);
        return i * 7 << 24 | i * 5 << 16 | (255 - i) << 8 | i;
    });
    const Bytes png = EncodePng(image);
    EXPECT_EQ(Dump(DecodePng(png)), Dump(image));
    // Everything up to the last 12 bytes (the IEND chunk) is needed.
    for (size_t n = 0; n + 12 < png.size(); ++n)
        ASSERT_FALSE(DecodePng(std::span(png.data(), n))) << "cut at " << n;
    EXPECT_TRUE(EncodePng(Image{9, 4, {1, 2}}).empty());
}

// 16-bit samples of a file without gamma keep their high byte. An image over
// the pixel limit is refused with all its rows there (1-bit grey), a wide one
// under it decodes.
TEST(PngTest, SixteenBitSamplesAndThePixelLimit) {
    const Bytes rgb16 = MakePng(1, 1, 2, 16, {0, 0x40, 0x40, 0x80, 0x80, 0xC0, 0xC0});
    EXPECT_EQ(Dump(DecodePng(rgb16)), Dump(Image{1, 1, {0xFF4080C0u}}));
    // Rows of a filter byte and 2049 or 2500 bytes of pixels.
    EXPECT_FALSE(DecodePng(MakePng(16385, 16385, 0, 1, Bytes(16385 * 2050))));
    EXPECT_TRUE(DecodePng(MakePng(20000, 1, 0, 1, Bytes(2501))));
}

// ---- JPEG ----

// Offset of the first marker of this kind, and of the first byte after its segment.
std::pair<size_t, size_t> Segment(const Bytes& jpeg, uint8_t marker) {
    for (size_t i = 2; i + 3 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker)
            return {i, i + 2 + (size_t(jpeg[i + 2]) << 8 | jpeg[i + 3])};
    return {0, 0};
}

// Each channel within 10.
bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 10)
            return false;
    return true;
}

// A file of each kind, at a size that is neither a multiple of 8 nor of 16:
// the colour of its top left 16 x 16 corner (one chroma block), noise
// elsewhere. It is refused, without a word on stderr, when cut anywhere, and
// when its scan's data stops part way and the end marker follows at once.
TEST(JpegTest, DecodesEachKindAndRefusesCutsSilently) {
    const struct {
        const char* name;
        JpegKind kind;
        bool progressive;
        uint32_t corner, shows; // the source value and the colour it shows
    } kinds[] = {
        {"Rgb", JpegKind::Rgb, false, 0xD02010, 0xFFD02010},
        {"Grey", JpegKind::Grey, false, 0x30, 0xFF303030},
        // Inverted CMYK (255 is no ink): cyan ink only, then half black.
        {"Cmyk", JpegKind::Cmyk, false, 0x00FFFFFF, 0xFF00FFFF},
        {"Ycck", JpegKind::Ycck, true, 0xFFFFFF80, 0xFF808080},
    };
    for (const auto& [name, kind, progressive, corner, shows] : kinds) {
        SCOPED_TRACE(name);
        const Bytes jpeg = MakeJpeg(
            37, 37, kind,
            [corner](int32_t x, int32_t y) {
                return x < 16 && y < 16 ? corner : uint32_t(x * 977 + y * 131) * 2654435761u;
            },
            progressive);
        ::testing::internal::CaptureStderr();
        const auto image = DecodeJpeg(jpeg);
        ASSERT_EQ(SizeOf(image), "37 x 37");
        EXPECT_TRUE(Near(image->Pixel(4, 4), shows)) << std::hex << image->Pixel(4, 4);
        for (size_t n = 0; n < jpeg.size(); n += (n < 700 || n + 16 > jpeg.size() ? 1 : 7))
            ASSERT_FALSE(DecodeJpeg(std::span(jpeg.data(), n))) << "cut at " << n;
        // Baseline files only: a progressive file stopped between two scans
        // still decodes, from the scans it has.
        const size_t scan = progressive ? jpeg.size() : Segment(jpeg, 0xDA).second;
        for (size_t n = scan; n + 2 < jpeg.size(); n += 37) {
            Bytes cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(n));
            cut.insert(cut.end(), {0xFF, 0xD9});
            ASSERT_FALSE(DecodeJpeg(cut)) << "data ends at " << n;
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
}

// A mid-grey JPEG of any size that is a multiple of 16, with all its data:
// a 16 x 16 one's data is three bytes for its four blocks, each "no change
// and no detail", repeated for every 16 x 16 tile. The frame header (SOF0)
// is given the size.
Bytes FlatGrey(uint32_t width, uint32_t height) {
    const Bytes tile = MakeJpeg(16, 16, JpegKind::Grey, [](int32_t, int32_t) { return 0x80u; });
    const size_t scan = Segment(tile, 0xDA).second, sof = Segment(tile, 0xC0).first;
    Bytes jpeg(tile.begin(), tile.begin() + std::ptrdiff_t(scan));
    for (size_t k = 0; k < 4; ++k)
        jpeg[sof + 5 + k] = uint8_t((height << 16 | width) >> (24 - 8 * k));
    for (size_t i = 0; i < size_t(width / 16) * (height / 16); ++i)
        jpeg.insert(jpeg.end(), tile.begin() + std::ptrdiff_t(scan), tile.end() - 2);
    jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    return jpeg;
}

TEST(JpegFileTest, RefusesFramesOverThePixelLimitAndReadsThatStopShort) {
    EXPECT_TRUE(DecodeJpeg(FlatGrey(48, 32)));
    EXPECT_FALSE(DecodeJpeg(FlatGrey(16384, 16400))); // 2^28 + 2^18 pixels, all there

    const Bytes jpeg = FlatGrey(16, 16);
    gShortRead = true;
    EXPECT_FALSE(DecodeJpeg(jpeg));
    EXPECT_FALSE(gShortRead) << "the short read never came";
}

// ---- Pictures from file bytes ----

// Each kind of file goes to its decoder (which its own tests pin).
TEST(LoadPictureTest, KeepsTheFileAndItsKind) {
    const PixelFn black = [](int32_t, int32_t) { return 0u; };
    const Bytes bmp = MakeBmpFile({.width = 3, .height = 2, .value = black});
    const Bytes jpeg = MakeJpeg(8, 5, JpegKind::Grey, black);
    const Bytes ico = MakeIcoFile({{4, 1, 32, MakeIcon(4, 1, 32, 0)}});
    for (const auto& [file, type, size] : {std::tuple{&bmp, PictureType::Bitmap, "3 x 2"},
                                           {&jpeg, PictureType::Bitmap, "8 x 5"},
                                           {&ico, PictureType::Icon, "4 x 1"}}) {
        const PicturePtr picture = LoadPicture(*file);
        ASSERT_TRUE(picture) << size;
        EXPECT_EQ(picture->Type(), type);
        EXPECT_EQ(SizeOf(picture->Pixels()), size);
        EXPECT_EQ(picture->SourceFile(), *file); // saved as it came
    }
    EXPECT_FALSE(LoadPicture(EncodePng(Image{1, 1, {0}}))); // not one of the three formats
}

// ---- Resampling ----

// Each new pixel is the average of the old ones it covers, weighted by their
// alpha: transparent pixels lend no colour (one opaque red among three
// clear). Pixels that do not match the size give none.
TEST(ScaleTest, AveragesByCoverageAndAlpha) {
    const Image four{2, 2, {0xFFFF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF}};
    EXPECT_EQ(Scale(four, 1, 1).pixels, std::vector<uint32_t>{0x40FF0000});
    const Image three{3, 1, {0xFF000000, 0xFF00005A, 0xFF0000B4}}; // into two: 1.5 old pixels each
    EXPECT_EQ(Scale(three, 2, 1).pixels, (std::vector<uint32_t>{0xFF00001E, 0xFF000096}));
    EXPECT_TRUE(Scale(Image{2, 2, {0}}, 1, 1).pixels.empty());
}

} // namespace
} // namespace qm6::pictures::test
