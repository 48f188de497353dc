// Registry values of the wallpaper placements, by the wallpaper menu's index.
#pragma once
#include <cstdint>
#include <optional>

namespace snarvik {

enum WallpaperMode : std::int16_t {
    kWallpaperTile = 1,
    kWallpaperCenter = 2,
    kWallpaperStretch = 3,
};

struct WallpaperValues {
    const char* tile;  // "TileWallpaper"
    const char* style; // "WallpaperStyle"
};

// The values of a placement; any other index writes no values.
std::optional<WallpaperValues> WallpaperModeValues(std::int16_t index);

} // namespace snarvik
