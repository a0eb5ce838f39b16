#include "Builders.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <zlib.h>

namespace qm6::pictures::test {

namespace {

// `bytes` bytes of v, low byte first (high byte first when `bigEndian`).
void Put(Bytes& b, uint32_t v, int bytes, bool bigEndian = false) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(uint8_t(v >> (8 * (bigEndian ? bytes - 1 - i : i))));
}

constexpr uint32_t kHeaderSize[] = {12, 40, 108, 124}; // by Header

// Scales an 8-bit channel into a mask's bits (the top bits of the value).
uint32_t IntoMask(uint32_t channel8, uint32_t mask) {
    const int bits = std::popcount(mask);
    const uint32_t v = bits >= 8 ? channel8 << (bits - 8) : channel8 >> (8 - bits);
    return mask ? (v << std::countr_zero(mask)) & mask : 0;
}

// Writes the header, masks and table; answers the offset where the bits go.
size_t WriteHeader(Bytes& b, const DibLayout& s) {
    const int32_t storedHeight = (s.icon ? 2 * s.height : s.height) * (s.topDown ? -1 : 1);
    const uint32_t size = kHeaderSize[int(s.header)];
    const int side = s.header == Header::Core ? 2 : 4;
    Put(b, size, 4);
    Put(b, uint32_t(s.width), side);
    Put(b, uint32_t(storedHeight), side);
    Put(b, 1, 2);
    Put(b, s.bpp, 2);
    if (s.header != Header::Core) {
        // Compression, biSizeImage, 72 dpi both ways, biClrUsed, biClrImportant.
        for (uint32_t v : {s.bitfields ? 3u : 0u, 0u, 2835u, 2835u, s.clrUsed, 0u})
            Put(b, v, 4);
        for (int i = 0; i < (s.header != Header::Info ? 4 : s.bitfields ? 3 : 0); ++i)
            Put(b, s.masks[i], 4);
        if (s.header != Header::Info)
            Put(b, 0x73524742, 4); // 'sRGB'
        b.resize(std::max(b.size(), size_t{size}), 0);
    }
    for (uint32_t c : s.palette) // the fourth byte (reserved) is never read
        Put(b, c | 0x5A000000, s.header == Header::Core ? 3 : 4);
    return b.size();
}

// A row of `bits`-bit values padded to 4 bytes: below 8 bits packed from the
// high bits of each byte, else low byte first.
void PutRow(Bytes& b, int32_t width, int bits, const std::function<uint32_t(int32_t)>& value) {
    Bytes line(((size_t(width) * size_t(bits) + 31) / 32) * 4, 0);
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t v = value(x);
        const size_t at = size_t(x) * size_t(bits) / 8;
        if (bits < 8)
            line[at] |= uint8_t((v & ((1u << bits) - 1)) << (8 - bits - x * bits % 8));
        else
            for (int i = 0; i < bits / 8; ++i)
                line[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
    b.insert(b.end(), line.begin(), line.end());
}

// The colour bits, then an icon's AND mask, each in the layout's row order.
void WriteBits(Bytes& b, const DibLayout& s) {
    const bool intoMasks = s.bpp == 32 && s.bitfields;
    for (int32_t row = 0; row < (s.icon ? 2 : 1) * s.height; ++row) {
        const bool mask = row >= s.height;
        const int32_t y = s.topDown ? row % s.height : s.height - 1 - row % s.height;
        PutRow(b, s.width, mask ? 1 : s.bpp, [&](int32_t x) {
            const uint32_t v = mask ? uint32_t(s.maskBit && s.maskBit(x, y)) : s.value(x, y);
            return mask || !intoMasks
                       ? v
                       : IntoMask((v >> 16) & 0xFF, s.masks[0]) |
                             IntoMask((v >> 8) & 0xFF, s.masks[1]) |
                             IntoMask(v & 0xFF, s.masks[2]) | IntoMask(v >> 24, s.masks[3]);
        });
    }
}

// A PNG chunk: length, type, data, and the CRC of type and data.
void Chunk(Bytes& b, const char* type, const Bytes& data) {
    Put(b, uint32_t(data.size()), 4, true);
    const size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Put(b, uint32_t(crc32(0, b.data() + start, uInt(b.size() - start))), 4, true);
}

} // namespace

Bytes MakeDib(const DibLayout& layout) {
    Bytes b;
    WriteHeader(b, layout);
    WriteBits(b, layout);
    return b;
}

Bytes MakeIcon(int32_t width, int32_t height, uint16_t bpp, uint32_t color,
               std::function<bool(int32_t, int32_t)> mask) {
    const bool paletted = bpp <= 8;
    DibLayout s{.width = width, .height = height, .bpp = bpp, .icon = true, .maskBit = mask};
    if (paletted) {
        s.palette = {0, color & 0xFFFFFF};
        s.clrUsed = 2;
    }
    s.value = [=](int32_t, int32_t) { return paletted ? 1u : color; };
    return MakeDib(s);
}

Bytes MakeBmpFile(const DibLayout& layout, uint32_t gap) {
    Bytes dib;
    const size_t bitsAt = WriteHeader(dib, layout);
    dib.insert(dib.end(), gap, 0xEE);
    WriteBits(dib, layout);
    Bytes b{'B', 'M'};
    for (size_t v : {14 + dib.size(), size_t{0}, 14 + bitsAt + gap})
        Put(b, uint32_t(v), 4);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes Patched(Bytes bytes, std::initializer_list<Field> fields) {
    for (const Field& f : fields)
        for (int i = 0; i < f.size; ++i)
            bytes.at(f.offset + size_t(i)) = uint8_t(f.value >> (8 * i));
    return bytes;
}

Bytes MakeIcoFile(const std::vector<IcoImage>& images) {
    Bytes b;
    for (size_t v : {size_t{0}, size_t{1}, images.size()})
        Put(b, uint32_t(v), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const IcoImage& im : images) {
        b.insert(b.end(), {im.width, im.height, 0, 0});
        for (uint32_t v : {1u, uint32_t(im.bitCount)})
            Put(b, v, 2);
        for (uint32_t v : {uint32_t(im.data.size()), offset})
            Put(b, v, 4);
        offset += uint32_t(im.data.size());
    }
    for (const IcoImage& im : images)
        b.insert(b.end(), im.data.begin(), im.data.end());
    return b;
}

Bytes MakePng(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth,
              const Bytes& rows) {
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    for (uint32_t v : {width, height})
        Put(header, v, 4, true);
    header.insert(header.end(), {bitDepth, colorType, 0, 0, 0});
    Chunk(b, "IHDR", header);
    uLongf size = compressBound(uLong(rows.size()));
    Bytes deflated(size);
    compress2(deflated.data(), &size, rows.data(), uLong(rows.size()), Z_BEST_SPEED);
    deflated.resize(size);
    Chunk(b, "IDAT", deflated);
    Chunk(b, "IEND", {});
    return b;
}

Bytes MakeJpeg(int32_t width, int32_t height, JpegKind kind, const PixelFn& pixel,
               bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    constexpr J_COLOR_SPACE kSpaces[] = {JCS_GRAYSCALE, JCS_RGB, JCS_CMYK, JCS_CMYK}; // by kind
    cinfo.in_color_space = kSpaces[int(kind)];
    cinfo.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Rgb ? 3 : 4;
    jpeg_set_defaults(&cinfo);
    if (kind == JpegKind::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const int n = cinfo.input_components;
    Bytes row(size_t(width) * size_t(n));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int32_t x = 0; x < width; ++x) {
            // The channels from the lowest byte up: grey; B, G, R; K, Y, M, C.
            const uint32_t p = pixel(x, int32_t(cinfo.next_scanline));
            for (int c = 0; c < n; ++c)
                row[size_t(x * n + c)] = uint8_t(p >> (8 * (n - 1 - c)));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Image MakeImage(int32_t width, int32_t height, const PixelFn& pixel) {
    Image image{width, height, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.pixels.push_back(pixel(x, y));
    return image;
}

std::string SizeOf(const std::optional<Image>& image) {
    return image ? std::to_string(image->width) + " x " + std::to_string(image->height) : "refused";
}

std::string Dump(const std::optional<Image>& image) {
    std::string text = SizeOf(image);
    for (size_t i = 0; image && i < image->pixels.size(); ++i) {
        char hex[10];
        std::snprintf(hex, sizeof hex, "%c%08X", i % size_t(image->width) ? ' ' : '\n',
                      image->pixels[i]);
        text += hex;
    }
    return text;
}

} // namespace qm6::pictures::test
