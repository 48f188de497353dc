#include "output/png_entry.h"

#include "output/deflate.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <string_view>

namespace snarvik {

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made{};
        for (std::uint32_t n = 0; n < made.size(); ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            made[n] = c;
        }
        return made;
    }();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFFU] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFU;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(&out[start], out.size() - start)); // over the type and the data
}

// The Paeth predictor of the PNG standard: of the bytes to the left (a), above (b) and above-left
// (c), the one nearest to a + b - c.
int Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bOrC = pb <= pc ? b : c;
    return (pa <= pb) & (pa <= pc) ? a : bOrC;
}

// The bytes read as signed, summed as magnitudes.
std::uint32_t Cost(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t cost = 0;
    for (const std::uint8_t byte : bytes) {
        cost += static_cast<std::uint32_t>(std::abs(static_cast<std::int8_t>(byte)));
    }
    return cost;
}

// A row through each filter: none (0), Sub (1), Up (2) and Paeth (4); made once for all rows.
struct FilteredRows {
    explicit FilteredRows(std::size_t size) : sub(size), up(size), paeth(size) {}
    std::vector<std::uint8_t> sub;
    std::vector<std::uint8_t> up;
    std::vector<std::uint8_t> paeth;
};

// The row through the filter whose bytes, read as signed, add up to the least: the heuristic
// the PNG standard suggests for true colour. Out: the type, then the filtered bytes.
void FilterRow(const std::vector<std::uint8_t>& row, const std::vector<std::uint8_t>& above,
               FilteredRows& filtered, std::uint8_t* out) {
    const std::size_t size = row.size();
    const std::size_t left = std::min<std::size_t>(4, size);
    for (std::size_t i = 0; i < size; ++i) {
        filtered.up[i] = static_cast<std::uint8_t>(row[i] - above[i]);
    }
    // Without a pixel to the left, Sub keeps the byte and Paeth predicts from above.
    std::copy_n(row.begin(), left, filtered.sub.begin());
    std::copy_n(filtered.up.begin(), left, filtered.paeth.begin());
    for (std::size_t i = left; i < size; ++i) {
        filtered.sub[i] = static_cast<std::uint8_t>(row[i] - row[i - 4]);
        filtered.paeth[i] =
            static_cast<std::uint8_t>(row[i] - Paeth(row[i - 4], above[i], above[i - 4]));
    }
    std::pair<std::uint32_t, std::uint8_t> best{Cost(row), 0};
    best = std::min(best, std::pair{Cost(filtered.sub), std::uint8_t{1}});
    best = std::min(best, std::pair{Cost(filtered.up), std::uint8_t{2}});
    best = std::min(best, std::pair{Cost(filtered.paeth), std::uint8_t{4}});
    const std::vector<std::uint8_t>* chosen[] = {&row, &filtered.sub, &filtered.up, nullptr,
                                                 &filtered.paeth};
    out[0] = best.second;
    std::copy(chosen[best.second]->begin(), chosen[best.second]->end(), out + 1);
}

} // namespace

std::vector<std::uint8_t> EncodePngEntry(const Image& image) {
    if (image.empty()) {
        return {};
    }
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(image.width()));
    PutBig32(header, static_cast<std::uint32_t>(image.height()));
    // 8 bits a channel, RGBA, deflate, the standard filters, not interlaced.
    header.insert(header.end(), {8, 6, 0, 0, 0});
    // Each row: the filter type, then R G B A per pixel through that filter.
    const std::size_t stride = static_cast<std::size_t>(image.width()) * 4;
    std::vector<std::uint8_t> rows((stride + 1) * static_cast<std::size_t>(image.height()));
    std::vector<std::uint8_t> previous(stride, 0);
    std::vector<std::uint8_t> current(stride);
    FilteredRows filtered(stride);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t pixel = image.at(x, y);
            std::uint8_t* rgba = &current[static_cast<std::size_t>(x) * 4];
            rgba[0] = static_cast<std::uint8_t>(pixel >> 16);
            rgba[1] = static_cast<std::uint8_t>(pixel >> 8);
            rgba[2] = static_cast<std::uint8_t>(pixel);
            rgba[3] = static_cast<std::uint8_t>(pixel >> 24);
        }
        FilterRow(current, previous, filtered, &rows[static_cast<std::size_t>(y) * (stride + 1)]);
        std::swap(current, previous);
    }
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", ZlibCompress(rows));
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace snarvik
