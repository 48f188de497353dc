#include "output/file_names.h"

#include <algorithm>

namespace snarvik {

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
    return result;
}

} // namespace

std::string_view ExtensionOf(FileKind kind) {
    switch (kind) {
    case FileKind::Icon:
        return ".ICO";
    case FileKind::Cursor:
        return ".CUR";
    case FileKind::Png:
        return ".PNG";
    case FileKind::Bitmap:
        break;
    }
    return ".BMP";
}

std::optional<std::int32_t> FreeNumber(FileKind kind, std::int32_t number,
                                       const std::function<bool(const std::string&)>& taken) {
    for (int tried = 0; tried < 100000; ++tried, number = NextNumber(number)) {
        if (!taken(DefaultName(kind, number))) {
            return number;
        }
    }
    return std::nullopt;
}

std::string DefaultName(FileKind kind, std::int32_t number) {
    std::string_view prefix = "Pic";
    if (kind == FileKind::Icon) {
        prefix = "Icon";
    } else if (kind == FileKind::Cursor) {
        prefix = "Cursor";
    }
    std::string name(prefix);
    name += std::to_string(number);
    name += ExtensionOf(kind);
    return name;
}

std::string ForceExtension(std::string name, std::string_view extension) {
    const std::string wanted = Upper(extension);
    if (name.size() < 4 || Upper(std::string_view(name).substr(name.size() - 4)) != wanted) {
        name += wanted;
    }
    return name;
}

std::int32_t NextNumber(std::int32_t number) {
    // Unsigned arithmetic wraps without undefined behaviour; the conversion back is modular.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) + 1U);
}

std::optional<std::string> DialogFilter(std::string_view defaultName) {
    if (defaultName.size() < 3) {
        return std::nullopt;
    }
    const std::string_view kind = defaultName.substr(defaultName.size() - 3);
    std::string_view description;
    if (kind == "BMP") {
        description = "Bitmap Files (*.BMP)";
    } else if (kind == "ICO") {
        description = "Icon Files (*.ICO)";
    } else if (kind == "CUR") {
        description = "Cursor Files (*.CUR)";
    } else if (kind == "PNG") {
        description = "PNG Files (*.PNG)";
    } else {
        return std::nullopt;
    }
    std::string filter(description);
    filter += '\0';
    filter += "*.";
    filter += kind;
    filter += '\0';
    filter += '\0';
    return filter;
}

} // namespace snarvik
