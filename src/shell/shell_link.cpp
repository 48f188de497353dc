#include "shell/shell_link.h"

#include <algorithm>
#include <array>

namespace snarvik::mCreateShortcut {

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void WriteU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// {00021401-0000-0000-C000-000000000046} as stored in the header.
constexpr std::array<std::uint8_t, 16> kLinkClsid = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Smallest LinkInfo: its size, header size, flags and four offsets.
constexpr std::uint32_t kMinLinkInfoSize = 0x1C;

bool HasIconLocation(const ShortcutRequest& request) {
    return !request.IconFile.empty() || request.IconIndex > 0;
}

const std::string& IconLocation(const ShortcutRequest& request) {
    return request.IconFile.empty() ? request.TargetPath : request.IconFile;
}

Failure Unwritable(std::string why) {
    return {"The shortcut cannot be made", std::move(why)};
}

Failure UnusableShellLink(std::string why) {
    return {"The shell's shortcut cannot be used", std::move(why)};
}

Failed CheckLength(const char* what, const std::string& text) {
    const std::size_t length = Utf16(text).size();
    if (length > kMaxBlockChars) {
        return Unwritable(std::string("its ") + what + " is too long (" + std::to_string(length) +
                          " characters; at most " + std::to_string(kMaxBlockChars) + ")");
    }
    return std::nullopt;
}

Failed CheckByte(const char* what, int value) {
    if (value < 0 || value > 255) {
        return Unwritable(std::string("its ") + what + " must be between 0 and 255, not " +
                          std::to_string(value));
    }
    return std::nullopt;
}

// A string block: its count of characters (one byte in the ANSI form, or UTF-16 code units),
// a zero, then the characters.
void AppendAnsiBlock(std::vector<std::uint8_t>& bytes, const std::string& ansi) {
    bytes.push_back(static_cast<std::uint8_t>(ansi.size()));
    bytes.push_back(0);
    bytes.insert(bytes.end(), ansi.begin(), ansi.end());
}

void AppendUnicodeBlock(std::vector<std::uint8_t>& bytes, const std::string& utf8) {
    const std::u16string text = Utf16(utf8);
    bytes.push_back(static_cast<std::uint8_t>(text.size()));
    bytes.push_back(0);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFFu));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

} // namespace

Failed ValidateShortcut(const ShortcutRequest& request) {
    // The shell names its link after the target's file name, and an empty path would ask it
    // to clear the recent-documents list instead.
    if (FileNameOfPath(request.TargetPath).empty()) {
        return Unwritable("its target \"" + request.TargetPath + "\" has no file name");
    }
    if (auto error = CheckLength("working directory", request.WorkingDir)) {
        return error;
    }
    if (auto error = CheckLength("arguments", request.Arguments)) {
        return error;
    }
    if (HasIconLocation(request)) {
        if (auto error = CheckLength("icon location", IconLocation(request))) {
            return error;
        }
    }
    if (auto error = CheckByte("icon index", request.IconIndex)) {
        return error;
    }
    if (auto error = CheckByte("show command", request.ShowCommand)) {
        return error;
    }
    return std::nullopt;
}

Result<LinkPrefix> ParseLinkPrefix(std::span<const std::uint8_t> shellLink) {
    LinkPrefix result;
    const std::size_t size = shellLink.size();
    if (size < kHeaderSize || ReadU32(shellLink, 0) != kHeaderSize ||
        !std::equal(kLinkClsid.begin(), kLinkClsid.end(), shellLink.begin() + 4)) {
        return UnusableShellLink("it has no shell link header");
    }
    result.flags = ReadU32(shellLink, kFlagsOffset);
    if ((result.flags & (kHasLinkTargetIdList | kHasLinkInfo)) == 0) {
        return UnusableShellLink("it names no target");
    }
    std::size_t end = kHeaderSize;
    if ((result.flags & kHasLinkTargetIdList) != 0) {
        if (size - end < 2 || size - end - 2 < ReadU16(shellLink, end)) {
            return UnusableShellLink("its item-id list runs past the end of the file");
        }
        end += 2 + std::size_t{ReadU16(shellLink, end)};
    }
    if ((result.flags & kHasLinkInfo) != 0) {
        if (size - end < 4) {
            return UnusableShellLink("its link info runs past the end of the file");
        }
        const std::uint32_t infoSize = ReadU32(shellLink, end);
        if (infoSize < kMinLinkInfoSize) {
            return UnusableShellLink("its link info is too small");
        }
        if (size - end < infoSize) {
            return UnusableShellLink("its link info runs past the end of the file");
        }
        end += infoSize;
    }
    result.length = end;
    return result;
}

std::uint32_t ShortcutFlags(std::uint32_t shellFlags, const ShortcutRequest& request) {
    // The id list and link info bits follow what we copy, so the file never claims a
    // structure it does not hold.
    std::uint32_t flags = shellFlags & (kKeptShellFlags | kHasLinkTargetIdList | kHasLinkInfo);
    if (!request.WorkingDir.empty()) {
        flags |= kHasWorkingDir;
    }
    if (!request.Arguments.empty()) {
        flags |= kHasArguments;
    }
    if (HasIconLocation(request)) {
        flags |= kHasIconLocation;
    }
    return flags;
}

std::u16string Utf16(std::string_view utf8) {
    std::u16string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        bool valid = (lead < 0x80 || lead >= 0xC2) && lead < 0xF5 && at + length <= utf8.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + i]);
            valid = (next & 0xC0u) == 0x80u;
            code = code << 6 | (next & 0x3Fu);
        }
        valid = valid && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            text.push_back(u'\uFFFD');
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        at += length;
    }
    return text;
}

Result<std::vector<std::uint8_t>> BuildShortcut(std::span<const std::uint8_t> shellLink,
                                                const ShortcutRequest& request,
                                                const AnsiEncoder& toAnsi) {
    if (Failed invalid = ValidateShortcut(request)) {
        return std::move(*invalid);
    }
    const Result<LinkPrefix> parsed = ParseLinkPrefix(shellLink);
    if (!parsed.ok()) {
        return *parsed.failure();
    }
    const LinkPrefix& prefix = parsed.value();
    // The blocks in their order: working directory, arguments, icon location.
    std::vector<std::string> strings;
    for (const std::string* text : {&request.WorkingDir, &request.Arguments}) {
        if (!text->empty()) {
            strings.push_back(*text);
        }
    }
    if (HasIconLocation(request)) {
        strings.push_back(IconLocation(request));
    }
    // The ANSI form when every string converts to it and back unchanged and fits its one-byte
    // count; the Unicode form otherwise.
    std::vector<std::string> ansi;
    for (const std::string& text : strings) {
        const std::optional<std::string> converted = toAnsi(text);
        if (!converted || converted->size() > kMaxBlockChars) {
            ansi.clear();
            break;
        }
        ansi.push_back(*converted);
    }
    const bool unicode = ansi.size() != strings.size();

    std::vector<std::uint8_t> bytes(shellLink.begin(),
                                    shellLink.begin() + static_cast<std::ptrdiff_t>(prefix.length));
    WriteU32(bytes, kFlagsOffset,
             ShortcutFlags(prefix.flags, request) | (unicode ? kIsUnicode : 0u));
    // Whole fields, so stray high bytes in the shell's file cannot change our values.
    WriteU32(bytes, kIconIndexOffset, static_cast<std::uint32_t>(request.IconIndex));
    WriteU32(bytes, kShowCommandOffset, static_cast<std::uint32_t>(request.ShowCommand));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (unicode) {
            AppendUnicodeBlock(bytes, strings[i]);
        } else {
            AppendAnsiBlock(bytes, ansi[i]);
        }
    }
    bytes.insert(bytes.end(), 4, 0); // terminal block: no extra data
    return bytes;
}

std::string FileNameOfPath(const std::string& Path) {
    const auto slash = Path.rfind('\\');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

Result<std::optional<int>> FolderIdOf(const ShortcutFolder& Folder) {
    const std::optional<int> path;
    long long value = 0;
    std::string shown;
    if (const int* number = std::get_if<int>(&Folder)) {
        value = *number;
        shown = std::to_string(value);
    } else {
        const std::string& text = std::get<std::string>(Folder);
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string::npos) {
            return path;
        }
        const auto last = text.find_last_not_of(" \t");
        std::size_t at = first;
        bool negative = false;
        if (text[at] == '+' || text[at] == '-') {
            negative = text[at] == '-';
            ++at;
        }
        if (at > last) {
            return path;
        }
        for (std::size_t i = at; i <= last; ++i) {
            const char c = text[i];
            if (c < '0' || c > '9') {
                return path;
            }
            value = std::min(value * 10 + (c - '0'), 1LL << 32);
        }
        if (negative) {
            value = -value;
        }
        shown = text.substr(first, last - first + 1);
    }
    if (value < -32768 || value > 32767) {
        return Unwritable("the special folder number " + shown + " is out of range");
    }
    return std::optional<int>(static_cast<int>(value));
}

} // namespace snarvik::mCreateShortcut
