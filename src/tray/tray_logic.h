// The tray's decisions that need no Windows: what the window hook does with a message, how a tray
// callback becomes a mouse event, the tray menu and its commands.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace snarvik {

// The tray icon's callback message (WM_USER + 101).
inline constexpr std::uint32_t kTrayCallbackMessage = 0x465;
inline constexpr std::uint32_t kHotkeyMessage = 0x312;  // WM_HOTKEY
inline constexpr std::uint32_t kCommandMessage = 0x111; // WM_COMMAND

// Bits 16 to 31 of a message parameter, read as a signed 16-bit number.
std::int16_t HiWord(std::uint64_t value) noexcept;

// What the window hook does with a message before passing it on.
enum class HookActionKind {
    None,
    MainMenuClick,   // the hotkey: the main window's MenuClick(index)
    RaiseMenuClick,  // a tray menu command: the tray object's MenuClick event
    RaiseMouseEvent, // a tray callback: the tray object's mouse event
};
struct HookAction {
    HookActionKind kind = HookActionKind::None;
    std::int16_t index = 0;         // MainMenuClick, RaiseMenuClick
    std::uint32_t mouseMessage = 0; // RaiseMouseEvent: lParam
    std::uint32_t id = 0;           // RaiseMouseEvent: wParam, the icon identifier
    bool operator==(const HookAction&) const = default;
};
HookAction DecideHookAction(std::uint32_t message, std::uint64_t wParam,
                            std::int64_t lParam) noexcept;

// Which event a tray callback's mouse message raises, and with which button.
enum class TrayMouseEvent { None, MouseMove, MouseDown, MouseUp, MouseDblClick };
struct TrayMouseAction {
    TrayMouseEvent event = TrayMouseEvent::None;
    std::int16_t button = 0; // 1 left, 2 right; 0 for MouseMove and None
    bool operator==(const TrayMouseAction&) const = default;
};
TrayMouseAction MapTrayMouseMessage(std::uint32_t message) noexcept;

// The tray menu, top to bottom; an entry's position is its index here.
inline constexpr std::uint32_t kMenuString = 0x0;      // MF_STRING
inline constexpr std::uint32_t kMenuSeparator = 0x800; // MF_SEPARATOR
struct TrayMenuEntry {
    std::uint32_t flags;
    std::uint32_t id;
    std::string_view text;
};
inline constexpr std::array<TrayMenuEntry, 8> kTrayMenu{{
    {kMenuString, 0x2000, "&Visit Orlenda Software!"},
    {kMenuString, 0x2001, "&Help"},
    {kMenuString, 0x2002, "Cut - &Any Size"},
    {kMenuString, 0x2003, "Cut - &64x64 Limit"},
    {kMenuString, 0x2004, "Cut - &32x32 Limit"},
    {kMenuString, 0x2005, "Cut - &16x16 Limit"},
    {kMenuSeparator, 0x2000, ""},
    {kMenuString, 0x2006, "&Exit"},
}};
// "Cut - &Any Size", taken as a position.
inline constexpr unsigned kTrayMenuDefaultPosition = 2;

// The tray commands that MenuClick(Index) runs; any other Index runs only the closing step.
enum class TrayCommandKind { None, OpenHomePage, OpenHelp, StartCut, Exit };
struct TrayCommand {
    TrayCommandKind kind = TrayCommandKind::None;
    std::int32_t cutLimit = 0; // StartCut: 0 any size, else the square's side in pixels
    bool operator==(const TrayCommand&) const = default;
};
TrayCommand TrayCommandFor(std::int16_t index) noexcept;

} // namespace snarvik
