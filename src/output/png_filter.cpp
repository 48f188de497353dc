#include "output/png_filter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace snarvik {

namespace {

enum Filter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth };

using Byte = std::uint8_t;

inline Byte Distance(Byte x, Byte y) {
    return static_cast<Byte>(std::max(x, y) - std::min(x, y));
}

// What each filter predicts a byte from: the bytes to the left (a), above (b) and above-left (c),
// a and c being 0 in a row's first pixel. In bytes and without branches, so that the compiler
// works on many bytes at a time.
template <Filter filter> inline Byte Predict(Byte a, Byte b, Byte c) {
    if constexpr (filter == kNone) {
        return 0;
    } else if constexpr (filter == kSub) {
        return a;
    } else if constexpr (filter == kUp) {
        return b;
    } else if constexpr (filter == kAverage) {
        return static_cast<Byte>((a & b) + ((a ^ b) >> 1)); // (a + b) / 2 without a carry
    } else {
        // Paeth: of a, b and c the one nearest to a + b - c, that is |b - c|, |a - c| and
        // |(a - c) + (b - c)| away. When both differences have one sign, the last is their sum
        // and never the least alone: the larger of the two stands in for it, as it decides alike.
        const Byte pa = Distance(b, c);
        const Byte pb = Distance(a, c);
        const Byte pc = (a >= c) == (b >= c) ? std::max(pa, pb) : Distance(pa, pb);
        const Byte bOrC = pb <= pc ? b : c;
        return pa <= pb && pa <= pc ? a : bOrC;
    }
}

// Calls use(i, filtered byte i) for the row's bytes begin to end.
template <Filter filter, typename Use>
inline void Filtered(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin,
                     std::size_t end, std::size_t bpp, Use use) {
    const std::size_t first = std::min(bpp, end);
    for (std::size_t i = begin; i < first; ++i) {
        use(i, static_cast<Byte>(row[i] - Predict<filter>(0, above[i], 0)));
    }
    for (std::size_t i = std::max(begin, first); i < end; ++i) {
        use(i, static_cast<Byte>(row[i] - Predict<filter>(row[i - bpp], above[i], above[i - bpp])));
    }
}

// The filter's bytes read as signed, their magnitudes added up: the heuristic's measure.
template <Filter filter>
std::uint64_t Cost(const std::uint8_t* row, const std::uint8_t* above, std::size_t size,
                   std::size_t bpp) {
    std::uint64_t cost = 0;
    // In blocks whose sums fit 32 bits.
    for (std::size_t begin = 0; begin < size; begin += std::size_t{1} << 20) {
        std::uint32_t part = 0;
        Filtered<filter>(row, above, begin, std::min(size, begin + (std::size_t{1} << 20)), bpp,
                         [&part](std::size_t, std::uint8_t byte) {
                             // |byte as signed| is the smaller of byte and -byte, unsigned.
                             part += std::min(byte, static_cast<std::uint8_t>(-byte));
                         });
        cost += part;
    }
    return cost;
}

// The filter whose bytes, read as signed, add up to the least: the heuristic the PNG standard
// suggests for true colour. On a tie the simpler filter; nothing beats a sum of 0.
Filter ChooseFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t size,
                    std::size_t bpp) {
    using CostFunction =
        std::uint64_t (*)(const std::uint8_t*, const std::uint8_t*, std::size_t, std::size_t);
    static constexpr CostFunction costs[] = {Cost<kNone>, Cost<kSub>, Cost<kUp>, Cost<kAverage>,
                                             Cost<kPaeth>};
    Filter best = kNone;
    std::uint64_t least = costs[kNone](row, above, size, bpp);
    for (const Filter filter : {kSub, kUp, kAverage, kPaeth}) {
        if (least == 0) {
            break;
        }
        const std::uint64_t cost = costs[filter](row, above, size, bpp);
        if (cost < least) {
            best = filter;
            least = cost;
        }
    }
    return best;
}

void ApplyFilter(Filter filter, const std::uint8_t* row, const std::uint8_t* above,
                 std::size_t size, std::size_t bpp, std::uint8_t* out) {
    const auto store = [out](std::size_t i, std::uint8_t byte) {
        out[i] = byte;
    };
    switch (filter) {
    case kNone:
        std::copy(row, row + size, out);
        break;
    case kSub:
        Filtered<kSub>(row, above, 0, size, bpp, store);
        break;
    case kUp:
        Filtered<kUp>(row, above, 0, size, bpp, store);
        break;
    case kAverage:
        Filtered<kAverage>(row, above, 0, size, bpp, store);
        break;
    case kPaeth:
        Filtered<kPaeth>(row, above, 0, size, bpp, store);
        break;
    }
}

} // namespace

PngRowFilter::PngRowFilter(const Image& image, PngChannels channels)
    : m_image(image), m_bpp(channels == PngChannels::Rgba ? 4 : 3),
      m_above(static_cast<std::size_t>(image.width()) * m_bpp, 0), m_row(m_above.size()),
      m_filtered(m_above.size() + 1) {}

// The row's bytes as PNG orders them: R, G, B and, with alpha, A.
void PngRowFilter::MakeBytes(int y, std::vector<std::uint8_t>& out) const {
    const std::uint32_t* pixel = m_image.row(y);
    const std::uint32_t* const end = pixel + m_image.width();
    std::uint8_t* byte = out.data();
    if constexpr (std::endian::native == std::endian::little) {
        // A pixel's 0xAARRGGBB with red and blue swapped is its bytes in PNG's order; one store
        // a pixel. Without alpha the fourth byte is overwritten by the next pixel; the last
        // pixel is stored byte by byte, so nothing beyond the row is touched.
        const auto swapped = [](std::uint32_t p) {
            return (p & 0xFF00FF00U) | (p >> 16 & 0xFFU) | (p & 0xFFU) << 16;
        };
        if (m_bpp == 4) {
            for (; pixel != end; ++pixel, byte += 4) {
                const std::uint32_t bytes = swapped(*pixel);
                std::memcpy(byte, &bytes, 4);
            }
        } else {
            for (; end - pixel > 1; ++pixel, byte += 3) {
                const std::uint32_t bytes = swapped(*pixel);
                std::memcpy(byte, &bytes, 4);
            }
        }
    }
    for (; pixel != end; ++pixel, byte += m_bpp) {
        byte[0] = static_cast<std::uint8_t>(*pixel >> 16);
        byte[1] = static_cast<std::uint8_t>(*pixel >> 8);
        byte[2] = static_cast<std::uint8_t>(*pixel);
        if (m_bpp == 4) {
            byte[3] = static_cast<std::uint8_t>(*pixel >> 24);
        }
    }
}

std::span<const std::uint8_t> PngRowFilter::Row(int y) {
    if (y != m_next) {
        if (y == 0) {
            std::fill(m_above.begin(), m_above.end(), std::uint8_t{0});
        } else {
            MakeBytes(y - 1, m_above);
        }
    }
    MakeBytes(y, m_row);
    const std::size_t size = m_row.size();
    const Filter filter = ChooseFilter(m_row.data(), m_above.data(), size, m_bpp);
    m_filtered[0] = filter;
    ApplyFilter(filter, m_row.data(), m_above.data(), size, m_bpp, m_filtered.data() + 1);
    std::swap(m_row, m_above);
    m_next = y + 1;
    return m_filtered;
}

} // namespace snarvik
