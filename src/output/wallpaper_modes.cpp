#include "output/wallpaper_modes.h"

namespace snarvik {

std::optional<WallpaperValues> WallpaperModeValues(std::int16_t index) {
    switch (index) {
    case 1:
        return WallpaperValues{"1", "0"};
    case 2:
        return WallpaperValues{"0", "0"};
    case 3:
        return WallpaperValues{"0", "2"};
    default:
        return std::nullopt;
    }
}

} // namespace snarvik
