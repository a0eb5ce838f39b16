// Writes the seed inputs of the picture fuzz targets, made with the test
// builders: DIBs and .bmp files of every depth and header (fuzz_dib), .ico
// files and icon images with DIB and PNG entries (fuzz_ico), JPEG files of
// each colour space, progressive too, and one of each file kind LoadPicture
// takes (fuzz_jpeg).
//
//   picture_seeds <seed folder>   (writes <folder>/fuzz_dib/... and so on)

#include "Builders.h"

#include <filesystem>
#include <fstream>
#include <string>

using namespace qm6::pictures::test;

namespace {

void Write(const std::filesystem::path& dir, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

DibLayout Layout(Header header, uint16_t bpp, bool topDown, bool bitfields = false) {
    DibLayout s;
    s.header = header;
    s.width = 5;
    s.height = 3;
    s.bpp = bpp;
    s.topDown = topDown;
    s.bitfields = bitfields;
    if (bitfields) {
        if (bpp == 16) {
            s.masks[0] = 0xF800;
            s.masks[1] = 0x07E0;
            s.masks[2] = 0x001F;
        } else {
            s.masks[0] = 0x00FF0000;
            s.masks[1] = 0x0000FF00;
            s.masks[2] = 0x000000FF;
            s.masks[3] = 0xFF000000;
        }
    }
    if (bpp <= 8) {
        const uint32_t n = bpp == 8 ? 6 : (1u << bpp);
        for (uint32_t i = 0; i < n; ++i)
            s.palette.push_back(i * 0x2F1D0B);
        if (header != Header::Core)
            s.clrUsed = n;
        else
            s.palette.resize(size_t(1) << bpp, 0x808080);
    }
    s.value = [bpp](int32_t x, int32_t y) {
        return bpp <= 8 ? uint32_t(x + y) % 2 : uint32_t(x * 0x30405 + y * 0x11) | 0x80000000u;
    };
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::filesystem::path root = argv[1];
    const auto dib = root / "fuzz_dib";
    const auto ico = root / "fuzz_ico";
    const auto jpeg = root / "fuzz_jpeg";

    struct {
        const char* name;
        Header header;
        uint16_t bpp;
        bool topDown, bitfields;
    } dibs[] = {
        {"core1", Header::Core, 1, false, false},   {"core24", Header::Core, 24, false, false},
        {"info4", Header::Info, 4, false, false},   {"info8", Header::Info, 8, true, false},
        {"info16", Header::Info, 16, false, false}, {"info16bf", Header::Info, 16, true, true},
        {"info24", Header::Info, 24, true, false},  {"info32bf", Header::Info, 32, false, true},
        {"v4_16bf", Header::V4, 16, false, true},   {"v5_32bf", Header::V5, 32, true, true},
    };
    for (const auto& d : dibs) {
        const DibLayout s = Layout(d.header, d.bpp, d.topDown, d.bitfields);
        Write(dib, std::string(d.name) + ".dib", MakeDib(s));
        Write(dib, std::string(d.name) + ".bmp", MakeBmpFile(s, 2));
    }

    DibLayout icon8 = Layout(Header::Info, 8, false);
    icon8.icon = true;
    icon8.maskBit = [](int32_t x, int32_t y) { return x == y; };
    DibLayout icon32 = Layout(Header::Info, 32, false);
    icon32.icon = true;
    DibLayout icon1 = Layout(Header::Info, 1, false);
    icon1.icon = true;
    icon1.maskBit = [](int32_t x, int32_t) { return x == 0; };
    Bytes rgba(6 * 25); // six rows of a filter type (none) and six RGBA pixels
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = i % 25 ? uint8_t(i / 4 * 40) : 0;
    const Bytes png = MakePng(6, 6, 6, 8, rgba);
    Write(ico, "icon8.dib", MakeDib(icon8));
    Write(ico, "icon32.dib", MakeDib(icon32));
    Write(ico, "icon.png", png);
    const Bytes three =
        MakeIcoFile({{5, 3, 8, MakeDib(icon8)}, {5, 3, 32, MakeDib(icon32)}, {6, 6, 32, png}});
    Write(ico, "three.ico", three);
    Write(ico, "mono.ico", MakeIcoFile({{5, 3, 1, MakeDib(icon1)}}));

    const auto gradient = [](int32_t x, int32_t y) {
        return uint32_t(x * 9) << 24 | uint32_t(y * 11) << 16 | uint32_t(x + y) << 8 | 0x40u;
    };
    Write(jpeg, "rgb.jpg", MakeJpeg(19, 9, JpegKind::Rgb, gradient));
    Write(jpeg, "progressive.jpg", MakeJpeg(19, 9, JpegKind::Rgb, gradient, true));
    Write(jpeg, "grey.jpg", MakeJpeg(8, 8, JpegKind::Grey, gradient));
    Write(jpeg, "cmyk.jpg", MakeJpeg(9, 5, JpegKind::Cmyk, gradient));
    Write(jpeg, "ycck.jpg", MakeJpeg(9, 5, JpegKind::Ycck, gradient, true));
    Write(jpeg, "picture.bmp", MakeBmpFile(Layout(Header::Info, 24, false)));
    Write(jpeg, "picture.ico", three);
    return 0;
}
