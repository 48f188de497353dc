// The byte layout of the shortcuts we write: the shell's own shortcut to the target supplies the
// header, the item-id list and the link info; we add our flags, icon index, show command and
// string blocks, in the ANSI code page when every string allows it, else in UTF-16. Portable:
// no Windows headers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/failure.h"

namespace snarvik::mCreateShortcut {

// What the caller asks for; texts are UTF-8.
struct ShortcutRequest {
    std::string TargetPath;
    std::string Arguments;
    std::string WorkingDir;
    int IconIndex = 0;
    std::string IconFile;
    int ShowCommand = 0;
};

// Longest text a string block can hold: its count is written as one byte then a zero.
inline constexpr std::size_t kMaxBlockChars = 255;

// Offsets and sizes of the shell link header.
inline constexpr std::size_t kHeaderSize = 0x4C;
inline constexpr std::size_t kFlagsOffset = 20;
inline constexpr std::size_t kIconIndexOffset = 56;
inline constexpr std::size_t kShowCommandOffset = 60;

// Low flag bits of the link header.
inline constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
inline constexpr std::uint32_t kHasLinkInfo = 0x02;
inline constexpr std::uint32_t kHasWorkingDir = 0x10;
inline constexpr std::uint32_t kHasArguments = 0x20;
inline constexpr std::uint32_t kHasIconLocation = 0x40;
inline constexpr std::uint32_t kIsUnicode = 0x80;

// Flag bits of the shell's link kept in ours: they concern the id list and the link info we
// copy, or forbid tracking. Everything else describes strings or extra data we do not copy
// (HasExpString, HasDarwinID, HasExpIcon, RunWithShimLayer, EnableTargetMetadata,
// PreferEnvironmentPath, IsUnicode...), contradicts what we write (ForceNoLinkInfo), or
// changes how the target runs (RunInSeparateProcess, RunAsUser).
inline constexpr std::uint32_t kKeptShellFlags = 0x00008000    // NoPidlAlias
                                                 | 0x00040000  // ForceNoLinkTrack
                                                 | 0x00100000  // DisableLinkPathTracking
                                                 | 0x00200000  // DisableKnownFolderTracking
                                                 | 0x00400000  // DisableKnownFolderAlias
                                                 | 0x00800000  // AllowLinkToLink
                                                 | 0x01000000  // UnaliasOnSave
                                                 | 0x04000000; // KeepLocalIDListForUNCTarget

// Why the caller's values cannot be written, or nothing when they can.
Failed ValidateShortcut(const ShortcutRequest& request);

// Where the part of the shell's link that we copy ends (header, id list, link info), or why
// the bytes are not a shell link we can use.
struct LinkPrefix {
    std::size_t length = 0;
    std::uint32_t flags = 0; // LinkFlags of the shell's file
};
Result<LinkPrefix> ParseLinkPrefix(std::span<const std::uint8_t> shellLink);

// The 32-bit link flags of our shortcut, from the shell's flags and the caller's values.
std::uint32_t ShortcutFlags(std::uint32_t shellFlags, const ShortcutRequest& request);

// A UTF-8 text in the ANSI code page, or nothing when it does not convert there and back
// unchanged.
using AnsiEncoder = std::function<std::optional<std::string>(const std::string& utf8)>;
// Our shortcut file, or why it cannot be built (invalid values, unusable shell link).
Result<std::vector<std::uint8_t>> BuildShortcut(std::span<const std::uint8_t> shellLink,
                                                const ShortcutRequest& request,
                                                const AnsiEncoder& toAnsi);

// UTF-8 to UTF-16; what is not UTF-8 becomes U+FFFD.
std::u16string Utf16(std::string_view utf8);

// The text after the last '\' of path; all of it without a '\'; empty when it ends with one.
std::string FileNameOfPath(const std::string& Path);

// A destination folder: a special-folder id, or a path. Text that reads as a whole number
// ("7", " 7 ") is an id too.
using ShortcutFolder = std::variant<int, std::string>;

// The special-folder id a folder argument stands for, or no id when it is a path. Numbers
// outside the 16-bit range are a failure.
Result<std::optional<int>> FolderIdOf(const ShortcutFolder& Folder);

} // namespace snarvik::mCreateShortcut
