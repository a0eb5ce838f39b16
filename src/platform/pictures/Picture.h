#pragma once

// The platform's picture object: a bitmap or an icon, decoded to 32-bit
// pixels. A picture made from the bytes of an image file also keeps that
// file, so that saving or handing it on keeps the file's own format (a JPEG
// stays a JPEG). Pictures never change once made; they are shared as
// PicturePtr.
//
// The decoders take untrusted bytes (a branding library anyone can replace,
// an image file) and answer nullopt for anything malformed, cut short or
// absurdly large; they never read outside the bytes they are given.

#include "platform/resources/ResourceLibrary.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm6::pictures {

// The platform's picture types (PICTYPE_BITMAP, PICTYPE_ICON).
enum class PictureType : int16_t { Bitmap = 1, Icon = 3 };

// Decoded pixels: row-major from the top row, one 32-bit 0xAARRGGBB value a
// pixel, alpha not premultiplied (QImage::Format_ARGB32's layout). A bitmap
// without alpha has every alpha at 0xFF.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // width * height values

    uint32_t Pixel(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Images larger than this many pixels are refused (a 16384 x 16384 picture);
// no picture of the product comes near it.
constexpr int64_t kMaxPixels = int64_t{1} << 28;

// The largest width or height the loaders below stretch a picture to. The
// largest image an icon file can hold is 256 x 256, and a bitmap stretched
// to fill a screen needs a few thousand pixels a side; 4096 leaves room for
// both, and keeps one request to at most 4096 x 4096 pixels (64 MB), where
// the 16-bit sizes callers pass could otherwise ask for gigabytes.
constexpr int32_t kMaxRequestedSide = 4096;

// Whether a picture may be asked for at width x height: neither side above
// kMaxRequestedSide (0 or less takes the picture's own extent).
constexpr bool RequestedSizeAllowed(int32_t width, int32_t height) {
    return width <= kMaxRequestedSide && height <= kMaxRequestedSide;
}

class Picture {
public:
    Picture(PictureType type, Image image, std::vector<uint8_t> sourceFile = {});

    PictureType Type() const { return type_; }
    int32_t Width() const { return image_.width; }   // pixels
    int32_t Height() const { return image_.height; } // pixels
    const Image& Pixels() const { return image_; }
    // The image file the picture was made from; empty for a picture made
    // from a resource or a handle.
    const std::vector<uint8_t>& SourceFile() const { return source_; }

private:
    PictureType type_;
    Image image_;
    std::vector<uint8_t> source_;
};

using PicturePtr = std::shared_ptr<const Picture>;

// A DIB as stored in a bitmap resource: a BITMAPINFOHEADER (or a larger
// header: V4, V5) or a BITMAPCOREHEADER, the colour table or bit-field masks,
// then the bits. 1, 4, 8, 16, 24 and 32 bits a pixel; BI_RGB, BI_BITFIELDS,
// and run-length encoded BI_RLE8 and BI_RLE4 (bottom-up only); bottom-up
// (positive height) and top-down (negative height).
std::optional<Image> DecodeDib(std::span<const uint8_t> dib);
// A .bmp file: BITMAPFILEHEADER then a DIB.
std::optional<Image> DecodeBmpFile(std::span<const uint8_t> file);
// One icon image as stored in an RT_ICON resource or an .ico file: a DIB of
// twice the icon's height (the colour bits, then the 1-bit AND mask), or a
// PNG file.
std::optional<Image> DecodeIconImage(std::span<const uint8_t> image);
// A PNG file.
std::optional<Image> DecodePng(std::span<const uint8_t> file);
// A JPEG file (baseline or progressive; greyscale, YCbCr or CMYK).
std::optional<Image> DecodeJpeg(std::span<const uint8_t> file);
// An .ico file: its directory, then the image chosen for the size as an icon
// group's image is chosen and stretched to that size. At 0 x 0 the image is
// chosen for the platform's default icon size (32 x 32) and kept at its own
// size, as a picture loaded from an icon file is. nullopt for a size that
// RequestedSizeAllowed refuses.
std::optional<Image> DecodeIcoFile(std::span<const uint8_t> file, int32_t width = 0, int32_t height = 0);

// The entry of an icon group that the platform's loader takes for the size
// asked (LookupIconIdFromDirectoryEx); the index into entries, or -1 when
// there is none. The rule is written down at its definition.
int32_t ChooseIconEntry(std::span<const res::IconGroupEntry> entries, int32_t width, int32_t height);

// The image scaled to width x height (the loader stretches an image that is
// not of the size asked).
Image Scale(const Image& image, int32_t width, int32_t height);

// LoadImage from a resource library: a bitmap (RT_BITMAP) or an icon (an
// RT_GROUP_ICON and its RT_ICON images) of that name, at width x height
// pixels; 0 x 0 takes the resource's own size. nullopt when the resource is
// missing or malformed, or for a size RequestedSizeAllowed refuses (before
// anything is read).
std::optional<Image> LoadBitmapResource(const res::ResourceLibrary& library, const res::ResourceId& name,
                                        int32_t width = 0, int32_t height = 0);
std::optional<Image> LoadIconResource(const res::ResourceLibrary& library, const res::ResourceId& name,
                                      int32_t width = 0, int32_t height = 0);

// A picture from the bytes of a whole image file (a BMP, JPEG or ICO file),
// keeping the file; nullptr when the bytes are not one of those or are
// malformed.
PicturePtr LoadPicture(std::span<const uint8_t> file);

// The image as a PNG file (8-bit RGBA, straight alpha); empty when the image
// is empty or inconsistent.
std::vector<uint8_t> EncodePng(const Image& image);
// Writes the picture's pixels to path as a PNG file (whatever the picture
// was made from); false when it cannot be written.
bool SavePng(const Picture& picture, const std::string& path);

} // namespace qm6::pictures
