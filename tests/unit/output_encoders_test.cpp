#include "output/bmp.h"
#include "output/ico.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace snarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
    return U16(b, at) | (U16(b, at + 2) << 16);
}

// Distinct colours everywhere, alpha deliberately not opaque.
Image Pattern(int width, int height) {
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto r = static_cast<std::uint32_t>(x * 7 + y * 3) & 0xFFU;
            const auto g = static_cast<std::uint32_t>(x * 13 + 101) & 0xFFU;
            const auto b = static_cast<std::uint32_t>(y * 29 + x + 7) & 0xFFU;
            image.pixels.push_back((static_cast<std::uint32_t>(x + y) & 0x7FU) << 24 | r << 16 |
                                   g << 8 | b);
        }
    }
    return image;
}

TEST(OutputBmp, GoldenTinyFiles) {
    // clang-format off
    const Bytes one = {
        'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0,          // file header
        0x28, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,          // size, width, height, 24 bpp
        0, 0, 0, 0, 4, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, // BI_RGB, image size, 96 DPI
        0, 0, 0, 0, 0, 0, 0, 0,
        0x33, 0x22, 0x11, 0,                                         // B, G, R, padding
    };
    const Bytes three_by_two = {
        'B', 'M', 0x4E, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0,
        0x28, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 24, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0,
        0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0x09, 0x08, 0x07, 0, 0, 0, // bottom row first
        0x00, 0x00, 0xA0, 0x00, 0xB0, 0x00, 0xC0, 0x00, 0x00, 0, 0, 0, // top row
    };
    // clang-format on
    EXPECT_EQ(EncodeBmp(Image{1, 1, {0x80112233}}), one);
    EXPECT_EQ(EncodeBmp(Image{3,
                              2,
                              {0x00A00000, 0x0000B000, 0x000000C0, // top row
                               0xFF010203, 0xFF040506, 0xFF070809}}),
              three_by_two);
}

TEST(OutputBmp, LayoutAtAwkwardSizes) {
    struct Case {
        int width, height;
        std::size_t stride;
    };
    const Case cases[] = {{17, 5, 52}, {256, 256, 768}, {2, 3, 8}, {1, 4, 4}, {300, 40, 900}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image image = Pattern(c.width, c.height);
        const Bytes file = EncodeBmp(image);
        const std::size_t size = 54 + c.stride * static_cast<std::size_t>(c.height);
        ASSERT_EQ(file.size(), size);
        EXPECT_EQ(U32(file, 2), size);
        EXPECT_EQ(U32(file, 10), 54U);
        EXPECT_EQ(U32(file, 18), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(U32(file, 22), static_cast<std::uint32_t>(c.height)); // positive: bottom-up
        EXPECT_EQ(U16(file, 28), 24U);
        EXPECT_EQ(U32(file, 30), 0U);
        EXPECT_EQ(U32(file, 34), c.stride * static_cast<std::size_t>(c.height));
        for (int y = 0; y < c.height; ++y) {
            const std::size_t row = 54 + static_cast<std::size_t>(c.height - 1 - y) * c.stride;
            for (int x = 0; x < c.width; ++x) {
                const std::size_t at = row + static_cast<std::size_t>(x) * 3;
                const std::uint32_t got = file[at] | file[at + 1] << 8 | file[at + 2] << 16;
                ASSERT_EQ(got, image.at(x, y) & 0xFFFFFFU) << x << "," << y;
            }
            for (std::size_t pad = static_cast<std::size_t>(c.width) * 3; pad < c.stride; ++pad) {
                ASSERT_EQ(file[row + pad], 0) << "padding of row " << y;
            }
        }
    }
}

TEST(OutputBmp, PiecesMakeTheSameFileAndAStopEndsIt) {
    const Image image = Pattern(17, 5); // rows of 52 bytes, padding included
    const Bytes whole = EncodeBmp(image);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{52}, std::size_t{120}}) {
        Bytes pieces;
        int calls = 0;
        EXPECT_TRUE(EncodeBmp(
            image,
            [&](std::span<const std::uint8_t> piece) {
                pieces.insert(pieces.end(), piece.begin(), piece.end());
                return ++calls > 0;
            },
            chunk));
        EXPECT_EQ(pieces, whole) << chunk;
        EXPECT_GT(calls, 1) << chunk;
    }
    int calls = 0;
    EXPECT_FALSE(EncodeBmp(
        image, [&](std::span<const std::uint8_t>) { return ++calls < 2; }, 52));
    EXPECT_EQ(calls, 2);
}

TEST(OutputBmp, NothingForAnEmptyImage) {
    EXPECT_TRUE(EncodeBmp(Image{}).empty());
    EXPECT_TRUE(EncodeBmp(Image{0, 5, {}}).empty());
    EXPECT_TRUE(EncodeBmp(Image{2, 2, {1, 2, 3}}).empty()); // pixels do not match the size
}

TEST(OutputIco, GoldenOnePixel) {
    // clang-format off
    const Bytes expected = {
        0, 0, 1, 0, 1, 0,                                          // icon directory, one entry
        1, 1, 0, 0, 1, 0, 32, 0, 0x30, 0, 0, 0, 22, 0, 0, 0,       // 1x1, 32 bpp, 48 bytes at 22
        0x28, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0,        // height doubled for the mask
        0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0,
        0xEF, 0xCD, 0xAB, 0xFF,                                    // BGRA, made opaque
        0, 0, 0, 0,                                                // mask row, padded to 4 bytes
    };
    // clang-format on
    EXPECT_EQ(EncodeIco(Image{1, 1, {0x00ABCDEF}}), expected);
}

TEST(OutputIco, LayoutAtAwkwardSizes) {
    struct Case {
        int width, height;      // source
        int stored_w, stored_h; // in the file
        std::uint8_t entry_w, entry_h;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1, 1},         {3, 2, 3, 2, 3, 2},       {17, 5, 17, 5, 17, 5},
        {33, 1, 33, 1, 33, 1},      {255, 3, 255, 3, 255, 3}, {256, 256, 256, 256, 0, 0},
        {256, 1, 256, 1, 0, 1},     {1, 256, 1, 256, 1, 0},   {300, 40, 256, 34, 0, 34},
        {40, 300, 34, 256, 34, 0},  {257, 1, 256, 1, 0, 1},   {1000, 1, 256, 1, 0, 1},
        {512, 512, 256, 256, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image image = Pattern(c.width, c.height);
        const Bytes file = EncodeIco(image);
        const auto w = static_cast<std::size_t>(c.stored_w);
        const auto h = static_cast<std::size_t>(c.stored_h);
        const std::size_t maskStride = (w + 31) / 32 * 4;
        const std::size_t payload = 40 + w * h * 4 + maskStride * h;
        ASSERT_EQ(file.size(), 22 + payload);
        EXPECT_EQ(U16(file, 0), 0U);
        EXPECT_EQ(U16(file, 2), 1U);
        EXPECT_EQ(U16(file, 4), 1U);
        EXPECT_EQ(file[6], c.entry_w);
        EXPECT_EQ(file[7], c.entry_h);
        EXPECT_EQ(file[8], 0);
        EXPECT_EQ(U16(file, 12), 32U);
        EXPECT_EQ(U32(file, 14), payload);
        EXPECT_EQ(U32(file, 18), 22U);
        EXPECT_EQ(U32(file, 22), 40U);
        EXPECT_EQ(U32(file, 26), w);
        EXPECT_EQ(U32(file, 30), h * 2);
        EXPECT_EQ(U16(file, 36), 32U);
        EXPECT_EQ(U32(file, 38), 0U);
        const std::size_t pixels = 22 + 40;
        const std::size_t mask = pixels + w * h * 4;
        for (std::size_t at = mask; at < file.size(); ++at) {
            ASSERT_EQ(file[at], 0) << "mask byte " << at - mask;
        }
        for (std::size_t at = pixels + 3; at < mask; at += 4) {
            ASSERT_EQ(file[at], 0xFF) << "alpha at " << at;
        }
        if (c.stored_w == c.width && c.stored_h == c.height) {
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    const std::size_t at = pixels + ((h - 1 - static_cast<std::size_t>(y)) * w +
                                                     static_cast<std::size_t>(x)) *
                                                        4;
                    ASSERT_EQ(U32(file, at), image.at(x, y) | 0xFF000000U) << x << "," << y;
                }
            }
        }
    }
}

TEST(OutputIco, ScalingAveragesAreas) {
    // 512x8 halves exactly: every icon pixel is the rounded mean of a 2x2 block.
    const Image source = Pattern(512, 8);
    const Image half = FitIconSize(source);
    ASSERT_EQ(half.width, 256);
    ASSERT_EQ(half.height, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 256; ++x) {
            for (int shift = 0; shift < 24; shift += 8) {
                unsigned sum = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        sum += (source.at(2 * x + dx, 2 * y + dy) >> shift) & 0xFFU;
                    }
                }
                ASSERT_EQ((half.at(x, y) >> shift) & 0xFFU, (sum + 2) / 4)
                    << x << "," << y << " channel " << shift;
            }
            ASSERT_EQ(half.at(x, y) >> 24, 0xFFU);
        }
    }

    // 300x40: left half red, right half blue. The halves meet exactly at icon column 128.
    Image split{300, 40, {}};
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            split.pixels.push_back(x < 150 ? 0xFFFF0000U : 0xFF0000FFU);
        }
    }
    const Image fitted = FitIconSize(split);
    ASSERT_EQ(fitted.width, 256);
    ASSERT_EQ(fitted.height, 34);
    for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(fitted.at(x, y), x < 128 ? 0xFFFF0000U : 0xFF0000FFU) << x << "," << y;
        }
    }

    // 400x1, black up to column 200, white from 201: icon column 128 spans source 200 to
    // 201.5625, of which 0.5625 is white, so it gets 255 * 0.36 = 91.8.
    Image ramp{400, 1, {}};
    for (int x = 0; x < 400; ++x) {
        ramp.pixels.push_back(x < 201 ? 0xFF000000U : 0xFFFFFFFFU);
    }
    const Image mixed = FitIconSize(ramp);
    ASSERT_EQ(mixed.width, 256);
    ASSERT_EQ(mixed.height, 1);
    EXPECT_EQ(mixed.at(127, 0), 0xFF000000U);
    EXPECT_EQ(mixed.at(128, 0), 0xFF5C5C5CU);
    EXPECT_EQ(mixed.at(129, 0), 0xFFFFFFFFU);
}

TEST(OutputIco, NothingForAnEmptyImage) {
    EXPECT_TRUE(EncodeIco(Image{}).empty());
    EXPECT_TRUE(EncodeIco(Image{3, 0, {}}).empty());
}

} // namespace
} // namespace snarvik
