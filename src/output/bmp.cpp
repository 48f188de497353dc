#include "output/bmp.h"

#include "output/le_bytes.h"

#include <limits>

namespace snarvik {

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    if (image.empty() || image.pixels.size() != static_cast<std::size_t>(image.width) *
                                                    static_cast<std::size_t>(image.height)) {
        return {};
    }
    const auto width = static_cast<std::uint64_t>(image.width);
    const auto height = static_cast<std::uint64_t>(image.height);
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * height;
    constexpr std::uint64_t headers = 14 + 40;
    if (headers + imageSize > std::numeric_limits<std::uint32_t>::max()) {
        return {};
    }

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(headers + imageSize));
    out.push_back('B');
    out.push_back('M');
    detail::PutU32(out, static_cast<std::uint32_t>(headers + imageSize));
    detail::PutU32(out, 0); // reserved
    detail::PutU32(out, static_cast<std::uint32_t>(headers));
    detail::PutInfoHeader(out, static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(height), 24,
                          static_cast<std::uint32_t>(imageSize), 3780); // 96 DPI

    const std::size_t padding = static_cast<std::size_t>(stride - width * 3);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            detail::PutU8(out, pixel);       // blue
            detail::PutU8(out, pixel >> 8);  // green
            detail::PutU8(out, pixel >> 16); // red
        }
        out.insert(out.end(), padding, 0);
    }
    return out;
}

} // namespace snarvik
