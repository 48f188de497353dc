// The system's startup apps list: per user, a REG_BINARY value for each shortcut of the Startup
// folder, named after the shortcut's file. Its first byte is even while the entry is enabled
// (2, or 6) and odd once the user disabled it (3, followed by when).
#pragma once

#include <cstdint>
#include <vector>

namespace snarvik {

inline constexpr const wchar_t* kStartupApprovedKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

// No value (never listed, or unreadable) is no decision of the user's.
inline bool StartupEntryDisabled(const std::vector<std::uint8_t>& value) noexcept {
    return !value.empty() && (value.front() & 1u) != 0;
}

} // namespace snarvik
