#include "output/bmp.h"
#include "output/ico.h"
#include "support/pattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace snarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The test pattern with alpha deliberately not opaque, as screen pixels may carry.
Image Pattern(int width, int height) {
    Image image = testing_support::PatternImage(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] |= static_cast<std::uint32_t>(i & 0x7FU) << 24;
    }
    return image;
}

TEST(OutputBmp, GoldenTinyFile) {
    // clang-format off
    const Bytes three_by_two = {
        'B', 'M', 0x4E, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0,           // file header
        0x28, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,           // size, width, height, 24 bpp
        0, 0, 0, 0, 24, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, // BI_RGB, image size, 96 DPI
        0, 0, 0, 0, 0, 0, 0, 0,
        0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0x09, 0x08, 0x07, 0, 0, 0, // bottom row first
        0x00, 0x00, 0xA0, 0x00, 0xB0, 0x00, 0xC0, 0x00, 0x00, 0, 0, 0, // top row
    };
    // clang-format on
    EXPECT_EQ(EncodeBmp(Image{3,
                              2,
                              {0x00A00000, 0x0000B000, 0x000000C0, // top row
                               0xFF010203, 0xFF040506, 0xFF070809}}),
              three_by_two);
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

TEST(OutputEncoders, NothingForAnEmptyOrBrokenImage) {
    for (const Image& image : {Image{}, Image{0, 5, {}}, Image{2, 2, {1, 2, 3}}}) {
        EXPECT_TRUE(EncodeBmp(image).empty());
        EXPECT_TRUE(EncodeIco(image).empty());
    }
}

} // namespace
} // namespace snarvik
