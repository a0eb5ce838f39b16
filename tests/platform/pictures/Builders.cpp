#include "Builders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

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

uint32_t HeaderSize(Header h) {
    switch (h) {
    case Header::Core: return 12;
    case Header::Info: return 40;
    case Header::V4: return 108;
    case Header::V5: return 124;
    }
    return 40;
}

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
    if (s.header == Header::Core) {
        Put32(b, 12);
        Put16(b, uint32_t(s.width));
        Put16(b, uint32_t(storedHeight));
        Put16(b, 1);
        Put16(b, s.bpp);
    } else {
        Put32(b, HeaderSize(s.header));
        Put32(b, uint32_t(s.width));
        Put32(b, uint32_t(storedHeight));
        Put16(b, 1);
        Put16(b, s.bpp);
        Put32(b, s.bitfields ? 3 : 0);
        Put32(b, 0);    // biSizeImage
        Put32(b, 2835); // 72 dpi
        Put32(b, 2835);
        Put32(b, s.clrUsed);
        Put32(b, 0);
        if (s.header == Header::Info) {
            if (s.bitfields)
                for (int i = 0; i < 3; ++i)
                    Put32(b, s.masks[i]);
        } else {
            for (int i = 0; i < 4; ++i)
                Put32(b, s.masks[i]);
            Put32(b, 0x73524742); // 'sRGB'
            while (b.size() < HeaderSize(s.header))
                b.push_back(0);
        }
    }
    for (uint32_t c : s.palette) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c >> 16));
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
            const uint32_t v = s.value(x, y);
            switch (s.bpp) {
            case 1: line[size_t(x) / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: line[size_t(x) / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: line[size_t(x)] = uint8_t(v); break;
            case 16:
                line[2 * size_t(x)] = uint8_t(v);
                line[2 * size_t(x) + 1] = uint8_t(v >> 8);
                break;
            case 24:
                line[3 * size_t(x)] = uint8_t(v);
                line[3 * size_t(x) + 1] = uint8_t(v >> 8);
                line[3 * size_t(x) + 2] = uint8_t(v >> 16);
                break;
            case 32: {
                uint32_t word = v;
                if (s.bitfields)
                    word = IntoMask((v >> 16) & 0xFF, s.masks[0]) | IntoMask((v >> 8) & 0xFF, s.masks[1]) |
                           IntoMask(v & 0xFF, s.masks[2]) | IntoMask(v >> 24, s.masks[3]);
                for (int i = 0; i < 4; ++i)
                    line[4 * size_t(x) + size_t(i)] = uint8_t(word >> (8 * i));
                break;
            }
            default: throw std::logic_error("bad depth");
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

} // namespace

Bytes MakeDib(const DibLayout& layout) {
    Bytes b;
    WriteHeader(b, layout);
    WriteBits(b, layout);
    return b;
}

Bytes MakeBmpFile(const DibLayout& layout, uint32_t gap) {
    Bytes dib;
    const size_t bitsAt = WriteHeader(dib, layout);
    dib.insert(dib.end(), gap, 0xEE);
    WriteBits(dib, layout);
    Bytes b{'B', 'M'};
    Put32(b, uint32_t(14 + dib.size()));
    Put32(b, 0);
    Put32(b, uint32_t(14 + bitsAt + gap));
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes MakeIcoFile(const std::vector<IcoImage>& images) {
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const IcoImage& im : images) {
        b.push_back(im.width);
        b.push_back(im.height);
        b.push_back(0);
        b.push_back(0);
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

namespace {
void PngWriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}
} // namespace

namespace {

// The rows of a PNG image as libpng wants them.
std::vector<Bytes> PngRows(int32_t width, int32_t height, int colorType, int bitDepth,
                           const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    int channels = 1;
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: channels = 2; break;
    case PNG_COLOR_TYPE_RGB: channels = 3; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: channels = 4; break;
    default: break;
    }
    const size_t bytesPerSample = bitDepth == 16 ? 2 : 1;
    std::vector<Bytes> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        Bytes& row = rows[size_t(y)];
        row.assign(size_t(width) * size_t(channels) * bytesPerSample + 1, 0);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            uint8_t samples[4] = {};
            switch (colorType) {
            case PNG_COLOR_TYPE_GRAY:
            case PNG_COLOR_TYPE_PALETTE: samples[0] = uint8_t(p); break;
            case PNG_COLOR_TYPE_GRAY_ALPHA:
                samples[0] = uint8_t(p);
                samples[1] = uint8_t(p >> 24);
                break;
            case PNG_COLOR_TYPE_RGB:
                samples[0] = uint8_t(p >> 16);
                samples[1] = uint8_t(p >> 8);
                samples[2] = uint8_t(p);
                break;
            default:
                samples[0] = uint8_t(p >> 16);
                samples[1] = uint8_t(p >> 8);
                samples[2] = uint8_t(p);
                samples[3] = uint8_t(p >> 24);
                break;
            }
            for (int c = 0; c < channels; ++c) {
                const size_t at = size_t(x) * size_t(channels) + size_t(c);
                if (bitDepth == 16) {
                    row[at * 2] = samples[c];
                    row[at * 2 + 1] = samples[c];
                } else if (bitDepth == 8) {
                    row[at] = samples[c];
                } else { // 1, 2 or 4 bits: grey or palette, the value as is
                    const int perByte = 8 / bitDepth;
                    const int shift = 8 - bitDepth * (x % perByte + 1);
                    row[size_t(x / perByte)] |= uint8_t((samples[0] & ((1 << bitDepth) - 1)) << shift);
                }
            }
        }
    }
    return rows;
}

void WritePng(png_structp png, png_infop info, int32_t width, int32_t height, int colorType, int bitDepth,
              bool interlaced, const png_color* palette, const png_byte* alpha, png_bytepp rows) {
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 16);
        png_set_tRNS(png, info, alpha, 16, nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
}

} // namespace

Bytes MakePng(int32_t width, int32_t height, int colorType, int bitDepth,
              const std::function<uint32_t(int32_t, int32_t)>& pixel, bool interlaced) {
    // Palette images: entry i is pixel(-1, i), and pixels give their index
    // in the low byte.
    png_color palette[16];
    png_byte alpha[16];
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = colorType == PNG_COLOR_TYPE_PALETTE ? pixel(-1, i) : 0;
        palette[i] = {png_byte(c >> 16), png_byte(c >> 8), png_byte(c)};
        alpha[i] = png_byte(c >> 24);
    }
    std::vector<Bytes> rows = PngRows(width, height, colorType, bitDepth, pixel);
    std::vector<png_bytep> pointers;
    for (Bytes& r : rows)
        pointers.push_back(r.data());

    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngWriteToVector, PngFlush);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng write failed");
    }
    WritePng(png, info, width, height, colorType, bitDepth, interlaced, palette, alpha, pointers.data());
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeJpeg(int32_t width, int32_t height, JpegKind kind,
               const std::function<uint32_t(int32_t, int32_t)>& pixel, bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    switch (kind) {
    case JpegKind::Grey:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        break;
    case JpegKind::Rgb:
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        break;
    case JpegKind::Cmyk:
    case JpegKind::Ycck:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        break;
    }
    jpeg_set_defaults(&cinfo);
    if (kind == JpegKind::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(size_t(width) * size_t(cinfo.input_components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int32_t y = int32_t(cinfo.next_scanline);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            uint8_t* d = row.data() + size_t(x) * size_t(cinfo.input_components);
            switch (kind) {
            case JpegKind::Grey: d[0] = uint8_t(p); break;
            case JpegKind::Rgb: d[0] = uint8_t(p >> 16); d[1] = uint8_t(p >> 8); d[2] = uint8_t(p); break;
            default:
                d[0] = uint8_t(p >> 24); d[1] = uint8_t(p >> 16); d[2] = uint8_t(p >> 8); d[3] = uint8_t(p);
                break;
            }
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

} // namespace qm6::pictures::test
