#pragma once

// Test inputs made in code: DIBs of every depth and header, icon images and
// .ico files, PNG files (chunks around deflated rows) and JPEG files
// (libjpeg).

#include "platform/pictures/Picture.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace qm6::pictures::test {

using Bytes = std::vector<uint8_t>;
using PixelFn = std::function<uint32_t(int32_t x, int32_t y)>;

enum class Header { Core, Info, V4, V5 };

// A DIB to write. For 1, 4 and 8 bits `value(x, y)` is a colour index, for
// 16 bits the raw pixel word, for 24 and 32 bits 0xAARRGGBB (alpha written
// as the fourth byte of a 32-bit pixel, or through the masks for
// bit fields). y counts from the top row.
struct DibLayout {
    Header header = Header::Info;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bpp = 24;
    bool topDown = false;
    bool bitfields = false;
    uint32_t masks[4] = {0, 0, 0, 0};   // red, green, blue, alpha
    std::vector<uint32_t> palette = {}; // 0x00RRGGBB
    uint32_t clrUsed = 0;               // written as biClrUsed (0: full table)
    PixelFn value = {};
    // An icon image: the header gives twice the height, and a 1-bit AND
    // mask follows the colour bits (maskBit(x, y) true = transparent).
    bool icon = false;
    std::function<bool(int32_t x, int32_t y)> maskBit = {};
};

Bytes MakeDib(const DibLayout& layout);
// An icon image of one colour (0xAARRGGBB; below 32 bits through a table of
// black and the colour).
Bytes MakeIcon(int32_t width, int32_t height, uint16_t bpp, uint32_t color,
               std::function<bool(int32_t x, int32_t y)> mask = {});
// A .bmp file around a DIB: BITMAPFILEHEADER with bfOffBits pointing at the
// bits (`gap` bytes of padding between the table and the bits).
Bytes MakeBmpFile(const DibLayout& layout, uint32_t gap = 0);

// A field of a header: `size` bytes at `offset`, low byte first.
struct Field {
    size_t offset;
    uint32_t value;
    int size = 4;
};
// The bytes with each field written over.
Bytes Patched(Bytes bytes, std::initializer_list<Field> fields);

struct IcoImage {
    uint8_t width = 0; // as in the directory (0 = 256)
    uint8_t height = 0;
    uint16_t bitCount = 32;
    Bytes data;
};
Bytes MakeIcoFile(const std::vector<IcoImage>& images);

// A PNG file: IHDR, one IDAT holding `rows` (each row led by its filter
// type, 0 for none) deflated, and IEND.
Bytes MakePng(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth,
              const Bytes& rows);

// A JPEG file through libjpeg at quality 95. `pixel(x, y)` gives
// 0xAARRGGBB for RGB (stored as YCbCr), the low byte for grey, and C, M, Y,
// K from the high to the low byte for CMYK and YCCK (libjpeg marks both with
// Adobe's marker, so the values are Adobe's inverted ones: 255 = no ink).
enum class JpegKind { Grey, Rgb, Cmyk, Ycck };
Bytes MakeJpeg(int32_t width, int32_t height, JpegKind kind, const PixelFn& pixel,
               bool progressive = false);

// An image whose pixel (x, y) is pixel(x, y).
Image MakeImage(int32_t width, int32_t height, const PixelFn& pixel);
// "W x H", or "refused".
std::string SizeOf(const std::optional<Image>& image);
// SizeOf and then each row's pixels in hex: a whole image compared in one
// assertion with a readable difference.
std::string Dump(const std::optional<Image>& image);

} // namespace qm6::pictures::test
