#include "output/ico.h"

#include "output/icon_images.h"
#include "output/le_bytes.h"
#include "output/png.h"

#include <algorithm>

namespace snarvik {

namespace {

constexpr std::uint32_t kDirectoryHeader = 6;
constexpr std::uint32_t kDirectoryEntry = 16;
constexpr std::uint32_t kInfoSize = 40;

bool Encodable(const Image& image) {
    return !image.empty() && image.width() <= kMaxIconSide && image.height() <= kMaxIconSide;
}

// The BITMAPINFOHEADER, the rows bottom-up as B G R A, then the AND mask, a bit set where a pixel
// is fully transparent.
std::vector<std::uint8_t> BitmapEntry(const Image& image) {
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    const std::uint32_t maskStride = (width + 31) / 32 * 4;
    const std::uint32_t imageSize = width * height * 4 + maskStride * height;
    std::vector<std::uint8_t> out;
    out.reserve(kInfoSize + imageSize);
    // The height covers the colour image and the mask stacked on top of each other.
    detail::PutInfoHeader(out, width, height * 2, 32, imageSize, 0);
    out.resize(kInfoSize + imageSize, 0);
    std::uint8_t* byte = out.data() + kInfoSize;
    std::uint8_t* mask = byte + width * height * 4;
    for (int y = image.height() - 1; y >= 0; --y, mask += maskStride) {
        const std::uint32_t* pixel = image.row(y);
        for (std::uint32_t x = 0; x < width; ++x, ++pixel, byte += 4) {
            byte[0] = static_cast<std::uint8_t>(*pixel);
            byte[1] = static_cast<std::uint8_t>(*pixel >> 8);
            byte[2] = static_cast<std::uint8_t>(*pixel >> 16);
            byte[3] = static_cast<std::uint8_t>(*pixel >> 24);
            if ((*pixel >> 24) == 0) {
                mask[x / 8] |= static_cast<std::uint8_t>(0x80U >> (x % 8));
            }
        }
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodeIconFile(std::span<const Image> images, IconFileType type) {
    if (images.empty() || !std::all_of(images.begin(), images.end(), Encodable)) {
        return {};
    }
    std::vector<std::vector<std::uint8_t>> entries;
    for (const Image& image : images) {
        const bool large = image.width() == kMaxIconSide || image.height() == kMaxIconSide;
        entries.push_back(large ? EncodePng(image, PngChannels::Rgba, kPngSmallestLevel)
                                : BitmapEntry(image));
    }

    std::vector<std::uint8_t> out;
    detail::PutU16(out, 0); // reserved
    detail::PutU16(out, static_cast<std::uint32_t>(type));
    detail::PutU16(out, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(kDirectoryHeader + kDirectoryEntry * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto width = static_cast<std::uint32_t>(images[i].width());
        const auto height = static_cast<std::uint32_t>(images[i].height());
        detail::PutU8(out, width % kMaxIconSide); // 256 is written as 0
        detail::PutU8(out, height % kMaxIconSide);
        detail::PutU8(out, 0); // no palette
        detail::PutU8(out, 0); // reserved
        if (type == IconFileType::Cursor) {
            detail::PutU16(out, width / 2); // hotspot
            detail::PutU16(out, height / 2);
        } else {
            detail::PutU16(out, 1);  // planes
            detail::PutU16(out, 32); // bits per pixel
        }
        const auto size = static_cast<std::uint32_t>(entries[i].size());
        detail::PutU32(out, size);
        detail::PutU32(out, offset);
        offset += size;
    }
    out.reserve(offset);
    for (const std::vector<std::uint8_t>& entry : entries) {
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

} // namespace snarvik
