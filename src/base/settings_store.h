// The per-user settings store: text values under HKEY_CURRENT_USER, as UTF-8 in the program.
#pragma once
#include <windows.h>

#include <string>

namespace snarvik::settings {

// The stored text, or fallback when the value is absent or unreadable.
std::string GetSetting(const std::string& appName, const std::string& section,
                       const std::string& key, const std::string& fallback);

// Stores the text; returns ERROR_SUCCESS or the system's error code.
LONG SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

// Writes one REG_SZ value into an open key; ERROR_SUCCESS or the system's error code.
LONG SetString(HKEY key, const std::string& name, const std::string& value);

} // namespace snarvik::settings
