#include "editors/limits/LimitIcon.h"

#include <cmath>
#include <cstdint>

namespace qm6 {
namespace {

constexpr int32_t kSize = 16;
// Samples a pixel side: 4 x 4 samples give the edges a smooth look.
constexpr int kSamples = 4;

struct Rgba {
    double r, g, b, a;
};

constexpr Rgba kTransparent{0, 0, 0, 0};
constexpr Rgba kRim{0x1F, 0x4E, 0x8C, 1};
constexpr Rgba kFace{0xF4, 0xF7, 0xFB, 1};
constexpr Rgba kMark{0xD0, 0x3A, 0x2F, 1};
constexpr Rgba kNeedle{0x30, 0x30, 0x30, 1};

// Distance from p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::fmin(1.0, std::fmax(0.0, t));
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// The colour of the picture at a point (pixel centres at .5).
Rgba ColourAt(double x, double y) {
    constexpr double cx = 8.0, cy = 8.5, pi = 3.14159265358979323846;
    const double r = std::hypot(x - cx, y - cy);
    // Degrees counter-clockwise from the right, y growing downwards.
    const double angle = std::atan2(cy - y, x - cx) * 180.0 / pi;
    const double needleAngle = 40.0 * pi / 180.0;
    const double tipX = cx + 5.2 * std::cos(needleAngle), tipY = cy - 5.2 * std::sin(needleAngle);
    if (r <= 1.4 || SegmentDistance(x, y, cx, cy, tipX, tipY) <= 0.65)
        return kNeedle;
    if (r > 7.6)
        return kTransparent;
    if (r > 6.2)
        return kRim;
    if (r > 4.3 && angle >= 10.0 && angle <= 70.0)
        return kMark;
    return kFace;
}

} // namespace

pictures::PicturePtr LimitIcon() {
    pictures::Image image;
    image.width = kSize;
    image.height = kSize;
    image.pixels.resize(size_t{kSize} * kSize);
    for (int32_t py = 0; py < kSize; ++py) {
        for (int32_t px = 0; px < kSize; ++px) {
            // Averages the samples, each colour weighted by its opacity.
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgba c = ColourAt(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            }
            uint32_t pixel = 0;
            if (sum.a > 0) {
                const auto channel = [&](double v) {
                    return static_cast<uint32_t>(std::lround(v / sum.a));
                };
                const auto alpha =
                    static_cast<uint32_t>(std::lround(255.0 * sum.a / (kSamples * kSamples)));
                pixel = alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
            }
            image.pixels[size_t(py) * kSize + size_t(px)] = pixel;
        }
    }
    return std::make_shared<const pictures::Picture>(pictures::PictureType::Icon, std::move(image));
}

} // namespace qm6
