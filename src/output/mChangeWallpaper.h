// Makes a bitmap file the desktop wallpaper with a placement mode.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace snarvik::mChangeWallpaper {

struct Outcome {
    bool accepted = false;  // the system took the file as wallpaper
    DWORD error = 0;        // the system's reason when not
    bool placement = false; // what failed was storing the placement values

    // What to tell the user when the wallpaper was not set; empty otherwise.
    std::string Message(const std::string& path) const;
};

// Writes the placement values of `mode` (1 Tile, 2 Center, 3 Stretch; other: none) under
// HKCU\Control Panel\desktop, then hands the file to the system. The file is handed over only
// when its placement could be stored.
Outcome ChangeWallpaper(const std::string& path, std::int16_t mode);

} // namespace snarvik::mChangeWallpaper
