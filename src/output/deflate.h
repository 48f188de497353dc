// A zlib stream (RFC 1950) of deflate data (RFC 1951) as PNG files carry it: one block with the
// fixed codes, strings found by a hash of their first three bytes. Fast rather than smallest.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace snarvik {

std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> data);

} // namespace snarvik
