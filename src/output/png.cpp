#include "output/png.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <new>
#include <string_view>
#include <thread>

namespace snarvik {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPieceBytes = 1 << 16;
// Fewer bytes of rows than this are not worth a thread of their own.
constexpr std::uint64_t kStripBytes = 1 << 20;
constexpr std::size_t kWindow = 32768; // how far back deflate finds repeats

void PutBig32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Length, type, data and the CRC over type and data.
void PutChunk(Bytes& out, std::string_view type, std::span<const std::uint8_t> data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, &out[start], static_cast<uInt>(out.size() - start));
    PutBig32(out, static_cast<std::uint32_t>(crc));
}

// The file from its head (signature and IHDR) on: the zlib stream cut into IDAT chunks, each
// handed on when it is full, then IEND.
class IdatWriter {
public:
    IdatWriter(const ByteSink& sink, Bytes head) : m_sink(sink), m_piece(std::move(head)) {
        m_data.reserve(kPieceBytes + 4);
    }

    bool Add(std::span<const std::uint8_t> data) {
        while (!data.empty()) {
            const std::size_t part = std::min(data.size(), kPieceBytes - m_data.size());
            m_data.insert(m_data.end(), data.begin(),
                          data.begin() + static_cast<std::ptrdiff_t>(part));
            data = data.subspan(part);
            if (m_data.size() == kPieceBytes && !Hand()) {
                return false;
            }
        }
        return true;
    }

    // The stream's check value, the last chunk and IEND.
    bool Finish(uLong adler) {
        PutBig32(m_data, static_cast<std::uint32_t>(adler));
        PutChunk(m_piece, "IDAT", m_data);
        PutChunk(m_piece, "IEND", {});
        return m_sink(m_piece);
    }

private:
    bool Hand() {
        PutChunk(m_piece, "IDAT", m_data);
        m_data.clear();
        const bool taken = m_sink(m_piece);
        m_piece.clear();
        return taken;
    }

    const ByteSink& m_sink;
    Bytes m_piece; // what goes out next
    Bytes m_data;  // stream bytes for the next chunk
};

// What a strip's rows add up to, for the stream's check value.
struct StripSums {
    uLong adler = adler32(0L, nullptr, 0);
    std::uint64_t length = 0;
};

class Deflater {
public:
    // Raw deflate with the largest window and zlib's usual memory: the zlib header and check
    // value are made around the strips.
    explicit Deflater(int level) {
        const int result = deflateInit2(&m_stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        if (result == Z_MEM_ERROR) {
            throw std::bad_alloc();
        }
        m_started = result == Z_OK;
    }
    ~Deflater() {
        if (m_started) {
            deflateEnd(&m_stream);
        }
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool started() const { return m_started; }
    z_stream* get() { return &m_stream; }

private:
    z_stream m_stream{};
    bool m_started = false;
};

// Rows [begin, end) through the filters and raw deflate, primed with the filtered bytes just
// before begin. A strip other than the last ends on a byte boundary, open, so that the next
// strip's data follows on.
bool DeflateStrip(const Image& image, PngChannels channels, int level, int begin, int end,
                  const ByteSink& out, StripSums& sums, const std::atomic<bool>& stop) {
    Deflater deflater(level);
    if (!deflater.started()) {
        return false;
    }
    z_stream& stream = *deflater.get();
    PngRowFilter rows(image, channels);
    if (begin > 0) {
        const std::size_t back = std::min<std::size_t>(
            static_cast<std::size_t>(begin), (kWindow + rows.rowBytes() - 1) / rows.rowBytes());
        Bytes before;
        for (int y = begin - static_cast<int>(back); y < begin; ++y) {
            const auto row = rows.Row(y);
            before.insert(before.end(), row.begin(), row.end());
        }
        const std::size_t keep = std::min(before.size(), kWindow);
        deflateSetDictionary(&stream, before.data() + before.size() - keep,
                             static_cast<uInt>(keep));
    }
    Bytes buffer(kPieceBytes);
    stream.next_out = buffer.data();
    stream.avail_out = static_cast<uInt>(buffer.size());
    const auto hand = [&] {
        const std::size_t used = buffer.size() - stream.avail_out;
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        return used == 0 || out({buffer.data(), used});
    };
    for (int y = begin; y < end; ++y) {
        if (stop) {
            return false;
        }
        std::span<const std::uint8_t> row = rows.Row(y);
        sums.adler = adler32_z(sums.adler, row.data(), row.size());
        sums.length += row.size();
        while (!row.empty()) {
            const std::size_t part = std::min<std::size_t>(row.size(), 1U << 30);
            stream.next_in = const_cast<Bytef*>(row.data()); // zlib's API is not const
            stream.avail_in = static_cast<uInt>(part);
            while (stream.avail_in > 0) {
                if (deflate(&stream, Z_NO_FLUSH) == Z_STREAM_ERROR ||
                    (stream.avail_out == 0 && !hand())) {
                    return false;
                }
            }
            row = row.subspan(part);
        }
    }
    const int flush = end == image.height() ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
        const int result = deflate(&stream, flush);
        const bool full = stream.avail_out == 0;
        if (result == Z_STREAM_ERROR || (full && !hand())) {
            return false;
        }
        if (flush == Z_FINISH ? result == Z_STREAM_END : !full) {
            return hand();
        }
    }
}

struct StripResult {
    bool made = false;
    StripSums sums;
    Bytes compressed;
};

// Sets the flag when it goes: the strips still at work stop.
struct StopOnExit {
    std::atomic<bool>& stop;
    ~StopOnExit() { stop = true; }
};

} // namespace

bool EncodePng(const Image& image, PngChannels channels, int level, const ByteSink& sink,
               unsigned threads) {
    if (image.empty()) {
        return false;
    }
    const bool alpha = channels == PngChannels::Rgba;
    Bytes head{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBig32(header, static_cast<std::uint32_t>(image.width()));
    PutBig32(header, static_cast<std::uint32_t>(image.height()));
    // 8 bits a channel, true colour with or without alpha, deflate, the standard filters, not
    // interlaced.
    header.insert(header.end(), {8, static_cast<std::uint8_t>(alpha ? 6 : 2), 0, 0, 0});
    PutChunk(head, "IHDR", header);
    IdatWriter writer(sink, std::move(head));
    // The zlib header: deflate with a 32 KB window, and how hard it tried.
    const int effort = level == 6 || level == Z_DEFAULT_COMPRESSION ? 2
                       : level < 2                                  ? 0
                       : level < 6                                  ? 1
                                                                    : 3;
    const int flags = effort << 6 | (31 - (0x78 * 256 + (effort << 6)) % 31);
    const std::uint8_t zlibHeader[] = {0x78, static_cast<std::uint8_t>(flags)};
    writer.Add(zlibHeader); // short of a chunk: handed on with the first

    // Strips of at least kStripBytes, at most one per thread.
    const std::uint64_t bytes = (static_cast<std::uint64_t>(image.width()) * (alpha ? 4 : 3) + 1) *
                                static_cast<std::uint64_t>(image.height());
    const std::uint64_t most = std::min<std::uint64_t>(
        threads != 0 ? threads : std::max(1U, std::thread::hardware_concurrency()),
        static_cast<std::uint64_t>(image.height()));
    const int strips = static_cast<int>(std::clamp<std::uint64_t>(bytes / kStripBytes, 1, most));
    const auto firstRow = [&](int strip) {
        return static_cast<int>(static_cast<std::int64_t>(image.height()) * strip / strips);
    };

    std::atomic<bool> stop = false;
    std::vector<std::future<StripResult>> others;
    const StopOnExit stopOthers{stop}; // on any way out, before waiting for them
    for (int strip = 1; strip < strips; ++strip) {
        others.push_back(std::async(std::launch::async, [&, strip] {
            StripResult result;
            result.made = DeflateStrip(
                image, channels, level, firstRow(strip), firstRow(strip + 1),
                [&result](std::span<const std::uint8_t> data) {
                    result.compressed.insert(result.compressed.end(), data.begin(), data.end());
                    return true;
                },
                result.sums, stop);
            return result;
        }));
    }
    StripSums sums;
    if (!DeflateStrip(
            image, channels, level, 0, firstRow(1),
            [&writer](std::span<const std::uint8_t> data) { return writer.Add(data); }, sums,
            stop)) {
        return false;
    }
    uLong adler = sums.adler;
    for (auto& other : others) {
        const StripResult result = other.get();
        if (!result.made || !writer.Add(result.compressed)) {
            return false;
        }
        // Only the length's remainder by 65521, the check value's modulus, counts.
        adler = adler32_combine(adler, result.sums.adler,
                                static_cast<z_off_t>(result.sums.length % 65521));
    }
    return writer.Finish(adler);
}

std::vector<std::uint8_t> EncodePng(const Image& image, PngChannels channels, int level,
                                    unsigned threads) {
    std::vector<std::uint8_t> file;
    const bool whole = EncodePng(
        image, channels, level,
        [&file](std::span<const std::uint8_t> piece) {
            file.insert(file.end(), piece.begin(), piece.end());
            return true;
        },
        threads);
    return whole ? file : std::vector<std::uint8_t>{};
}

} // namespace snarvik
