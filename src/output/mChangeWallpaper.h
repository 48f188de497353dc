// Makes a bitmap file the desktop wallpaper with a placement mode.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/failure.h"

namespace snarvik::mChangeWallpaper {

// Writes the placement values of `mode` (a WallpaperMode; any other: none) under
// HKCU\Control Panel\desktop, then hands the file to the system. The file is handed over only
// when its placement could be stored.
Failed ChangeWallpaper(const std::string& path, std::int16_t mode);

} // namespace snarvik::mChangeWallpaper
