// Draws the pictures of the product's own branding library and writes them as
// the files its .rc names: 8-bit palette bitmaps for the splash screens, the
// panels and the logos, and icons with 16, 32 and 48 pixel images (32-bit
// with alpha) and a 256 pixel PNG image. The art is abstract (a gradient, a
// meter arc with its needle, a quill stroke); no text.
//
// Usage: qm6_branding_art OUTPUT_FOLDER

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint8_t Byte(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// One colour scheme: a background running from `from` to `to`, and the
// artwork running from `light` to `accent`.
struct Scheme {
    Rgb from, to, light, accent;
};

// What a point of a picture shows: the background at a position of its
// gradient, or the artwork at a position of its own.
struct Sample {
    bool art = false;
    double t = 0;
};

// The scene in a unit square (x to the right, y downwards, 0..1), laid out in
// a picture of the given aspect ratio (width / height).
Sample Scene(double x, double y, double aspect) {
    Sample s;
    s.t = 0.65 * y + 0.35 * x;
    // Coordinates in units of the picture's height, centred on the meter.
    const double cx = 0.5 * aspect;
    const double cy = aspect >= 1 ? 0.62 : 0.45;
    const double scale = aspect >= 1 ? 1.0 : aspect;
    const double px = x * aspect - cx;
    const double py = y - cy;
    const double radius = 0.34 * scale;
    const double ring = 0.07 * scale;
    const double d = std::hypot(px, py);
    const double angle = std::atan2(-py, px); // 0 to the right, pi/2 up

    // The meter's arc: the upper half ring, lit along its length.
    if (angle >= 0 && d > radius - ring && d < radius) {
        s.art = true;
        s.t = 1 - angle / std::numbers::pi;
        return s;
    }
    // Ticks inside the arc every 22.5 degrees.
    if (angle > 0.05 && angle < std::numbers::pi - 0.05 && d > radius - 2.0 * ring &&
        d < radius - 1.3 * ring) {
        const double step = std::numbers::pi / 8;
        if (std::fabs(std::remainder(angle, step)) < 0.035) {
            s.art = true;
            s.t = 0.1;
            return s;
        }
    }
    // The needle, pointing up and to the right, and its hub.
    const double needle = std::numbers::pi / 3.2;
    const double ux = std::cos(needle), uy = -std::sin(needle);
    const double along = px * ux + py * uy;
    const double across = std::fabs(px * uy - py * ux);
    if ((along > 0 && along < radius - 1.2 * ring && across < 0.012 * scale * (1.6 - along / radius)) ||
        d < 0.035 * scale) {
        s.art = true;
        s.t = 0.0;
        return s;
    }
    // The quill: a slim leaf shape crossing the lower right.
    const double qx = px - 0.18 * scale, qy = py - 0.05 * scale;
    const double qa = -std::numbers::pi / 4.5;
    const double a = qx * std::cos(qa) - qy * std::sin(qa);
    const double b = qx * std::sin(qa) + qy * std::cos(qa);
    const double len = 0.3 * scale, wid = 0.045 * scale;
    if (std::fabs(a) < len) {
        const double half = wid * std::sqrt(1 - (a / len) * (a / len)) * (a < 0 ? 0.6 : 1.0);
        if (std::fabs(b) < half) {
            s.art = true;
            s.t = 0.4 + 0.6 * std::fabs(b) / half;
            return s;
        }
    }
    return s;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, uint16_t bits,
                   uint32_t imageBytes, uint32_t colours) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, 0);
}

// An 8-bit palette .bmp file of the scene: palette entries 0-191 are the
// background gradient, 192-255 the artwork's.
std::vector<uint8_t> SceneBitmap(int32_t width, int32_t height, const Scheme& scheme) {
    const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + 1024 + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + 40 + 1024);
    PutInfoHeader(out, width, height, 8, imageBytes, 256);
    for (int i = 0; i < 256; ++i) {
        const Rgb c = i < 192 ? Mix(scheme.from, scheme.to, i / 191.0)
                              : Mix(scheme.light, scheme.accent, (i - 192) / 63.0);
        out.push_back(Byte(c.b));
        out.push_back(Byte(c.g));
        out.push_back(Byte(c.r));
        out.push_back(0);
    }
    const double aspect = static_cast<double>(width) / height;
    for (int32_t row = height - 1; row >= 0; --row) { // bottom-up
        for (int32_t col = 0; col < width; ++col) {
            const Sample s = Scene((col + 0.5) / width, (row + 0.5) / height, aspect);
            out.push_back(s.art ? static_cast<uint8_t>(192 + std::lround(s.t * 63))
                                : static_cast<uint8_t>(std::lround(std::clamp(s.t, 0.0, 1.0) * 191)));
        }
        out.resize(out.size() + (stride - static_cast<uint32_t>(width)), 0);
    }
    return out;
}

// The icon's picture at size x size: a disc in the background gradient with
// the artwork on it, edges smoothed by 4 x 4 samples a pixel. Rows from the
// top, 0xAARRGGBB.
std::vector<uint32_t> IconPixels(int32_t size, const Scheme& scheme) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    constexpr int kSamples = 4;
    for (int32_t row = 0; row < size; ++row) {
        for (int32_t col = 0; col < size; ++col) {
            double r = 0, g = 0, b = 0, covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (col + (sx + 0.5) / kSamples) / size;
                    const double y = (row + (sy + 0.5) / kSamples) / size;
                    if (std::hypot(x - 0.5, y - 0.5) > 0.48)
                        continue;
                    // The scene's meter, moved up to the middle of the disc.
                    const Sample s = Scene(x, y + 0.1, 1.0);
                    const Rgb c = s.art ? Mix(scheme.light, scheme.accent, s.t)
                                        : Mix(scheme.from, scheme.to, s.t);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    covered += 1;
                }
            }
            if (covered == 0)
                continue;
            const uint32_t alpha = Byte(255.0 * covered / (kSamples * kSamples));
            pixels[static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(col)] =
                alpha << 24 | uint32_t{Byte(r / covered)} << 16 | uint32_t{Byte(g / covered)} << 8 |
                Byte(b / covered);
        }
    }
    return pixels;
}

// An icon image as an .ico file stores it: a 32-bit DIB of twice the height
// (colour rows bottom-up, then the AND mask, set where the pixel is clear).
std::vector<uint8_t> IconDib(int32_t size, const std::vector<uint32_t>& pixels) {
    const uint32_t maskStride = ((static_cast<uint32_t>(size) + 31) / 32) * 4;
    const uint32_t colourBytes = static_cast<uint32_t>(size * size) * 4;
    std::vector<uint8_t> out;
    PutInfoHeader(out, size, 2 * size, 32, colourBytes + maskStride * static_cast<uint32_t>(size), 0);
    for (int32_t row = size - 1; row >= 0; --row)
        for (int32_t col = 0; col < size; ++col)
            Put32(out, pixels[static_cast<size_t>(row * size + col)]);
    for (int32_t row = size - 1; row >= 0; --row) {
        std::vector<uint8_t> mask(maskStride, 0);
        for (int32_t col = 0; col < size; ++col)
            if ((pixels[static_cast<size_t>(row * size + col)] >> 24) == 0)
                mask[static_cast<size_t>(col / 8)] |= static_cast<uint8_t>(0x80 >> (col % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// The pixels as an RGBA PNG file; empty when libpng fails.
std::vector<uint8_t> Png(int32_t size, const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return out;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> rgba(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgba[4 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(pixels[i]);
        rgba[4 * i + 3] = static_cast<uint8_t>(pixels[i] >> 24);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(size));
    for (int32_t row = 0; row < size; ++row)
        rows[static_cast<size_t>(row)] = rgba.data() + static_cast<size_t>(row * size) * 4;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendPngBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An .ico file with 16, 32 and 48 pixel DIB images and a 256 pixel PNG image.
std::vector<uint8_t> Icon(const Scheme& scheme) {
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> images;
    for (int32_t size : {16, 32, 48})
        images.emplace_back(size, IconDib(size, IconPixels(size, scheme)));
    images.emplace_back(256, Png(256, IconPixels(256, scheme)));
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const auto& [size, data] : images) {
        out.push_back(static_cast<uint8_t>(size == 256 ? 0 : size));
        out.push_back(static_cast<uint8_t>(size == 256 ? 0 : size));
        out.push_back(0); // no palette
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 32); // bits a pixel
        Put32(out, static_cast<uint32_t>(data.size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(data.size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.second.begin(), image.second.end());
    return out;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "qm6_branding_art: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: qm6_branding_art OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    // The product's blue (the main report colour) and gold (the sub colour).
    const Rgb blue{23, 112, 173}, gold{255, 204, 102}, white{250, 250, 250};
    const Scheme console{{12, 40, 78}, blue, white, gold};
    const Scheme jobDesk{{10, 56, 60}, {30, 140, 130}, white, gold};
    const Scheme reports{{40, 24, 70}, {110, 80, 170}, white, gold};
    const Scheme batchJoin{{70, 34, 10}, {200, 110, 40}, white, {255, 236, 180}};
    const Scheme panel{blue, {200, 225, 245}, white, gold};
    const Scheme logo{{245, 248, 252}, {210, 228, 244}, {120, 170, 210}, blue};

    struct Output {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Output outputs[] = {
        {"splash_console.bmp", SceneBitmap(400, 260, console)},
        {"splash_jobdesk.bmp", SceneBitmap(400, 260, jobDesk)},
        {"splash_reports.bmp", SceneBitmap(400, 260, reports)},
        {"splash_batchjoin.bmp", SceneBitmap(400, 260, batchJoin)},
        {"report_logo.bmp", SceneBitmap(200, 60, logo)},
        {"wizard_panel.bmp", SceneBitmap(164, 314, panel)},
        {"admin_header.bmp", SceneBitmap(176, 80, logo)},
        {"db_maintenance.bmp", SceneBitmap(164, 314, jobDesk)},
        {"client.ico", Icon(console)},
        {"about.ico", Icon(batchJoin)},
    };
    for (const Output& output : outputs) {
        if (output.bytes.empty() || !Write(folder + "/" + output.name, output.bytes))
            return 1;
    }
    return 0;
}
