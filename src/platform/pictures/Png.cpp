// PNG files through libpng's simplified interface, which keeps its errors
// and warnings in the image record (nothing is printed).

#include "platform/pictures/PictureDetail.h"

#include <png.h>

#include <cstring>
#include <fstream>

namespace qm6::pictures {

namespace {

// Deflate never expands data by more than about 1032 to 1, so an image whose
// rows at one bit a pixel would need more than this many bytes cannot be
// held by a file of `fileSize` bytes; such a header is refused before its
// pixels are allocated.
bool RowsCanFit(int64_t width, int64_t height, size_t fileSize) {
    const uint64_t minRaw = static_cast<uint64_t>(height) * (1 + (static_cast<uint64_t>(width) + 7) / 8);
    return minRaw <= uint64_t{1032} * fileSize + 4096;
}

struct ImageGuard {
    png_image image;
    ImageGuard() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~ImageGuard() { png_image_free(&image); }
    ImageGuard(const ImageGuard&) = delete;
    ImageGuard& operator=(const ImageGuard&) = delete;
};

} // namespace

std::optional<Image> DecodePng(std::span<const uint8_t> file) {
    if (!detail::IsPng(file))
        return std::nullopt;
    ImageGuard guard;
    png_image& png = guard.image;
    if (!png_image_begin_read_from_memory(&png, file.data(), file.size()))
        return std::nullopt;
    if (!detail::SizeAllowed(png.width, png.height) || !RowsCanFit(png.width, png.height, file.size()))
        return std::nullopt;

    // 8 bits a channel, straight alpha. 16-bit samples of a file that names
    // no gamma are taken as sRGB like 8-bit ones (libpng would otherwise
    // take them as linear and brighten them), so they keep their high byte.
    png.format = PNG_FORMAT_BGRA;
    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, buffer.data(), 0, nullptr))
        return std::nullopt;

    Image image;
    image.width = static_cast<int32_t>(png.width);
    image.height = static_cast<int32_t>(png.height);
    image.pixels.resize(size_t(png.width) * size_t(png.height));
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint8_t* p = buffer.data() + 4 * i;
        image.pixels[i] = (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    return image;
}

std::vector<uint8_t> EncodePng(const Image& image) {
    if (!detail::SizeAllowed(image.width, image.height) ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        return {};
    std::vector<uint8_t> rgba(image.pixels.size() * 4);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint32_t p = image.pixels[i];
        rgba[4 * i] = uint8_t(p >> 16);
        rgba[4 * i + 1] = uint8_t(p >> 8);
        rgba[4 * i + 2] = uint8_t(p);
        rgba[4 * i + 3] = uint8_t(p >> 24);
    }
    ImageGuard guard;
    png_image& png = guard.image;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr) || size == 0)
        return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

bool SavePng(const Picture& picture, const std::string& path) {
    const std::vector<uint8_t> bytes = EncodePng(picture.Pixels());
    if (bytes.empty())
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace qm6::pictures
