// The PNG file of an icon's 256-pixel entry: 32-bit with alpha, as icon loaders require.
#pragma once
#include "base/image.h"

#include <cstdint>
#include <vector>

namespace snarvik {

// Each row through the filter that suits it, compressed by ZlibCompress. Empty for an empty or
// broken image.
std::vector<std::uint8_t> EncodePngEntry(const Image& image);

} // namespace snarvik
