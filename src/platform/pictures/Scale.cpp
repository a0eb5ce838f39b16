// Resampling by area: each new pixel is the average of the old pixels it
// covers, weighted by how much of each it covers. Enlarging by a whole
// factor repeats pixels exactly; shrinking by one averages whole blocks.
// Colours are averaged premultiplied by their alpha, so transparent pixels
// lend no colour to their neighbours. The arithmetic is integer, so the
// result is the same on every machine.

#include "platform/pictures/PictureDetail.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qm6::pictures {

namespace {

// The source pixels one destination pixel covers along one axis, with
// their weights. Destination pixel i covers [i * src, (i + 1) * src) in
// units where each source pixel is dst long, so the weights of one
// destination pixel add up to src.
struct Span {
    int32_t first = 0;
    std::vector<uint64_t> weights;
};

std::vector<Span> Spans(int32_t src, int32_t dst) {
    std::vector<Span> spans(static_cast<size_t>(dst));
    for (int32_t i = 0; i < dst; ++i) {
        const uint64_t lo = uint64_t(i) * uint64_t(src);
        const uint64_t hi = lo + uint64_t(src);
        Span& s = spans[size_t(i)];
        s.first = static_cast<int32_t>(lo / uint64_t(dst));
        for (uint64_t j = uint64_t(s.first); j * uint64_t(dst) < hi && j < uint64_t(src); ++j) {
            const uint64_t a = std::max(lo, j * uint64_t(dst));
            const uint64_t b = std::min(hi, (j + 1) * uint64_t(dst));
            s.weights.push_back(b - a);
        }
    }
    return spans;
}

// Premultiplied channels (a, r*a, g*a, b*a) summed with weights.
using Accum = std::array<uint64_t, 4>;

Accum Premultiplied(uint32_t p) {
    const uint64_t a = p >> 24;
    return {a, ((p >> 16) & 0xFF) * a, ((p >> 8) & 0xFF) * a, (p & 0xFF) * a};
}

uint32_t Unpremultiply(const Accum& sum, uint64_t total) {
    // sum[0] / total is the alpha; each colour sum / sum[0] its value.
    const uint64_t a = (sum[0] + total / 2) / total;
    if (sum[0] == 0)
        return 0;
    auto channel = [&](uint64_t c) { return std::min<uint64_t>(255, (c + sum[0] / 2) / sum[0]); };
    return uint32_t(std::min<uint64_t>(255, a)) << 24 | uint32_t(channel(sum[1])) << 16 |
           uint32_t(channel(sum[2])) << 8 | uint32_t(channel(sum[3]));
}

} // namespace

Image Scale(const Image& image, int32_t width, int32_t height) {
    Image out;
    if (!detail::SizeAllowed(width, height) || !detail::SizeAllowed(image.width, image.height) ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        return out;
    if (width == image.width && height == image.height)
        return image;
    // The intermediate rows (new width x old height) stay within the limit too.
    if (int64_t{width} * image.height > kMaxPixels)
        return out;

    const auto xs = Spans(image.width, width);
    const auto ys = Spans(image.height, height);

    // Horizontal pass into premultiplied sums (weights add up to the source
    // width), then the vertical pass.
    std::vector<Accum> rows(size_t(width) * size_t(image.height));
    for (int32_t y = 0; y < image.height; ++y) {
        const uint32_t* src = image.pixels.data() + size_t(y) * size_t(image.width);
        for (int32_t x = 0; x < width; ++x) {
            const Span& s = xs[size_t(x)];
            Accum sum{};
            for (size_t k = 0; k < s.weights.size(); ++k) {
                const Accum p = Premultiplied(src[size_t(s.first) + k]);
                for (size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * s.weights[k];
            }
            rows[size_t(y) * size_t(width) + size_t(x)] = sum;
        }
    }

    out.width = width;
    out.height = height;
    out.pixels.resize(size_t(width) * size_t(height));
    const uint64_t total = uint64_t(image.width) * uint64_t(image.height);
    for (int32_t y = 0; y < height; ++y) {
        const Span& s = ys[size_t(y)];
        for (int32_t x = 0; x < width; ++x) {
            Accum sum{};
            for (size_t k = 0; k < s.weights.size(); ++k) {
                const Accum& p = rows[(size_t(s.first) + k) * size_t(width) + size_t(x)];
                for (size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * s.weights[k];
            }
            out.pixels[size_t(y) * size_t(width) + size_t(x)] = Unpremultiply(sum, total);
        }
    }
    return out;
}

} // namespace qm6::pictures
