#include <windows.h>

#include "app/settings_store.h"

#include "app/settings.h"
#include "app/win32.h"

#include <vector>

namespace snarvik::settings {

std::string GetSetting(const std::string& appName, const std::string& section,
                       const std::string& key, const std::string& fallback) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(appName, section).c_str(), 0, KEY_QUERY_VALUE,
                      &raw) != ERROR_SUCCESS) {
        return fallback;
    }
    const win::UniqueKey hkey(raw);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(hkey.get(), key.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return fallback;
    }
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(hkey.get(), key.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return fallback;
    }
    return std::string(data.data()); // up to the first NUL
}

LONG SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value) {
    HKEY raw = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(appName, section).c_str(), 0, nullptr,
                                  0, KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const win::UniqueKey hkey(raw);
    return RegSetValueExA(hkey.get(), key.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace snarvik::settings
