// Little-endian appends for the file encoders.
#pragma once
#include <cstdint>
#include <vector>

namespace snarvik::detail {

inline void PutU8(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
}

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value);
    PutU16(out, value >> 16);
}

// BITMAPINFOHEADER, as BMP and ICO both carry it.
inline void PutInfoHeader(std::vector<std::uint8_t>& out, std::uint32_t width, std::uint32_t height,
                          std::uint32_t bitCount, std::uint32_t imageSize,
                          std::uint32_t pixelsPerMetre) {
    PutU32(out, 40);
    PutU32(out, width);
    PutU32(out, height);
    PutU16(out, 1); // planes
    PutU16(out, bitCount);
    PutU32(out, 0); // BI_RGB
    PutU32(out, imageSize);
    PutU32(out, pixelsPerMetre);
    PutU32(out, pixelsPerMetre);
    PutU32(out, 0); // colours used
    PutU32(out, 0); // colours important
}

} // namespace snarvik::detail
