#include <windows.h>

#include "output/mChangeWallpaper.h"

#include "app/settings_store.h"
#include "app/win32.h"
#include "output/wallpaper_modes.h"

namespace snarvik::mChangeWallpaper {

std::string Outcome::Message(const std::string& path) const {
    if (accepted) {
        return {};
    }
    const std::string reason = win::SystemMessage(error) + ".";
    if (placement) {
        return "\"" + path + "\" was not made the desktop wallpaper: its placement could not be " +
               "stored in the registry (HKEY_CURRENT_USER\\Control Panel\\desktop):\n" + reason;
    }
    return "Windows did not accept \"" + path + "\" as the desktop wallpaper:\n" + reason;
}

Outcome ChangeWallpaper(const std::string& path, std::int16_t mode) {
    if (const auto values = WallpaperModeValues(mode)) {
        HKEY raw = nullptr;
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, nullptr, 0,
                                      KEY_SET_VALUE, nullptr, &raw, nullptr);
        const win::UniqueKey desktop(raw);
        if (status == ERROR_SUCCESS) {
            status = settings::SetString(desktop.get(), "TileWallpaper", values->tile);
        }
        if (status == ERROR_SUCCESS) {
            status = settings::SetString(desktop.get(), "WallpaperStyle", values->style);
        }
        if (status != ERROR_SUCCESS) {
            return {false, static_cast<DWORD>(status), true};
        }
    }
    std::wstring file = win::Wide(path);
    SetLastError(ERROR_SUCCESS);
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != FALSE) {
        return {true, 0, false};
    }
    const DWORD error = GetLastError();
    return {false, error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_INVALID_PARAMETER),
            false};
}

} // namespace snarvik::mChangeWallpaper
