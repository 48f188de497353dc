#include "output/icon_images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace snarvik {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000U;

// One source pixel's share of one destination pixel along an axis, in units where a source
// pixel is `to` long and a destination pixel `from` long (so every weight is an integer).
struct Share {
    int source;
    int destination;
    double weight;
};

// The shares of the source pixels first to first + count - 1 of a line `from` pixels long.
std::vector<Share> Shares(int from, int to, int first, int count) {
    std::vector<Share> shares;
    const auto f = static_cast<std::uint64_t>(from);
    const auto t = static_cast<std::uint64_t>(to);
    for (int s = first; s < first + count; ++s) {
        const std::uint64_t start = static_cast<std::uint64_t>(s) * t;
        const std::uint64_t end = start + t;
        for (std::uint64_t d = start / f; d < t && d * f < end; ++d) {
            const std::uint64_t overlap = std::min(end, (d + 1) * f) - std::max(start, d * f);
            if (overlap != 0) {
                shares.push_back({s - first, static_cast<int>(d), static_cast<double>(overlap)});
            }
        }
    }
    return shares;
}

// How channel values are averaged: as the screen stores them, or as the light they stand for.
struct Light {
    std::array<double, 256> value{};
    // upper[v]: the smallest average that no longer rounds to v.
    std::array<double, 255> upper{};

    std::uint32_t Channel(double average) const {
        return static_cast<std::uint32_t>(
            std::upper_bound(upper.begin(), upper.end(), average) - upper.begin());
    }
};

const Light& ScreenLight() {
    static const Light light = [] {
        Light made;
        for (int v = 0; v < 256; ++v) {
            made.value[static_cast<std::size_t>(v)] = v;
        }
        for (int v = 0; v < 255; ++v) {
            made.upper[static_cast<std::size_t>(v)] = v + 0.5;
        }
        return made;
    }();
    return light;
}

double Linear(double srgb) {
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

const Light& LinearLight() {
    static const Light light = [] {
        Light made;
        for (int v = 0; v < 256; ++v) {
            made.value[static_cast<std::size_t>(v)] = Linear(v / 255.0);
        }
        for (int v = 0; v < 255; ++v) {
            made.upper[static_cast<std::size_t>(v)] = Linear((v + 0.5) / 255.0);
        }
        return made;
    }();
    return light;
}

// The opaque image centred on a transparent canvas, scaled down to width x height. Every
// destination pixel collects weights adding up to the canvas's width times height; the part of
// them that falls on the image is its opacity.
Image ScaleDown(const Image& image, int canvasWidth, int canvasHeight, int width, int height,
                const Light& light) {
    const int left = (canvasWidth - image.width) / 2;
    const int top = (canvasHeight - image.height) / 2;
    const std::vector<Share> columns = Shares(canvasWidth, width, left, image.width);
    const std::vector<Share> rows = Shares(canvasHeight, height, top, image.height);
    using Sum = std::array<double, 4>; // blue, green, red, weight
    std::vector<Sum> total(PixelCount(width, height));
    std::vector<Sum> line(static_cast<std::size_t>(width));

    std::size_t row = 0;
    for (int y = 0; y < image.height; ++y) {
        std::fill(line.begin(), line.end(), Sum{});
        for (const Share& column : columns) {
            const std::uint32_t pixel = image.at(column.source, y);
            Sum& sum = line[static_cast<std::size_t>(column.destination)];
            for (std::size_t c = 0; c < 3; ++c) {
                sum[c] += light.value[(pixel >> (8 * c)) & 0xFFU] * column.weight;
            }
            sum[3] += column.weight;
        }
        for (; row < rows.size() && rows[row].source == y; ++row) {
            Sum* target = &total[static_cast<std::size_t>(rows[row].destination) *
                                 static_cast<std::size_t>(width)];
            for (std::size_t x = 0; x < line.size(); ++x) {
                for (std::size_t c = 0; c < 4; ++c) {
                    target[x][c] += line[x][c] * rows[row].weight;
                }
            }
        }
    }

    const double canvas = static_cast<double>(canvasWidth) * canvasHeight;
    Image scaled{width, height, {}};
    scaled.pixels.reserve(total.size());
    for (const Sum& sum : total) {
        std::uint32_t pixel = 0;
        if (sum[3] > 0) {
            pixel = static_cast<std::uint32_t>(std::lround(255 * sum[3] / canvas)) << 24;
            for (std::size_t c = 0; c < 3; ++c) {
                pixel |= light.Channel(sum[c] / sum[3]) << (8 * c);
            }
        }
        scaled.pixels.push_back(pixel);
    }
    return scaled;
}

Image Opaque(const Image& image) {
    Image opaque = image;
    for (std::uint32_t& pixel : opaque.pixels) {
        pixel |= kOpaque;
    }
    return opaque;
}

} // namespace

Image FitIconSize(const Image& image) {
    if (image.empty()) {
        return {};
    }
    if (image.width <= kMaxIconSide && image.height <= kMaxIconSide) {
        return Opaque(image);
    }
    const auto longer = static_cast<std::uint64_t>(std::max(image.width, image.height));
    auto side = [longer](int length) {
        const std::uint64_t scaled =
            (static_cast<std::uint64_t>(length) * kMaxIconSide + longer / 2) / longer;
        return std::max(1, static_cast<int>(scaled));
    };
    return ScaleDown(image, image.width, image.height, side(image.width), side(image.height),
                     ScreenLight());
}

std::vector<Image> IconImages(const Image& image) {
    std::vector<Image> images;
    if (image.empty()) {
        return images;
    }
    images.push_back(FitIconSize(image));
    const int first = std::max(images.front().width, images.front().height);
    const int square = std::max(image.width, image.height);
    for (const int side : kIconSides) {
        if (side < first) {
            images.push_back(ScaleDown(image, square, square, side, side, LinearLight()));
        }
    }
    return images;
}

} // namespace snarvik
