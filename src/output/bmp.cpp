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

    // Rows bottom-up, B G R per pixel, padding left zero.
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(imageSize), 0);
    std::uint8_t* row = out.data() + start;
    for (int y = image.height - 1; y >= 0; --y, row += stride) {
        const std::uint32_t* pixel = &image.pixels[static_cast<std::size_t>(y) * image.width];
        for (std::uint8_t* byte = row; byte != row + width * 3; byte += 3, ++pixel) {
            byte[0] = static_cast<std::uint8_t>(*pixel);
            byte[1] = static_cast<std::uint8_t>(*pixel >> 8);
            byte[2] = static_cast<std::uint8_t>(*pixel >> 16);
        }
    }
    return out;
}

} // namespace snarvik
