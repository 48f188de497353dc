#include <windows.h>

#include "base/settings_store.h"

#include "base/settings.h"
#include "base/win32.h"

#include <vector>

namespace snarvik::settings {

std::string GetSetting(const std::string& appName, const std::string& section,
                       const std::string& key, const std::string& fallback) {
    win::UniqueKey hkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win::Wide(KeyPath(appName, section)).c_str(), 0,
                      KEY_QUERY_VALUE, hkey.put()) != ERROR_SUCCESS) {
        return fallback;
    }
    const std::wstring name = win::Wide(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return fallback;
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return fallback;
    }
    return win::Utf8(data.data()); // up to the first NUL
}

LONG SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value) {
    win::UniqueKey hkey;
    const LONG status =
        RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(KeyPath(appName, section)).c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, hkey.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return SetString(hkey.get(), key, value);
}

LONG SetString(HKEY key, const std::string& name, const std::string& value) {
    const std::wstring data = win::Wide(value);
    // REG_SZ data counts its terminating NUL.
    return RegSetValueExW(key, win::Wide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

} // namespace snarvik::settings
