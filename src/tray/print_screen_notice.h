// Who likely holds Print Screen when the hotkey cannot be had, and what the tray balloon tells
// the user about it. The Windows side reads the facts; the choice is made here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace snarvik {

// Windows 11 begins with this build; from 2023 on its screen capture takes Print Screen unless
// the user has turned that off, so there a missing setting counts as on.
inline constexpr std::uint32_t kFirstWindows11Build = 22000;

// What the system says about Print Screen at one moment.
struct PrintScreenFacts {
    bool registered = false; // our hotkey is registered
    // "PrintScreenKeyForSnippingEnabled" of the user's keyboard settings; none when absent.
    std::optional<std::uint32_t> systemCapture;
    std::uint32_t windowsBuild = 0;
    bool oneDriveSavesScreenshots = false; // one of its "*_screenshot.dat" says so
};

enum class PrintScreenNotice {
    None,
    SystemCapture,    // refused while the system's screen capture is on
    SystemCaptureMay, // registered, but the system's screen capture is on too
    OneDrive,         // refused while OneDrive saves screenshots
    OtherProgram,     // refused, holder unknown
    AfterSignIn,      // the setting is off now and the key is still refused
    AfterSignInMay,   // the setting is off now; the key was ours all along
};

// Whether the system's own screen capture takes Print Screen.
bool SystemCaptureOn(std::optional<std::uint32_t> value, std::uint32_t windowsBuild) noexcept;

// The one balloon of a start.
PrintScreenNotice NoticeAtStart(const PrintScreenFacts& facts) noexcept;

// The balloon after the user let us turn the system's setting off and the key was tried again.
PrintScreenNotice NoticeAfterSettingOff(bool registeredBefore, bool registeredNow) noexcept;

// A click on these balloons turns the system's screen capture setting off.
bool ClickTurnsSystemCaptureOff(PrintScreenNotice notice) noexcept;

std::string_view NoticeText(PrintScreenNotice notice) noexcept;

// OneDrive's per-account "*_screenshot.dat": it saves screenshots (and holds Print Screen) when
// its second line is "2". The bytes as read, in a single-byte encoding or UTF-16.
bool OneDriveSavesScreenshots(std::string_view file);

} // namespace snarvik
