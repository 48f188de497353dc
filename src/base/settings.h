// Names and text conversion of the persisted settings.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace snarvik::settings {

inline constexpr const char* kAppName = "Snarvik";
inline constexpr const char* kSection = "Settings";
inline constexpr const char* kInit = "Init";
inline constexpr const char* kNumber = "Number";
inline constexpr const char* kLastFolder = "LastFolder";
// The last selection, "left,top,width,height" on the screen.
inline constexpr const char* kLastRegion = "LastRegion";
// The marking tool, colour and width last chosen, as their indexes.
inline constexpr const char* kMarkTool = "MarkTool";
inline constexpr const char* kMarkColour = "MarkColour";
inline constexpr const char* kMarkWidth = "MarkWidth";

// Registry key, below HKEY_CURRENT_USER, that holds the settings of one application section.
std::string KeyPath(std::string_view appName, std::string_view section);

// Stored text -> 32-bit integer: optional surrounding blanks, an optional sign, decimal digits,
// within the 32-bit range. Anything else is no number.
std::optional<std::int32_t> ParseInt32(std::string_view text);

} // namespace snarvik::settings
