// The icon's own PNG and deflate encoders, read back by zlib itself where it is at hand.
#include "output/deflate.h"
#include "output/png_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef SNARVIK_HAVE_ZLIB
#include <zlib.h>

namespace snarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Random(std::uint32_t& state) {
    state = state * 1103515245U + 12345U;
    return state >> 16;
}

// zlib's own reading of a stream; nullopt where it refuses it.
std::optional<Bytes> Inflated(const Bytes& stream, std::size_t size) {
    Bytes out(size + 1);
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size())) != Z_OK) {
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

TEST(Deflate, ZlibReadsBackEveryLengthAndDistance) {
    // Literals, then copies of earlier bytes at every distance code's range and lengths from 3 to
    // past 258, then runs of one byte.
    Bytes mixed;
    std::uint32_t state = 7;
    for (int i = 0; i < 40000; ++i) {
        mixed.push_back(static_cast<std::uint8_t>(Random(state)));
    }
    for (std::size_t distance = 1; distance <= 32768; distance = distance * 3 / 2 + 1) {
        for (const std::size_t length : {3u, 4u, 10u, 130u, 257u, 258u, 600u}) {
            const std::size_t from = mixed.size() - distance;
            for (std::size_t i = 0; i < length; ++i) {
                mixed.push_back(mixed[from + i]);
            }
            mixed.push_back(static_cast<std::uint8_t>(Random(state)));
        }
    }
    const Bytes cases[] = {{}, {42}, {1, 2}, mixed, Bytes(100000, 0xAB)};
    for (const Bytes& data : cases) {
        const Bytes stream = ZlibCompress(data);
        EXPECT_EQ(Inflated(stream, data.size()), data) << data.size();
    }
    EXPECT_LT(ZlibCompress(Bytes(100000, 0xAB)).size(), 1000u);
    EXPECT_LT(ZlibCompress(mixed).size(), mixed.size() * 3 / 4);
}

struct Chunk {
    std::string type;
    Bytes data;
    std::uint32_t crc;
};

std::uint32_t Big32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3]);
}

Bytes RgbaRows(const Image& image) {
    Bytes rows;
    for (const std::uint32_t p : image.pixels) {
        rows.insert(rows.end(),
                    {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                     static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
    return rows;
}

// Undoes the five filter types of the PNG standard, row by row; empty for an unknown type.
Bytes Unfiltered(const Bytes& filtered, int width, int height) {
    const auto stride = static_cast<std::size_t>(width) * 4;
    Bytes rows;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const std::uint8_t type = filtered[y * (stride + 1)];
        for (std::size_t i = 0; i < stride; ++i) {
            const int x = filtered[y * (stride + 1) + 1 + i];
            const int a = i >= 4 ? rows[y * stride + i - 4] : 0;
            const int b = y > 0 ? rows[(y - 1) * stride + i] : 0;
            const int c = i >= 4 && y > 0 ? rows[(y - 1) * stride + i - 4] : 0;
            const int p = a + b - c;
            const int paeth =
                std::abs(p - a) <= std::abs(p - b) && std::abs(p - a) <= std::abs(p - c) ? a
                : std::abs(p - b) <= std::abs(p - c)                                     ? b
                                                                                         : c;
            const int predicted[] = {0, a, b, (a + b) / 2, paeth};
            if (type > 4) {
                return {};
            }
            rows.push_back(static_cast<std::uint8_t>(x + predicted[type]));
        }
    }
    return rows;
}

TEST(PngEntry, RgbaRowsInStandardChunks) {
    std::uint32_t state = 3;
    Image noise{256, 256, {}};
    for (int i = 0; i < 256 * 256; ++i) {
        noise.pixels.push_back(Random(state) << 16 | Random(state));
    }
    Image gradient{256, 256, {}};
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            gradient.pixels.push_back(0xFF000000U |
                                      static_cast<std::uint32_t>(x << 16 | y << 8 | (x ^ y)));
        }
    }
    const Image cases[] = {Image{1, 1, {0x80112233U}}, Image{3, 2, {1, 2, 3, 4, 5, 6}},
                           Image{256, 256, std::vector<std::uint32_t>(65536, 0xFF336699U)}, noise,
                           gradient};
    for (const Image& image : cases) {
        SCOPED_TRACE(std::to_string(image.width) + "x" + std::to_string(image.height));
        const Bytes png = EncodePngEntry(image);
        ASSERT_GE(png.size(), 8u);
        EXPECT_EQ(Bytes(png.begin(), png.begin() + 8),
                  (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
        std::vector<Chunk> chunks;
        for (std::size_t at = 8; at + 12 <= png.size();) {
            const std::uint32_t length = Big32(&png[at]);
            ASSERT_LE(at + 12 + length, png.size());
            chunks.push_back({std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                          png.begin() + static_cast<std::ptrdiff_t>(at + 8)),
                              Bytes(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                    png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length)),
                              Big32(&png[at + 8 + length])});
            EXPECT_EQ(chunks.back().crc, crc32(0, &png[at + 4], length + 4)) << chunks.back().type;
            at += 12 + length;
        }
        ASSERT_EQ(chunks.size(), 3u);
        EXPECT_EQ(chunks[0].type + chunks[1].type + chunks[2].type, "IHDRIDATIEND");
        EXPECT_EQ(Big32(&chunks[0].data[0]), static_cast<std::uint32_t>(image.width));
        EXPECT_EQ(Big32(&chunks[0].data[4]), static_cast<std::uint32_t>(image.height));
        EXPECT_EQ(Bytes(chunks[0].data.begin() + 8, chunks[0].data.end()), (Bytes{8, 6, 0, 0, 0}));
        // Read back as a PNG reader does: each row's filter undone with the one above.
        const std::optional<Bytes> filtered =
            Inflated(chunks[1].data, (static_cast<std::size_t>(image.width) * 4 + 1) *
                                         static_cast<std::size_t>(image.height));
        ASSERT_TRUE(filtered.has_value());
        EXPECT_EQ(Unfiltered(*filtered, image.width, image.height), RgbaRows(image));
    }
}

} // namespace
} // namespace snarvik

#else
TEST(Deflate, ZlibReadsBackEveryLengthAndDistance) {
    GTEST_SKIP() << "no zlib here to read the streams back with";
}
#endif
