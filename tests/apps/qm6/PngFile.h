#pragma once

// Reads a PNG file the tool wrote back into 8-bit RGBA pixels with libpng.

#include "support/TestSupport.h"

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm6::tool::testing {

struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

// The file decoded to 8-bit RGBA; nullopt when it is not a PNG file.
inline std::optional<Png> ReadPng(const std::filesystem::path& path) {
    const std::string bytes = test::ReadFile(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    Png png{image.width, image.height, std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return png;
}

} // namespace qm6::tool::testing
