#include "output/deflate.h"

#include <algorithm>
#include <array>

namespace snarvik {

namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr std::size_t kMaxInsert = 16;

// Length codes 257 to 285 and distance codes 0 to 29: the smallest value of each, and how many
// extra bits follow it.
constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                    15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                    67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                      4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                      9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// A Huffman code and its length, the bits reversed to go out lowest first.
struct Code {
    std::uint32_t bits;
    int length;
};

std::uint32_t Reversed(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) {
        reversed = reversed << 1 | ((code >> i) & 1U);
    }
    return reversed;
}

// Every symbol's and every match's code, looked up rather than searched.
struct Tables {
    std::array<Code, 286> symbol{}; // the fixed literal/length code of RFC 1951, 3.2.6
    std::array<std::uint8_t, 259> lengthCode{};
    std::array<std::uint8_t, 512> distanceCode{}; // by distance - 1 up to 256, then by 128s

    Tables() {
        for (std::uint32_t s = 0; s < symbol.size(); ++s) {
            const auto [first, from, length] =
                s < 144   ? std::array<std::uint32_t, 3>{0x30, 0, 8}
                : s < 256 ? std::array<std::uint32_t, 3>{0x190, 144, 9}
                : s < 280 ? std::array<std::uint32_t, 3>{0, 256, 7}
                          : std::array<std::uint32_t, 3>{0xC0, 280, 8};
            const int bits = static_cast<int>(length);
            symbol[s] = {Reversed(first + s - from, bits), bits};
        }
        for (std::size_t code = 0; code < kLengthBase.size(); ++code) {
            for (std::size_t l = kLengthBase[code]; l < lengthCode.size(); ++l) {
                lengthCode[l] = static_cast<std::uint8_t>(code);
            }
        }
        for (std::size_t code = 0; code < kDistanceBase.size(); ++code) {
            for (std::size_t d = kDistanceBase[code]; d <= kWindow; ++d) {
                distanceCode[DistanceIndex(d)] = static_cast<std::uint8_t>(code);
            }
        }
    }
    // Distances past 256 share their code with every distance of the same 128.
    static std::size_t DistanceIndex(std::size_t distance) {
        return distance <= 256 ? distance - 1 : 256 + ((distance - 1) >> 7);
    }
};

const Tables& CodeTables() {
    static const Tables tables;
    return tables;
}

// Bits go out from the lowest of each byte up, into room made beforehand.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out) : m_out(out) {}
    void Put(std::uint32_t value, int count) {
        m_bits |= static_cast<std::uint64_t>(value) << m_count;
        m_count += count;
        if (m_count >= 32) {
            for (int i = 0; i < 4; ++i, m_bits >>= 8) {
                *m_out++ = static_cast<std::uint8_t>(m_bits);
            }
            m_count -= 32;
        }
    }
    // Writes what is left, padded to a whole byte; the end of what was written.
    std::uint8_t* Finish() {
        for (; m_count > 0; m_count -= 8, m_bits >>= 8) {
            *m_out++ = static_cast<std::uint8_t>(m_bits);
        }
        return m_out;
    }

private:
    std::uint8_t* m_out;
    std::uint64_t m_bits = 0;
    int m_count = 0;
};

void PutMatch(BitWriter& bits, const Tables& tables, std::size_t length, std::size_t distance) {
    const std::size_t lengthCode = tables.lengthCode[length];
    const Code symbol = tables.symbol[257 + lengthCode];
    bits.Put(symbol.bits, symbol.length);
    bits.Put(static_cast<std::uint32_t>(length - kLengthBase[lengthCode]),
             kLengthExtra[lengthCode]);
    const std::size_t near = tables.distanceCode[Tables::DistanceIndex(distance)];
    bits.Put(Reversed(static_cast<std::uint32_t>(near), 5), 5); // the fixed distance codes
    bits.Put(static_cast<std::uint32_t>(distance - kDistanceBase[near]), kDistanceExtra[near]);
}

std::uint32_t Hash(const std::uint8_t* at) {
    const std::uint32_t three = at[0] | at[1] << 8 | at[2] << 16;
    return (three * 2654435761U) >> (32 - kHashBits);
}

std::uint32_t Adler32(std::span<const std::uint8_t> data) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    // 5552 bytes is the most that cannot overflow before the modulo.
    for (std::size_t start = 0; start < data.size(); start += 5552) {
        const std::size_t end = std::min(data.size(), start + 5552);
        for (std::size_t i = start; i < end; ++i) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

} // namespace

std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> data) {
    const Tables& tables = CodeTables();
    // At most 9 bits a byte, then the end of the block and the check.
    std::vector<std::uint8_t> out(2 + data.size() / 8 * 9 + 32);
    out[0] = 0x78; // deflate, 32 KB window
    out[1] = 0x01; // fastest
    BitWriter bits(out.data() + 2);
    bits.Put(1, 1); // the last block
    bits.Put(1, 2); // fixed codes
    // The last position of each hash, plus one (0: none yet).
    std::vector<std::uint32_t> last(std::size_t{1} << kHashBits, 0);
    const std::size_t size = data.size();
    std::size_t at = 0;
    while (at < size) {
        std::size_t length = 0;
        std::size_t from = 0;
        if (size - at >= kMinMatch) {
            const std::uint32_t hash = Hash(&data[at]);
            const std::size_t candidate = last[hash];
            last[hash] = static_cast<std::uint32_t>(at + 1);
            if (candidate != 0 && at - (candidate - 1) <= kWindow) {
                from = candidate - 1;
                const std::size_t most = std::min(kMaxMatch, size - at);
                length = static_cast<std::size_t>(
                    std::mismatch(&data[at], &data[at] + most, &data[from]).first - &data[at]);
            }
        }
        if (length >= kMinMatch) {
            PutMatch(bits, tables, length, at - from);
            // The strings inside a short match are found by later ones too; a long one (a run,
            // a repeated row) is passed over whole.
            const std::size_t inserted = length <= kMaxInsert ? at + length : at + 1;
            for (std::size_t i = at + 1; i < inserted && size - i >= kMinMatch; ++i) {
                last[Hash(&data[i])] = static_cast<std::uint32_t>(i + 1);
            }
            at += length;
        } else {
            const Code literal = tables.symbol[data[at]];
            bits.Put(literal.bits, literal.length);
            ++at;
        }
    }
    const Code end = tables.symbol[256];
    bits.Put(end.bits, end.length);
    out.resize(static_cast<std::size_t>(bits.Finish() - out.data()));
    const std::uint32_t adler = Adler32(data);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(adler >> shift));
    }
    return out;
}

} // namespace snarvik
