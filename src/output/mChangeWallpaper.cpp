#include <windows.h>

#include "output/mChangeWallpaper.h"

#include "app/win32.h"
#include "output/wallpaper_modes.h"

#include <vector>

namespace snarvik::mChangeWallpaper {

namespace {
constexpr const char* kDesktopKey = "Control Panel\\desktop";
} // namespace

std::string Outcome::Message(const std::string& path) const {
    if (accepted) {
        return {};
    }
    return "Windows did not accept \"" + path + "\" as the desktop wallpaper:\n" +
           win::SystemMessage(error) + ".";
}

bool SetRegistryString(HKEY root, const std::string& key, const std::string& name,
                       const std::string& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyA(root, key.c_str(), &opened) != ERROR_SUCCESS) {
        return false;
    }
    const win::UniqueKey owned(opened);
    // REG_SZ data counts its terminating NUL.
    return RegSetValueExA(owned.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

Outcome ChangeWallpaper(const std::string& path, std::int16_t mode) {
    if (const auto values = WallpaperModeValues(mode)) {
        SetRegistryString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", values->tile);
        SetRegistryString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", values->style);
    }
    std::vector<char> file(path.begin(), path.end());
    file.push_back('\0');
    SetLastError(ERROR_SUCCESS);
    if (SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, file.data(),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != FALSE) {
        return {true, 0};
    }
    const DWORD error = GetLastError();
    return {false, error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_INVALID_PARAMETER)};
}

} // namespace snarvik::mChangeWallpaper
