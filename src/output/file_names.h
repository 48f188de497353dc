// Default file names, forced extensions and the dialog filter of the save commands.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace snarvik {

enum class FileKind { Bitmap, Png, Icon, Cursor };

// ".BMP", ".PNG", ".ICO" or ".CUR".
std::string_view ExtensionOf(FileKind kind);

// Prefix, running number in decimal, extension: "Pic1.BMP", "Icon-3.ICO".
std::string DefaultName(FileKind kind, std::int32_t number);

// Appends the upper-case extension unless the name already ends with it in any case.
std::string ForceExtension(std::string name, std::string_view extension);

// The running number's successor; past INT32_MAX it wraps to INT32_MIN.
std::int32_t NextNumber(std::int32_t number);

// The first running number from `number` on whose default name is not `taken`; none when
// every one of a great many is.
std::optional<std::int32_t> FreeNumber(FileKind kind, std::int32_t number,
                                       const std::function<bool(const std::string&)>& taken);

// The one-entry filter chosen by the default name's last three characters (case matters):
// description, NUL, pattern, NUL, NUL. No filter for anything else.
std::optional<std::string> DialogFilter(std::string_view defaultName);

} // namespace snarvik
