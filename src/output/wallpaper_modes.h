// Registry values of the wallpaper placements, by menu index.
#pragma once
#include <cstdint>
#include <optional>

namespace snarvik {

struct WallpaperValues {
    const char* tile;  // "TileWallpaper"
    const char* style; // "WallpaperStyle"
};

// 1 Tile, 2 Center, 3 Stretch; any other index writes no values.
std::optional<WallpaperValues> WallpaperModeValues(std::int16_t index);

} // namespace snarvik
