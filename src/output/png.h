// PNG files: 8 bits a channel, each row through the standard filter that suits it, compressed
// by zlib. The .PNG files and the icons' largest entries are both written here.
#pragma once
#include "base/image.h"
#include "output/bmp.h" // ByteSink
#include "output/png_filter.h"

#include <cstdint>
#include <vector>

namespace snarvik {

// zlib's levels as the program uses them. A screen picture: the least level at which a screen
// with windows and text comes out no larger than the system's own encoder made it (that one
// did not filter the rows), its work shared among the processors. An icon entry: as small as
// zlib makes it.
inline constexpr int kPngScreenLevel = 6;
inline constexpr int kPngSmallestLevel = 9;
// The clipboard's, made while a program waits for it: zlib's fastest.
inline constexpr int kPngClipboardLevel = 1;

// Hands the .PNG file to sink in pieces of about 64 KB. level is zlib's, 0 to 9. A picture of
// several megabytes is compressed in strips at once, one per processor (or per thread given),
// each strip primed with the bytes before it, so the file is hardly larger. False when the
// image is empty, the level is not one of zlib's, or the sink stopped; std::bad_alloc when
// there is no memory for it.
bool EncodePng(const Image& image, PngChannels channels, int level, const ByteSink& sink,
               unsigned threads = 0);

// The whole .PNG file; empty where the above is false.
std::vector<std::uint8_t> EncodePng(const Image& image, PngChannels channels, int level,
                                    unsigned threads = 0);

} // namespace snarvik
