#include "output/bmp.h"

#include "output/le_bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace snarvik {

bool EncodeBmp(const Image& image, const ByteSink& sink, std::size_t chunkBytes) {
    if (image.empty()) {
        return false;
    }
    const auto width = static_cast<std::uint64_t>(image.width());
    const auto height = static_cast<std::uint64_t>(image.height());
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * height;
    constexpr std::uint64_t headers = 14 + 40;
    if (headers + imageSize > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }

    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    detail::PutU32(out, static_cast<std::uint32_t>(headers + imageSize));
    detail::PutU32(out, 0); // reserved
    detail::PutU32(out, static_cast<std::uint32_t>(headers));
    detail::PutInfoHeader(out, static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(height), 24,
                          static_cast<std::uint32_t>(imageSize), 3780); // 96 DPI

    // Rows bottom-up, B G R per pixel, padding zero; a piece is handed on once it is full.
    const auto rowBytes = static_cast<std::size_t>(stride);
    const std::size_t rowsPerPiece = std::max<std::size_t>(1, chunkBytes / rowBytes);
    out.resize(out.size() + rowsPerPiece * rowBytes);
    std::size_t used = static_cast<std::size_t>(headers);
    for (int y = image.height() - 1; y >= 0; --y) {
        if (used + rowBytes > out.size()) {
            if (!sink({out.data(), used})) {
                return false;
            }
            used = 0;
        }
        std::uint8_t* byte = out.data() + used;
        const std::uint32_t* pixel = image.row(y);
        const std::uint32_t* const end = pixel + image.width();
        if constexpr (std::endian::native == std::endian::little) {
            // One store a pixel: four bytes, the fourth overwritten by the next pixel. The last
            // pixel of a row is stored byte by byte, so nothing beyond the row is touched.
            for (; end - pixel > 1; ++pixel, byte += 3) {
                std::memcpy(byte, pixel, 4);
            }
        }
        for (; pixel != end; ++pixel, byte += 3) {
            byte[0] = static_cast<std::uint8_t>(*pixel);
            byte[1] = static_cast<std::uint8_t>(*pixel >> 8);
            byte[2] = static_cast<std::uint8_t>(*pixel >> 16);
        }
        std::fill(byte, out.data() + used + rowBytes, std::uint8_t{0});
        used += rowBytes;
    }
    return sink({out.data(), used});
}

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    std::vector<std::uint8_t> file;
    const bool whole = EncodeBmp(image, [&file](std::span<const std::uint8_t> piece) {
        file.insert(file.end(), piece.begin(), piece.end());
        return true;
    });
    return whole ? file : std::vector<std::uint8_t>{};
}

} // namespace snarvik
