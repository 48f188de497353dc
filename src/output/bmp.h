// Windows bitmap file encoder: 24-bit, uncompressed, bottom-up.
#pragma once
#include "base/image.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace snarvik {

// Receives the file's bytes in order; returns false to stop.
using ByteSink = std::function<bool(std::span<const std::uint8_t>)>;

// Hands the .BMP file for the image to sink in pieces of about chunkBytes, so a large picture
// needs no buffer of its own size; small pieces stay in the processor's cache and are reused by
// the heap. False when the image is empty or too large for the format, or the sink stopped.
bool EncodeBmp(const Image& image, const ByteSink& sink, std::size_t chunkBytes = 1 << 16);

// The whole .BMP file for the image; empty when the image is empty or too large for the format.
std::vector<std::uint8_t> EncodeBmp(const Image& image);

} // namespace snarvik
