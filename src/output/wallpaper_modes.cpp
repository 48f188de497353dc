#include "output/wallpaper_modes.h"

namespace snarvik {

std::optional<WallpaperValues> WallpaperModeValues(std::int16_t index) {
    switch (index) {
    case kWallpaperTile:
        return WallpaperValues{"1", "0"};
    case kWallpaperCenter:
        return WallpaperValues{"0", "0"};
    case kWallpaperStretch:
        return WallpaperValues{"0", "2"};
    default:
        return std::nullopt;
    }
}

} // namespace snarvik
