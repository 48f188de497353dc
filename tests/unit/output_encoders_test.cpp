#include "output/bmp.h"
#include "output/ico.h"
#include "output/icon_images.h"
#include "output/png.h"
#include "support/pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace snarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The test pattern with alpha deliberately not opaque, as screen pixels may carry.
Image Pattern(int width, int height) {
    Image image = testing_support::PatternImage(width, height);
    for (std::size_t i = 0; i < image.pixels().size(); ++i) {
        image.pixels()[i] |= static_cast<std::uint32_t>(i & 0x7FU) << 24;
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
    EXPECT_EQ(
        EncodeBmp(Image(3, 2,
                        std::vector<std::uint32_t>{0x00A00000, 0x0000B000, 0x000000C0, // top row
                                                   0xFF010203, 0xFF040506, 0xFF070809})),
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
    EXPECT_EQ(EncodeIconFile(IconImages(Image(1, 1, 0x00ABCDEFU)), IconFileType::Icon), expected);
}

TEST(OutputIco, EverySizeBelowTheSelectionFollowsIt) {
    // The selection's own image first (at most 256 on its longer side), an oblong one followed by
    // a square of its longer side, then smaller squares.
    const std::tuple<Image, std::pair<int, int>, std::vector<int>> cases[] = {
        {Pattern(16, 16), {16, 16}, {}},
        {Pattern(33, 33), {33, 33}, {32, 30, 24, 20, 16}},
        {Pattern(64, 64), {64, 64}, {60, 48, 40, 36, 32, 30, 24, 20, 16}},
        {Pattern(100, 40), {100, 40}, {100, 96, 80, 72, 64, 60, 48, 40, 36, 32, 30, 24, 20, 16}},
        {Pattern(300, 300), {256, 256}, {96, 80, 72, 64, 60, 48, 40, 36, 32, 30, 24, 20, 16}},
        {Pattern(300, 200), {256, 171}, {256, 96, 80, 72, 64, 60, 48, 40, 36, 32, 30, 24, 20, 16}},
        {Pattern(16, 9), {16, 9}, {16}},
    };
    for (const auto& [selection, first, sides] : cases) {
        const std::vector<Image> images = IconImages(selection);
        std::vector<std::pair<int, int>> made;
        for (const Image& image : images) {
            made.emplace_back(image.width(), image.height());
        }
        std::vector<std::pair<int, int>> expected{first};
        for (const int side : sides) {
            expected.emplace_back(side, side);
        }
        EXPECT_EQ(made, expected) << selection.width() << "x" << selection.height();
        EXPECT_EQ(images.front(), FitIconSize(selection));
    }
}

// The sRGB value of the mean of the light of the pixels, computed straight from the standard.
std::uint32_t MeanInLinearLight(const std::vector<std::uint32_t>& pixels) {
    std::uint32_t mean = 0xFF000000U;
    for (int shift = 0; shift < 24; shift += 8) {
        double light = 0;
        for (const std::uint32_t pixel : pixels) {
            const double c = ((pixel >> shift) & 0xFFU) / 255.0;
            light += c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        light /= static_cast<double>(pixels.size());
        const double srgb =
            light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
        mean |= static_cast<std::uint32_t>(std::lround(srgb * 255)) << shift;
    }
    return mean;
}

// Each pixel of `scaled` is the mean in linear light of the square block of `source` it covers.
void ExpectBlockMeans(const Image& source, const Image& scaled, int block) {
    for (int y = 0; y < scaled.height(); ++y) {
        for (int x = 0; x < scaled.width(); ++x) {
            std::vector<std::uint32_t> pixels;
            for (int dy = 0; dy < block; ++dy) {
                for (int dx = 0; dx < block; ++dx) {
                    pixels.push_back(source.at(block * x + dx, block * y + dy));
                }
            }
            ASSERT_EQ(scaled.at(x, y), MeanInLinearLight(pixels))
                << scaled.width() << ": " << x << "," << y;
        }
    }
}

TEST(OutputIco, SmallerSizesAverageBlocksInLinearLight) {
    // Random channels from 11 up: on the sRGB curve's straight start below, block means can fall
    // exactly on a half, and the rounding would test the last bit of a double.
    Image selection(64, 64);
    std::uint32_t random = 1;
    for (std::uint32_t& out : selection.pixels()) {
        std::uint32_t pixel = 0;
        for (int c = 0; c < 3; ++c) {
            random = random * 1103515245U + 12345U;
            pixel = pixel << 8 | (11 + (random >> 16) % 245);
        }
        out = pixel;
    }
    const std::vector<Image> images = IconImages(selection);
    for (const int side : {32, 16}) {
        const auto image = std::find_if(images.begin(), images.end(),
                                        [side](const Image& i) { return i.width() == side; });
        ASSERT_NE(image, images.end()) << side;
        ExpectBlockMeans(selection, *image, 64 / side);
    }
}

TEST(OutputIco, AnOblongSelectionIsCentredOnATransparentSquare) {
    // 40x18 on a 40 square starts at row 11: at 20 px, rows 0-4 are empty, row 5 is half
    // covered, rows 6-13 full, row 14 half and 15-19 empty; a half-covered pixel keeps the
    // colour of what covers it. At 40 px the selection stands unscaled between rows 11 and 28.
    const Image selection(40, 18, 0x00336699U);
    const std::vector<Image> images = IconImages(selection);
    EXPECT_EQ(images.front(), Image(40, 18, 0xFF336699U));
    ASSERT_EQ(images.size(), 8u);
    const Image& full = images[1];
    ASSERT_EQ(full.width(), 40);
    for (int y = 0; y < 40; ++y) {
        ASSERT_EQ(full.at(0, y), y < 11 || y > 28 ? 0 : 0xFF336699U) << y;
    }
    const Image& square = images[6];
    ASSERT_EQ(square.width(), 20);
    for (int y = 0; y < 20; ++y) {
        const std::uint32_t expected = y < 5 || y > 14     ? 0
                                       : y == 5 || y == 14 ? 0x80336699U
                                                           : 0xFF336699U;
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(square.at(x, y), expected) << x << "," << y;
        }
    }
    // The AND mask, rows bottom-up of four bytes: a bit for every fully transparent pixel.
    const Bytes file = EncodeIconFile(std::vector<Image>{square}, IconFileType::Icon);
    const std::size_t mask = 6 + 16 + 40 + 20 * 20 * 4;
    ASSERT_EQ(file.size(), mask + 20 * 4);
    for (const auto& [y, bits] :
         {std::pair{19, Bytes{0xFF, 0xFF, 0xF0, 0}}, std::pair{14, Bytes{0, 0, 0, 0}},
          std::pair{0, Bytes{0xFF, 0xFF, 0xF0, 0}}}) {
        const auto row = file.begin() + static_cast<std::ptrdiff_t>(mask + (19 - y) * 4);
        EXPECT_EQ(Bytes(row, row + 4), bits) << y;
    }
}

TEST(OutputIco, DirectoryOfAFullSetAndACursorsHotspots) {
    // Entries in order, 256 as PNG, the others 32-bit bitmaps with their mask.
    const std::vector<Image> images = IconImages(Pattern(256, 256));
    const Bytes png = EncodePng(images.front(), PngChannels::Rgba, kPngSmallestLevel);
    for (const IconFileType type : {IconFileType::Icon, IconFileType::Cursor}) {
        const Bytes file = EncodeIconFile(images, type);
        ASSERT_GE(file.size(), 6u + 16 * images.size());
        const auto u16 = [&file](std::size_t at) {
            return file[at] | file[at + 1] << 8;
        };
        const auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16);
        };
        EXPECT_EQ(u16(2), static_cast<int>(type));
        EXPECT_EQ(u16(4), static_cast<int>(images.size()));
        auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
        for (std::size_t i = 0; i < images.size(); ++i) {
            const std::size_t entry = 6 + 16 * i;
            const int side = images[i].width();
            SCOPED_TRACE(side);
            const std::pair<int, int> fields =
                type == IconFileType::Cursor ? std::pair{side / 2, side / 2} : std::pair{1, 32};
            EXPECT_EQ(file[entry], side % 256);
            EXPECT_EQ(file[entry + 1], side % 256);
            EXPECT_EQ(std::make_pair(u16(entry + 4), u16(entry + 6)), fields);
            const auto size = static_cast<std::uint32_t>(
                side == 256 ? png.size()
                            : 40 + static_cast<std::size_t>(side * side * 4 +
                                                            side * ((side + 31) / 32 * 4)));
            EXPECT_EQ(u32(entry + 8), size);
            EXPECT_EQ(u32(entry + 12), offset);
            const Bytes start(file.begin() + offset, file.begin() + offset + 4);
            const Bytes expected =
                side == 256 ? Bytes(png.begin(), png.begin() + 4) : Bytes{40, 0, 0, 0};
            EXPECT_EQ(start, expected);
            offset += size;
        }
        EXPECT_EQ(file.size(), offset);
    }
}

TEST(OutputIco, ALargeSelectionIsFittedByAreasOfTheStoredValues) {
    // 400x1, black up to column 200, white from 201: icon column 128 spans source 200 to
    // 201.5625, of which 0.5625 is white, so it gets 255 * 0.36 = 91.8.
    Image ramp(400, 1, 0xFFFFFFFFU);
    std::fill_n(ramp.row(0), 201, 0xFF000000U);
    const Image mixed = FitIconSize(ramp);
    ASSERT_EQ(mixed.width(), 256);
    ASSERT_EQ(mixed.height(), 1);
    EXPECT_EQ(mixed.at(127, 0), 0xFF000000U);
    EXPECT_EQ(mixed.at(128, 0), 0xFF5C5C5CU);
    EXPECT_EQ(mixed.at(129, 0), 0xFFFFFFFFU);
}

TEST(OutputEncoders, NothingForAnEmptyImage) {
    for (const Image& image : {Image{}, Image(0, 5), Image(5, 0, std::vector<std::uint32_t>{})}) {
        EXPECT_EQ(std::pair(image.width(), image.height()), std::pair(0, 0));
        EXPECT_TRUE(EncodeBmp(image).empty());
        EXPECT_TRUE(EncodeIconFile(IconImages(image), IconFileType::Icon).empty());
        EXPECT_TRUE(EncodeIconFile(std::vector<Image>{image}, IconFileType::Icon).empty());
    }
}

// Its pixels always fill it: a size without them cannot be made, not even by moving them away.
TEST(ImageTest, PixelsAlwaysFillIt) {
    using Pixels = std::vector<std::uint32_t>;
    EXPECT_THROW(Image(2, 2, Pixels{1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(Image(0, 1, Pixels{1}), std::invalid_argument);
    EXPECT_THROW(Image(-1, -1), std::invalid_argument);
    Image moved(3, 2, 7);
    const Image taken = std::move(moved);
    EXPECT_EQ(std::tuple(taken.width(), taken.height(), taken.pixels().size()),
              std::tuple(3, 2, 6u));
    EXPECT_EQ(std::tuple(moved.width(), moved.height(), moved.pixels().size()),
              std::tuple(0, 0, 0u));
    Image assigned(1, 1);
    assigned = Image(4, 1, Pixels{1, 2, 3, 4});
    EXPECT_EQ(assigned.at(3, 0), 4u);
}

} // namespace
} // namespace snarvik
