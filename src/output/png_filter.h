// A picture's rows as a PNG file holds them before compression: each row's bytes through the
// standard filter that suits it, the filter's type first.
#pragma once
#include "base/image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace snarvik {

// Rgb drops the alpha byte (a screen picture is opaque); Rgba keeps it as given.
enum class PngChannels { Rgb, Rgba };

class PngRowFilter {
public:
    PngRowFilter(const Image& image, PngChannels channels);

    std::size_t rowBytes() const { return m_filtered.size(); } // the type byte included

    // Row y, filtered, its type first; valid until the next call. Asked in order, each row's
    // bytes are made once.
    std::span<const std::uint8_t> Row(int y);

private:
    void MakeBytes(int y, std::vector<std::uint8_t>& out) const;

    const Image& m_image;
    std::size_t m_bpp;
    std::vector<std::uint8_t> m_above; // the bytes of row m_next - 1, or zeros above the first
    std::vector<std::uint8_t> m_row;
    std::vector<std::uint8_t> m_filtered;
    int m_next = 0;
};

} // namespace snarvik
