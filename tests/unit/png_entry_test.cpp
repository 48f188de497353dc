// The icon's own PNG and deflate encoders, read back by libpng and zlib where they are at hand.
#include "output/deflate.h"
#include "output/png_entry.h"
#include "support/pattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#ifdef SNARVIK_HAVE_LIBPNG
#include <png.h>
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

Bytes RgbaRows(const Image& image) {
    Bytes rows;
    for (const std::uint32_t p : image.pixels()) {
        rows.insert(rows.end(),
                    {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                     static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
    return rows;
}

// libpng's own reading of an 8-bit RGBA file of the size given; nullopt where it refuses it.
std::optional<Bytes> ReadByLibpng(const Bytes& file, const Image& size) {
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&read, file.data(), file.size()) == 0) {
        return std::nullopt;
    }
    Bytes rows(PNG_IMAGE_SIZE(read));
    const bool asMade = read.format == PNG_FORMAT_RGBA &&
                        read.width == static_cast<png_uint_32>(size.width()) &&
                        read.height == static_cast<png_uint_32>(size.height());
    if (png_image_finish_read(&read, nullptr, rows.data(), 0, nullptr) == 0 || !asMade) {
        return std::nullopt;
    }
    return rows;
}

TEST(PngEntry, LibpngReadsBackTheRgbaRows) {
    std::uint32_t state = 3;
    Image noise(256, 256);
    for (std::uint32_t& pixel : noise.pixels()) {
        pixel = Random(state) << 16 | Random(state);
    }
    const Image cases[] = {
        Image(1, 1, 0x80112233U), Image(3, 2, std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}),
        Image(256, 256, 0xFF336699U), noise, testing_support::PatternImage(256, 256)};
    for (const Image& image : cases) {
        EXPECT_EQ(ReadByLibpng(EncodePngEntry(image), image), RgbaRows(image))
            << image.width() << "x" << image.height();
    }
}

} // namespace
} // namespace snarvik

#else
TEST(PngEntry, ReadBackByLibpngAndZlib) {
    GTEST_SKIP() << "no libpng here to read the files back with";
}
#endif
