#include <windows.h>

#include "output/mChangeWallpaper.h"

#include "base/settings_store.h"
#include "base/win32.h"
#include "output/wallpaper_modes.h"

namespace snarvik::mChangeWallpaper {

Failed ChangeWallpaper(const std::string& path, std::int16_t mode) {
    if (const auto values = WallpaperModeValues(mode)) {
        win::UniqueKey desktop;
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, nullptr, 0,
                                      KEY_SET_VALUE, nullptr, desktop.put(), nullptr);
        if (status == ERROR_SUCCESS) {
            status = settings::SetString(desktop.get(), "TileWallpaper", values->tile);
        }
        if (status == ERROR_SUCCESS) {
            status = settings::SetString(desktop.get(), "WallpaperStyle", values->style);
        }
        if (status != ERROR_SUCCESS) {
            return Failure{"\"" + path + "\" was not made the desktop wallpaper",
                           "its placement could not be stored in the registry "
                           "(HKEY_CURRENT_USER\\Control Panel\\desktop): " +
                               win::SystemMessage(static_cast<DWORD>(status))};
        }
    }
    std::wstring file = win::Wide(path);
    SetLastError(ERROR_SUCCESS);
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != FALSE) {
        return std::nullopt;
    }
    const DWORD error = GetLastError();
    return Failure{"Windows did not accept \"" + path + "\" as the desktop wallpaper",
                   win::SystemMessage(error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER)};
}

} // namespace snarvik::mChangeWallpaper
