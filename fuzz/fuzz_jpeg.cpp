// Fuzz target for the JPEG decoder and for pictures made from file bytes
// (BMP, JPEG or ICO by their signatures). A picture keeps exactly the bytes
// it was made from.

#include "platform/pictures/Picture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qm6::pictures;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const auto image = DecodeJpeg(bytes);
    if (image && image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
    const PicturePtr picture = LoadPicture(bytes);
    if (picture) {
        const auto& kept = picture->SourceFile();
        if (kept.size() != size || !std::equal(kept.begin(), kept.end(), data))
            std::abort();
        if (picture->Pixels().pixels.size() != size_t(picture->Width()) * size_t(picture->Height()))
            std::abort();
    }
    return 0;
}
