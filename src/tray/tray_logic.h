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
inline constexpr std::uint32_t kHotkeyMessage = 0x312;    // WM_HOTKEY
inline constexpr std::uint32_t kCommandMessage = 0x111;   // WM_COMMAND
inline constexpr std::uint32_t kBalloonUserClick = 0x405; // NIN_BALLOONUSERCLICK, in lParam

// The tray commands by their index, MenuClick's Index. The first seven keep the numbers they
// always had (Print Screen runs 2, a close from outside 6); later items take the next free ones,
// wherever they sit in the menu.
enum TrayCommandIndex : std::int16_t {
    kVisitHomePage = 0,
    kOpenHelp = 1,
    kCutAnySize = 2, // also what Print Screen runs
    kCut64 = 3,
    kCut32 = 4,
    kCut16 = 5,
    kExitProgram = 6,
    kCutLastRegion = 7,
    kCutDelay3 = 8,
    kCutDelay5 = 9,
    kCutDelay10 = 10,
    kCancelDelayedCut = 11,
};
// An index that is no command: MenuClick then runs only its closing step.
inline constexpr std::int16_t kClosingStepOnly = 99;

// A tray menu item's id is this bit and its command's index.
inline constexpr std::uint32_t kTrayMenuBit = 0x2000;
inline constexpr std::uint32_t kTrayMenuIndexMask = 0xF;

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
// NIN_BALLOONUSERCLICK comes the same way: BalloonClick.
enum class TrayMouseEvent { None, MouseMove, MouseDown, MouseUp, MouseDblClick, BalloonClick };
struct TrayMouseAction {
    TrayMouseEvent event = TrayMouseEvent::None;
    std::int16_t button = 0; // 1 left, 2 right; 0 for MouseMove and None
    bool operator==(const TrayMouseAction&) const = default;
};
TrayMouseAction MapTrayMouseMessage(std::uint32_t message) noexcept;

// Waits before the next try of an icon the shell refused (it may not be ready at logon):
// growing, and bounded; after the last the shell's TaskbarCreated still brings it.
inline constexpr std::array<std::uint32_t, 5> kIconRetryDelaysMs{500, 1000, 2000, 4000, 8000};

// The tray menu, top to bottom. A popup entry opens the submenu of the entries after it that
// are marked kInSubmenu.
inline constexpr std::uint32_t kMenuString = 0x0;      // MF_STRING
inline constexpr std::uint32_t kMenuSeparator = 0x800; // MF_SEPARATOR
inline constexpr std::uint32_t kMenuPopup = 0x10;      // MF_POPUP
inline constexpr std::uint32_t kInSubmenu = 0x10000;   // ours: an item of the popup above
struct TrayMenuEntry {
    std::uint32_t flags;
    std::uint32_t id;
    std::string_view text;
};
// While a delayed cut counts, its entry (the popup and its items) gives way to this one.
inline constexpr TrayMenuEntry kCancelDelayedCutEntry{kMenuString, kTrayMenuBit | kCancelDelayedCut,
                                                      "&Cancel Delayed Cut"};
inline constexpr std::array<TrayMenuEntry, 13> kTrayMenu{{
    {kMenuString, kTrayMenuBit | kVisitHomePage, "&Visit Orlenda Software!"},
    {kMenuString, kTrayMenuBit | kOpenHelp, "&Help"},
    {kMenuString, kTrayMenuBit | kCutAnySize, "Cut - &Any Size"},
    {kMenuString, kTrayMenuBit | kCut64, "Cut - &64x64 Limit"},
    {kMenuString, kTrayMenuBit | kCut32, "Cut - &32x32 Limit"},
    {kMenuString, kTrayMenuBit | kCut16, "Cut - &16x16 Limit"},
    {kMenuString, kTrayMenuBit | kCutLastRegion, "Cut - &Last Region"},
    {kMenuPopup, 0, "Cut - After a &Delay"},
    {kMenuString | kInSubmenu, kTrayMenuBit | kCutDelay3, "&3 Seconds"},
    {kMenuString | kInSubmenu, kTrayMenuBit | kCutDelay5, "&5 Seconds"},
    {kMenuString | kInSubmenu, kTrayMenuBit | kCutDelay10, "1&0 Seconds"},
    {kMenuSeparator, kTrayMenuBit, ""},
    {kMenuString, kTrayMenuBit | kExitProgram, "&Exit"},
}};
// "Cut - &Any Size", taken as a position.
inline constexpr unsigned kTrayMenuDefaultPosition = 2;

// The tray commands that MenuClick(Index) runs; any other Index runs only the closing step.
enum class TrayCommandKind {
    None,
    OpenHomePage,
    OpenHelp,
    StartCut,
    StartDelayedCut,
    CancelDelayedCut,
    Exit
};
struct TrayCommand {
    TrayCommandKind kind = TrayCommandKind::None;
    std::int32_t cutLimit = 0; // StartCut: 0 any size, else the square's side in pixels
    bool lastRegion = false;   // StartCut: the last selection taken again, when it still fits
    std::int32_t seconds = 0;  // StartDelayedCut
    bool operator==(const TrayCommand&) const = default;
};
TrayCommand TrayCommandFor(std::int16_t index) noexcept;

} // namespace snarvik
