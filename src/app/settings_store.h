// The per-user settings store: text values under HKEY_CURRENT_USER.
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

} // namespace snarvik::settings
