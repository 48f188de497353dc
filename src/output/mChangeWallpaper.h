// Makes a bitmap file the desktop wallpaper with a placement mode.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace snarvik::mChangeWallpaper {

struct Outcome {
    bool accepted = false; // the system took the file as wallpaper
    DWORD error = 0;       // its reason when not

    // What to tell the user when the system refused the file; empty otherwise.
    std::string Message(const std::string& path) const;
};

// Writes the placement values of `mode` (1 Tile, 2 Center, 3 Stretch; other: none) under
// HKCU\Control Panel\desktop, then hands the file to the system. Registry failures are silent.
Outcome ChangeWallpaper(const std::string& path, std::int16_t mode);

// Creates or opens root\key and writes one REG_SZ value; false when either step failed.
bool SetRegistryString(HKEY root, const std::string& key, const std::string& name,
                       const std::string& value);

} // namespace snarvik::mChangeWallpaper
