#include "output/ico.h"

#include "output/le_bytes.h"

#include <algorithm>
#include <array>

namespace snarvik {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000U;

// One source pixel's share of one destination pixel along an axis, in units where a source
// pixel is `to` long and a destination pixel `from` long (so every weight is an integer).
struct Share {
    int source;
    int destination;
    std::uint64_t weight;
};

std::vector<Share> Shares(int from, int to) {
    std::vector<Share> shares;
    const auto f = static_cast<std::uint64_t>(from);
    const auto t = static_cast<std::uint64_t>(to);
    for (int s = 0; s < from; ++s) {
        const std::uint64_t start = static_cast<std::uint64_t>(s) * t;
        const std::uint64_t end = start + t;
        for (std::uint64_t d = start / f; d < t && d * f < end; ++d) {
            const std::uint64_t overlap = std::min(end, (d + 1) * f) - std::max(start, d * f);
            if (overlap != 0) {
                shares.push_back({s, static_cast<int>(d), overlap});
            }
        }
    }
    return shares;
}

Image ScaleDown(const Image& image, int width, int height) {
    const std::vector<Share> columns = Shares(image.width, width);
    const std::vector<Share> rows = Shares(image.height, height);
    using Sum = std::array<std::uint64_t, 3>;
    std::vector<Sum> total(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<Sum> line(static_cast<std::size_t>(width));

    std::size_t row = 0;
    for (int y = 0; y < image.height; ++y) {
        std::fill(line.begin(), line.end(), Sum{});
        for (const Share& column : columns) {
            const std::uint32_t pixel = image.at(column.source, y);
            Sum& sum = line[static_cast<std::size_t>(column.destination)];
            for (std::size_t c = 0; c < 3; ++c) {
                sum[c] += ((pixel >> (8 * c)) & 0xFFU) * column.weight;
            }
        }
        for (; row < rows.size() && rows[row].source == y; ++row) {
            Sum* target = &total[static_cast<std::size_t>(rows[row].destination) *
                                 static_cast<std::size_t>(width)];
            for (std::size_t x = 0; x < line.size(); ++x) {
                for (std::size_t c = 0; c < 3; ++c) {
                    target[x][c] += line[x][c] * rows[row].weight;
                }
            }
        }
    }

    // Every destination pixel collects weights adding up to the source's width times height.
    const std::uint64_t divisor =
        static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    Image scaled{width, height, {}};
    scaled.pixels.reserve(total.size());
    for (const Sum& sum : total) {
        std::uint32_t pixel = kOpaque;
        for (std::size_t c = 0; c < 3; ++c) {
            pixel |= static_cast<std::uint32_t>((sum[c] + divisor / 2) / divisor) << (8 * c);
        }
        scaled.pixels.push_back(pixel);
    }
    return scaled;
}

} // namespace

Image FitIconSize(const Image& image) {
    if (image.empty()) {
        return {};
    }
    if (image.width <= kMaxIconSide && image.height <= kMaxIconSide) {
        Image opaque = image;
        for (std::uint32_t& pixel : opaque.pixels) {
            pixel |= kOpaque;
        }
        return opaque;
    }
    const auto longer = static_cast<std::uint64_t>(std::max(image.width, image.height));
    auto side = [longer](int length) {
        const std::uint64_t scaled =
            (static_cast<std::uint64_t>(length) * kMaxIconSide + longer / 2) / longer;
        return std::max(1, static_cast<int>(scaled));
    };
    return ScaleDown(image, side(image.width), side(image.height));
}

std::vector<std::uint8_t> EncodeIco(const Image& source) {
    if (source.empty() || source.pixels.size() != static_cast<std::size_t>(source.width) *
                                                      static_cast<std::size_t>(source.height)) {
        return {};
    }
    const Image image = FitIconSize(source);
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t maskStride = (width + 31) / 32 * 4;
    const std::uint32_t imageSize = width * height * 4 + maskStride * height;
    constexpr std::uint32_t directorySize = 6 + 16;
    constexpr std::uint32_t infoSize = 40;

    std::vector<std::uint8_t> out;
    out.reserve(directorySize + infoSize + imageSize);
    detail::PutU16(out, 0); // reserved
    detail::PutU16(out, 1); // icon
    detail::PutU16(out, 1); // one image
    detail::PutU8(out, width == 256 ? 0 : width);
    detail::PutU8(out, height == 256 ? 0 : height);
    detail::PutU8(out, 0);   // no palette
    detail::PutU8(out, 0);   // reserved
    detail::PutU16(out, 1);  // planes
    detail::PutU16(out, 32); // bits per pixel
    detail::PutU32(out, infoSize + imageSize);
    detail::PutU32(out, directorySize);

    // The height covers the colour image and the mask stacked on top of each other.
    detail::PutInfoHeader(out, width, height * 2, 32, imageSize, 0);
    // Rows bottom-up, B G R A per pixel; then the mask, all bits clear: every pixel is drawn
    // from the colour image.
    const std::size_t start = out.size();
    out.resize(start + imageSize, 0);
    std::uint8_t* byte = out.data() + start;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint32_t* pixel = &image.pixels[static_cast<std::size_t>(y) * width];
        for (const std::uint32_t* end = pixel + width; pixel != end; ++pixel, byte += 4) {
            byte[0] = static_cast<std::uint8_t>(*pixel);
            byte[1] = static_cast<std::uint8_t>(*pixel >> 8);
            byte[2] = static_cast<std::uint8_t>(*pixel >> 16);
            byte[3] = static_cast<std::uint8_t>(*pixel >> 24);
        }
    }
    return out;
}

} // namespace snarvik
