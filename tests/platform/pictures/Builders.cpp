#include "Builders.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>
#include <zlib.h>

namespace qm6::pictures::test {

namespace {

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

constexpr uint32_t kHeaderSize[] = {12, 40, 108, 124}; // by Header

// Scales an 8-bit channel into a mask's bits (the top bits of the value).
uint32_t IntoMask(uint32_t channel8, uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    int bits = 0;
    while (bits + shift < 32 && ((mask >> (shift + bits)) & 1))
        ++bits;
    const uint32_t v = bits >= 8 ? channel8 << (bits - 8) : channel8 >> (8 - bits);
    return (v << shift) & mask;
}

// Writes the header, masks and table; answers the offset where the bits go.
size_t WriteHeader(Bytes& b, const DibLayout& s) {
    const int32_t storedHeight = (s.icon ? 2 * s.height : s.height) * (s.topDown ? -1 : 1);
    const uint32_t size = kHeaderSize[int(s.header)];
    Put32(b, size);
    if (s.header == Header::Core) {
        Put16(b, uint32_t(s.width));
        Put16(b, uint32_t(storedHeight));
    } else {
        Put32(b, uint32_t(s.width));
        Put32(b, uint32_t(storedHeight));
    }
    Put16(b, 1);
    Put16(b, s.bpp);
    if (s.header != Header::Core) {
        // Compression, biSizeImage, 72 dpi both ways, biClrUsed, biClrImportant.
        for (uint32_t v : {s.bitfields ? 3u : 0u, 0u, 2835u, 2835u, s.clrUsed, 0u})
            Put32(b, v);
        for (int i = 0; i < (s.header != Header::Info ? 4 : s.bitfields ? 3 : 0); ++i)
            Put32(b, s.masks[i]);
        if (s.header != Header::Info)
            Put32(b, 0x73524742); // 'sRGB'
        while (b.size() < size)
            b.push_back(0);
    }
    for (uint32_t c : s.palette) {
        for (int i = 0; i < 3; ++i)
            b.push_back(uint8_t(c >> (8 * i)));
        if (s.header != Header::Core)
            b.push_back(0x5A); // reserved byte: never read
    }
    return b.size();
}

void WriteBits(Bytes& b, const DibLayout& s) {
    const size_t stride = ((size_t(s.width) * s.bpp + 31) / 32) * 4;
    for (int32_t row = 0; row < s.height; ++row) {
        const int32_t y = s.topDown ? row : s.height - 1 - row;
        Bytes line(stride, 0);
        for (int32_t x = 0; x < s.width; ++x) {
            uint32_t v = s.value(x, y);
            switch (s.bpp) {
            case 1:
                line[size_t(x) / 8] |= uint8_t((v & 1) << (7 - x % 8));
                break;
            case 4:
                line[size_t(x) / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 16:
            case 24:
            case 32:
                if (s.bpp == 32 && s.bitfields)
                    v = IntoMask((v >> 16) & 0xFF, s.masks[0]) |
                        IntoMask((v >> 8) & 0xFF, s.masks[1]) | IntoMask(v & 0xFF, s.masks[2]) |
                        IntoMask(v >> 24, s.masks[3]);
                for (size_t i = 0; i < size_t(s.bpp / 8); ++i)
                    line[size_t(x) * (s.bpp / 8) + i] = uint8_t(v >> (8 * i));
                break;
            case 8:
                line[size_t(x)] = uint8_t(v);
                break;
            default:
                throw std::logic_error("bad depth");
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    if (!s.icon)
        return;
    const size_t maskStride = ((size_t(s.width) + 31) / 32) * 4;
    for (int32_t row = 0; row < s.height; ++row) {
        const int32_t y = s.topDown ? row : s.height - 1 - row;
        Bytes line(maskStride, 0);
        for (int32_t x = 0; x < s.width; ++x)
            if (s.maskBit && s.maskBit(x, y))
                line[size_t(x) / 8] |= uint8_t(1 << (7 - x % 8));
        b.insert(b.end(), line.begin(), line.end());
    }
}

// A PNG chunk: length, type, data, and the CRC of type and data.
void Chunk(Bytes& b, const char* type, const Bytes& data) {
    const auto putBig = [&b](uint32_t v) {
        for (int i = 3; i >= 0; --i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    putBig(uint32_t(data.size()));
    const size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    putBig(uint32_t(crc32(0, b.data() + start, uInt(b.size() - start))));
}

} // namespace

Bytes MakeDib(const DibLayout& layout) {
    Bytes b;
    WriteHeader(b, layout);
    WriteBits(b, layout);
    return b;
}

Bytes MakeIcon(int32_t width, int32_t height, uint16_t bpp, uint32_t color,
               std::function<bool(int32_t, int32_t)> mask, bool stripes) {
    DibLayout s;
    s.width = width;
    s.height = height;
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

Bytes MakeBmpFile(const DibLayout& layout, uint32_t gap) {
    Bytes dib;
    const size_t bitsAt = WriteHeader(dib, layout);
    dib.insert(dib.end(), gap, 0xEE);
    WriteBits(dib, layout);
    Bytes b{'B', 'M'};
    for (size_t v : {14 + dib.size(), size_t{0}, 14 + bitsAt + gap})
        Put32(b, uint32_t(v));
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
        Put16(b, uint32_t(v));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const IcoImage& im : images) {
        b.insert(b.end(), {im.width, im.height, 0, 0});
        Put16(b, 1);
        Put16(b, im.bitCount);
        Put32(b, uint32_t(im.data.size()));
        Put32(b, offset);
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
        for (int i = 3; i >= 0; --i)
            header.push_back(uint8_t(v >> (8 * i)));
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
    cinfo.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Rgb ? 3 : 4;
    cinfo.in_color_space = kind == JpegKind::Grey  ? JCS_GRAYSCALE
                           : kind == JpegKind::Rgb ? JCS_RGB
                                                   : JCS_CMYK;
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
    Image image;
    image.width = width;
    image.height = height;
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
