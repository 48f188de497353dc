#include "output/icon_images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <span>
#include <utility>

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
    static constexpr std::size_t kBuckets = 65536;
    std::array<double, 256> value{};
    // upper[v]: the smallest average that no longer rounds to v.
    std::array<double, 255> upper{};
    // The channel of the lowest average of each of kBuckets equal parts of the range, where the
    // search for an average in that part starts.
    std::array<std::uint8_t, kBuckets> start{};
    double bucketsPerValue = 0;

    // Sums taken as differences may come out a rounding error below 0.
    std::uint32_t Channel(double average) const {
        const auto bucket = static_cast<std::size_t>(std::max(0.0, average) * bucketsPerValue);
        std::uint32_t channel = start[std::min(bucket, kBuckets - 1)];
        while (channel < upper.size() && average >= upper[channel]) {
            ++channel;
        }
        return channel;
    }

    // transfer: from a channel value (0 to 255, or a half between two) to what is averaged.
    template <typename Transfer> static Light Made(Transfer transfer) {
        Light made;
        for (std::size_t v = 0; v < made.value.size(); ++v) {
            made.value[v] = transfer(static_cast<double>(v));
        }
        for (std::size_t v = 0; v < made.upper.size(); ++v) {
            made.upper[v] = transfer(static_cast<double>(v) + 0.5);
        }
        made.bucketsPerValue = kBuckets / made.value.back();
        std::uint8_t channel = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            const double lowest = made.value.back() * static_cast<double>(b) / kBuckets;
            while (channel < made.upper.size() && lowest >= made.upper[channel]) {
                ++channel;
            }
            made.start[b] = channel;
        }
        return made;
    }
};

const Light& ScreenLight() {
    static const Light light = Light::Made([](double value) { return value; });
    return light;
}

const Light& LinearLight() {
    static const Light light = Light::Made([](double value) {
        const double srgb = value / 255;
        return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
    });
    return light;
}

// Light of lines of pixels: blue, green and red of each point one after the other, so that
// the lines add up as flat arrays.
constexpr std::size_t kChannels = 3;

// Where a destination column ends in a source row: after `whole` pixels and `part` units of
// the next, in units of 1 / width of a canvas pixel (where every column starts and ends).
struct Boundary {
    std::size_t whole;
    double part;
};

// One size being made, a destination row at a time. A destination pixel collects weights
// adding up to the canvas's width times height; its columns' and rows' parts that fall on the
// image give its opacity.
struct Target {
    int width;
    int height;
    double units;
    std::vector<Boundary> columnEnds;
    std::vector<double> columnCover;
    std::vector<Share> rows;
    std::vector<double> rowCover;
    std::size_t nextRow = 0;
    int written = 0;
    // ends[x]: a source row's light up to the end of column x - 1 (ends[0] is 0).
    std::vector<double> ends;
    // The same summed over the source rows so far of two destination rows (by row parity): a
    // source row falls into at most two.
    std::array<std::vector<double>, 2> sums;
    Image made;
};

Target MadeTarget(const Image& image, int canvasWidth, int canvasHeight, int width, int height) {
    const int left = (canvasWidth - image.width()) / 2;
    const int top = (canvasHeight - image.height()) / 2;
    const auto units = static_cast<std::uint64_t>(width);
    const std::uint64_t start = static_cast<std::uint64_t>(left) * units;
    const std::uint64_t inImage = static_cast<std::uint64_t>(image.width()) * units;
    const std::size_t points = kChannels * (static_cast<std::size_t>(width) + 1);
    Target target{width,
                  height,
                  static_cast<double>(units),
                  {},
                  {},
                  Shares(canvasHeight, height, top, image.height()),
                  std::vector<double>(static_cast<std::size_t>(height)),
                  0,
                  0,
                  std::vector<double>(points),
                  {std::vector<double>(points), std::vector<double>(points)},
                  Image(width, height)};
    std::uint64_t before = 0;
    for (std::uint64_t x = 1; x <= units; ++x) {
        const std::uint64_t end = x * static_cast<std::uint64_t>(canvasWidth);
        const std::uint64_t inside = std::min(end - std::min(end, start), inImage);
        // A column that ends at the image's right edge counts its last pixel whole.
        const std::uint64_t whole = std::min(inside / units, inImage / units - 1);
        target.columnEnds.push_back({whole, static_cast<double>(inside - whole * units)});
        target.columnCover.push_back(static_cast<double>(inside - before));
        before = inside;
    }
    for (const Share& row : target.rows) {
        target.rowCover[static_cast<std::size_t>(row.destination)] += row.weight;
    }
    return target;
}

// Writes the destination rows before `end` and clears their sums for the rows two further.
void WriteRows(Target& target, int end, double canvas, const Light& light) {
    for (; target.written < end; ++target.written) {
        std::vector<double>& sum = target.sums[static_cast<std::size_t>(target.written) & 1U];
        const double rowCover = target.rowCover[static_cast<std::size_t>(target.written)];
        std::uint32_t* out = target.made.row(target.written);
        for (std::size_t x = 0; x < target.columnCover.size(); ++x) {
            const double cover = target.columnCover[x] * rowCover;
            std::uint32_t pixel = 0;
            if (cover > 0) {
                pixel = static_cast<std::uint32_t>(255 * cover / canvas + 0.5) << 24;
                const double* from = &sum[kChannels * x];
                for (std::size_t c = 0; c < kChannels; ++c) {
                    pixel |= light.Channel((from[c + kChannels] - from[c]) / cover) << (8 * c);
                }
            }
            out[x] = pixel;
        }
        std::fill(sum.begin(), sum.end(), 0.0);
    }
}

// The opaque image centred on a transparent canvas, scaled down to each size at once, one pass
// over its rows.
std::vector<Image> ScaleDown(const Image& image, int canvasWidth, int canvasHeight,
                             std::span<const int> widths, std::span<const int> heights,
                             const Light& light) {
    std::vector<Target> targets;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        targets.push_back(MadeTarget(image, canvasWidth, canvasHeight, widths[i], heights[i]));
    }
    const double canvas = static_cast<double>(canvasWidth) * canvasHeight;
    // prefix[x]: the light of the row's first x pixels. A column's light is the difference of
    // two points of it, a partly covered pixel counted by its share.
    const auto imageWidth = static_cast<std::size_t>(image.width());
    std::vector<double> prefix(kChannels * (imageWidth + 1));
    for (int y = 0; y < image.height(); ++y) {
        const std::uint32_t* pixel = image.row(y);
        for (std::size_t x = 0; x < imageWidth; ++x) {
            for (std::size_t c = 0; c < kChannels; ++c) {
                prefix[kChannels * (x + 1) + c] =
                    prefix[kChannels * x + c] + light.value[(pixel[x] >> (8 * c)) & 0xFFU];
            }
        }
        for (Target& target : targets) {
            WriteRows(target, target.rows[target.nextRow].destination, canvas, light);
            for (std::size_t x = 0; x < target.columnEnds.size(); ++x) {
                const Boundary& end = target.columnEnds[x];
                const double* whole = &prefix[kChannels * end.whole];
                for (std::size_t c = 0; c < kChannels; ++c) {
                    target.ends[kChannels * (x + 1) + c] =
                        whole[c] * target.units + end.part * (whole[c + kChannels] - whole[c]);
                }
            }
            for (; target.nextRow < target.rows.size() && target.rows[target.nextRow].source == y;
                 ++target.nextRow) {
                const Share& row = target.rows[target.nextRow];
                std::vector<double>& sum =
                    target.sums[static_cast<std::size_t>(row.destination) & 1U];
                for (std::size_t i = kChannels; i < sum.size(); ++i) {
                    sum[i] += target.ends[i] * row.weight;
                }
            }
        }
    }
    std::vector<Image> scaled;
    for (Target& target : targets) {
        WriteRows(target, target.height, canvas, light);
        scaled.push_back(std::move(target.made));
    }
    return scaled;
}

Image Opaque(const Image& image) {
    Image opaque = image;
    for (std::uint32_t& pixel : opaque.pixels()) {
        pixel |= kOpaque;
    }
    return opaque;
}

} // namespace

Image FitIconSize(const Image& image) {
    if (image.empty()) {
        return {};
    }
    if (image.width() <= kMaxIconSide && image.height() <= kMaxIconSide) {
        return Opaque(image);
    }
    const auto longer = static_cast<std::uint64_t>(std::max(image.width(), image.height()));
    auto side = [longer](int length) {
        const std::uint64_t scaled =
            (static_cast<std::uint64_t>(length) * kMaxIconSide + longer / 2) / longer;
        return std::max(1, static_cast<int>(scaled));
    };
    const int width = side(image.width());
    const int height = side(image.height());
    return std::move(
        ScaleDown(image, image.width(), image.height(), {&width, 1}, {&height, 1}, ScreenLight())
            .front());
}

std::vector<Image> IconImages(const Image& image) {
    std::vector<Image> images;
    if (image.empty()) {
        return images;
    }
    images.push_back(FitIconSize(image));
    const int first = std::max(images.front().width(), images.front().height());
    // An oblong first entry is followed by a square of its longer side: a loader asked for
    // that size would otherwise stretch the oblong one.
    std::vector<int> sides;
    if (images.front().width() != images.front().height()) {
        sides.push_back(first);
    }
    std::copy_if(kIconSides.begin(), kIconSides.end(), std::back_inserter(sides),
                 [first](int side) { return side < first; });
    const int square = std::max(image.width(), image.height());
    for (Image& scaled : ScaleDown(image, square, square, sides, sides, LinearLight())) {
        images.push_back(std::move(scaled));
    }
    return images;
}

} // namespace snarvik
