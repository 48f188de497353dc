// The PNG writer: its rows' filters and zlib stream read back with zlib, whole files read back by
// libpng where it is at hand.
#include "output/png.h"
#include "support/pattern.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef SNARVIK_HAVE_LIBPNG
#include <png.h>
#endif

namespace snarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Random(std::uint32_t& state) {
    state = state * 1103515245U + 12345U;
    return state >> 16;
}

std::size_t Bpp(PngChannels channels) {
    return channels == PngChannels::Rgba ? 4 : 3;
}

std::uint32_t Big32(const Bytes& file, std::size_t at) {
    return static_cast<std::uint32_t>(file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 |
                                      file[at + 3]);
}

// The IDAT chunks' data joined; nullopt unless the file is signature, IHDR, IDAT..., IEND.
std::optional<Bytes> IdatData(const Bytes& file) {
    std::string types;
    Bytes data;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length = Big32(file, at);
        const std::string type(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               file.begin() + static_cast<std::ptrdiff_t>(at + 8));
        types += types.empty() || type != types.substr(types.size() - 4) ? type : "";
        if (type == "IDAT") {
            const auto start = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
            data.insert(data.end(), start, start + static_cast<std::ptrdiff_t>(length));
        }
        at += 12 + length;
    }
    if (types != "IHDRIDATIEND") {
        return std::nullopt;
    }
    return data;
}

// zlib's reading of the file's rows: each a filter type, then the filtered bytes.
Bytes Inflated(const Bytes& stream, std::size_t size) {
    Bytes out(size + 1);
    uLongf length = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(length);
    return out;
}

// The PNG standard's predictor, to build rows that Paeth fits exactly.
int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

TEST(Png, EachRowGetsTheFilterWithTheSmallestSignedSum) {
    // Pairs of rows: noise, then a row built so that one filter is clearly best.
    constexpr int kWidth = 33;
    for (const PngChannels channels : {PngChannels::Rgb, PngChannels::Rgba}) {
        SCOPED_TRACE(Bpp(channels));
        const std::size_t bpp = Bpp(channels);
        const std::size_t size = kWidth * bpp;
        std::uint32_t state = 5;
        Bytes bytes;
        const auto build = [&](auto made) {
            const std::size_t above = bytes.size();
            for (std::size_t i = 0; i < size; ++i) { // noise
                bytes.push_back(static_cast<std::uint8_t>(Random(state)));
            }
            for (std::size_t i = 0; i < size; ++i) {
                const int a = i < bpp ? 0 : bytes[above + size + i - bpp];
                const int b = bytes[above + i];
                const int c = i < bpp ? 0 : bytes[above + i - bpp];
                bytes.push_back(static_cast<std::uint8_t>(made(i, a, b, c)));
            }
        };
        build([&](std::size_t i, int, int, int) { return i / bpp % 2 * 4; }); // small, varying
        build([&](std::size_t i, int, int, int) { return 7 * (i / bpp) + 50 * (i % bpp); });
        build([](std::size_t, int, int b, int) { return b + 1; });
        build([](std::size_t, int a, int b, int) { return (a + b) / 2; });
        // Off by 40 at the start, so that the predictor is not Up's all along.
        build([&](std::size_t i, int a, int b, int c) { return Paeth(a, b, c) + (i < bpp) * 40; });
        const int height = static_cast<int>(bytes.size() / size);
        Image image(kWidth, height);
        for (std::size_t p = 0; p < image.pixels().size(); ++p) {
            const std::uint8_t* rgba = &bytes[p * bpp];
            const std::uint32_t alpha = bpp == 4 ? rgba[3] : 0x7FU;
            image.pixels()[p] = alpha << 24 | rgba[0] << 16 | rgba[1] << 8 | rgba[2];
        }
        const auto idat = IdatData(EncodePng(image, channels, kPngSmallestLevel));
        ASSERT_TRUE(idat);
        const Bytes rows = Inflated(*idat, (size + 1) * static_cast<std::size_t>(height));
        ASSERT_EQ(rows.size(), (size + 1) * static_cast<std::size_t>(height));
        std::vector<int> designed;
        for (int y = 1; y < height; y += 2) {
            designed.push_back(rows[static_cast<std::size_t>(y) * (size + 1)]);
        }
        EXPECT_EQ(designed, (std::vector<int>{0, 1, 2, 3, 4}));

        // Nothing is lost to a smaller window or hash than zlib's best level uses.
        uLongf best = compressBound(static_cast<uLong>(rows.size()));
        Bytes again(best);
        ASSERT_EQ(compress2(again.data(), &best, rows.data(), static_cast<uLong>(rows.size()), 9),
                  Z_OK);
        EXPECT_LE(idat->size(), best);
    }
}

TEST(Png, StripsCompressedAtOnceMakeOneStreamOfTheSameRows) {
    // Over four megabytes of rows: four strips, each primed with the bytes before it.
    const Image image = testing_support::PatternImage(1200, 1000, 2000, 0);
    const std::size_t size = (1200 * 4 + 1) * 1000;
    const auto whole = IdatData(EncodePng(image, PngChannels::Rgba, kPngScreenLevel, 1));
    const auto strips = IdatData(EncodePng(image, PngChannels::Rgba, kPngScreenLevel, 4));
    ASSERT_TRUE(whole && strips);
    const Bytes rows = Inflated(*whole, size); // zlib checks the stream's check value
    EXPECT_EQ(rows.size(), size);
    EXPECT_TRUE(Inflated(*strips, size) == rows);
    EXPECT_LT(strips->size(), whole->size() * 11 / 10);
}

TEST(Png, NothingForAnEmptyPictureOrALevelZlibLacksAndAStoppedSinkStopsIt) {
    EXPECT_TRUE(EncodePng(Image(), PngChannels::Rgb, kPngScreenLevel).empty());
    EXPECT_TRUE(EncodePng(Image(2, 2), PngChannels::Rgb, 10).empty());
    int pieces = 0;
    std::uint32_t state = 9;
    Image noise(300, 300);
    for (std::uint32_t& pixel : noise.pixels()) {
        pixel = Random(state) << 16 | Random(state);
    }
    EXPECT_FALSE(EncodePng(noise, PngChannels::Rgba, 0, [&](std::span<const std::uint8_t>) {
        ++pieces;
        return false;
    }));
    EXPECT_EQ(pieces, 1);
}

#ifdef SNARVIK_HAVE_LIBPNG

// The bytes of the rows as the file should hold them: R G B (A) per pixel.
Bytes RowBytes(const Image& image, PngChannels channels) {
    Bytes rows;
    for (const std::uint32_t p : image.pixels()) {
        rows.insert(rows.end(), {static_cast<std::uint8_t>(p >> 16),
                                 static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)});
        if (channels == PngChannels::Rgba) {
            rows.push_back(static_cast<std::uint8_t>(p >> 24));
        }
    }
    return rows;
}

// libpng's own reading of the file's pixels, if it has the size and channels asked for.
std::optional<Bytes> ReadByLibpng(const Bytes& file, const Image& size, PngChannels channels) {
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&read, file.data(), file.size()) == 0) {
        return std::nullopt;
    }
    const bool asMade =
        read.format == (channels == PngChannels::Rgba ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB) &&
        read.width == static_cast<png_uint_32>(size.width()) &&
        read.height == static_cast<png_uint_32>(size.height());
    Bytes rows(PNG_IMAGE_SIZE(read));
    if (png_image_finish_read(&read, nullptr, rows.data(), 0, nullptr) == 0 || !asMade) {
        return std::nullopt;
    }
    return rows;
}

TEST(Png, LibpngReadsBackEveryPixelExactly) {
    std::uint32_t state = 3;
    Image noise(256, 256); // alpha and colours at random: stored, several IDAT chunks
    for (std::uint32_t& pixel : noise.pixels()) {
        pixel = Random(state) << 16 | Random(state);
    }
    Image icon = testing_support::PatternImage(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            icon.row(y)[x] |= static_cast<std::uint32_t>((x + y) / 2) << 24;
        }
    }
    const struct {
        Image image;
        PngChannels channels;
        int level;
    } cases[] = {
        {Image(1, 1, 0x80112233U), PngChannels::Rgba, kPngSmallestLevel},
        {testing_support::PatternImage(3, 2, 250, 250), PngChannels::Rgb, kPngScreenLevel},
        {testing_support::PatternImage(1, 5), PngChannels::Rgba, kPngSmallestLevel},
        {testing_support::PatternImage(333, 77, 100, 900), PngChannels::Rgb, kPngScreenLevel},
        {noise, PngChannels::Rgba, 0},
        {noise, PngChannels::Rgb, kPngSmallestLevel},
        {icon, PngChannels::Rgba, kPngSmallestLevel},
    };
    for (const auto& [image, channels, level] : cases) {
        SCOPED_TRACE(std::to_string(image.width()) + "x" + std::to_string(image.height()) + " in " +
                     std::to_string(Bpp(channels)) + " at level " + std::to_string(level));
        EXPECT_EQ(ReadByLibpng(EncodePng(image, channels, level), image, channels),
                  RowBytes(image, channels));
    }
}

TEST(Png, LibpngReadsBackAnEightKFrame) {
    const Image frame = testing_support::PatternImage(7680, 4320);
    const Bytes file = EncodePng(frame, PngChannels::Rgb, kPngScreenLevel, 3);
    const auto read = ReadByLibpng(file, frame, PngChannels::Rgb);
    ASSERT_TRUE(read);
    EXPECT_TRUE(*read == RowBytes(frame, PngChannels::Rgb));
}

#else
TEST(Png, LibpngReadsBackEveryPixelExactly) {
    GTEST_SKIP() << "no libpng here to read the files back with";
}
#endif

} // namespace
} // namespace snarvik
