#include "tray/print_screen_notice.h"

#include <string>

namespace snarvik {

bool SystemCaptureOn(std::optional<std::uint32_t> value, std::uint32_t windowsBuild) noexcept {
    return value ? *value != 0 : windowsBuild >= kFirstWindows11Build;
}

PrintScreenNotice NoticeAtStart(const PrintScreenFacts& facts) noexcept {
    const bool systemCapture = SystemCaptureOn(facts.systemCapture, facts.windowsBuild);
    if (facts.registered) {
        // Whether the system then still takes the key first is documented nowhere.
        return systemCapture ? PrintScreenNotice::SystemCaptureMay : PrintScreenNotice::None;
    }
    if (systemCapture) {
        return PrintScreenNotice::SystemCapture;
    }
    return facts.oneDriveSavesScreenshots ? PrintScreenNotice::OneDrive
                                          : PrintScreenNotice::OtherProgram;
}

PrintScreenNotice NoticeAfterSettingOff(bool registeredBefore, bool registeredNow) noexcept {
    if (registeredBefore) {
        return PrintScreenNotice::AfterSignInMay;
    }
    return registeredNow ? PrintScreenNotice::None : PrintScreenNotice::AfterSignIn;
}

bool ClickTurnsSystemCaptureOff(PrintScreenNotice notice) noexcept {
    return notice == PrintScreenNotice::SystemCapture ||
           notice == PrintScreenNotice::SystemCaptureMay;
}

std::string_view NoticeText(PrintScreenNotice notice) noexcept {
    switch (notice) {
    case PrintScreenNotice::SystemCapture:
        return "Windows uses Print Screen to open its own screen capture. Click here to let "
               "Snarvik have it.";
    case PrintScreenNotice::SystemCaptureMay:
        return "Windows may use Print Screen to open its own screen capture, and then the key "
               "never reaches Snarvik. Click here to let Snarvik have it.";
    case PrintScreenNotice::OneDrive:
        return "OneDrive uses Print Screen to save screenshots. To let Snarvik have it, turn "
               "that off in OneDrive's settings: \"Backup\" \u2192 \"Screenshots\". Until then, "
               "double-click the scissors or use their menu to cut.";
    case PrintScreenNotice::OtherProgram:
        return "Another program uses Print Screen. Double-click the scissors or use their menu "
               "to cut.";
    case PrintScreenNotice::AfterSignIn:
        return "Windows lets go of Print Screen at your next sign-in; from then on it is "
               "Snarvik's. Until then, double-click the scissors or use their menu to cut.";
    case PrintScreenNotice::AfterSignInMay:
        return "Done. If Print Screen still opens the screen capture of Windows, it is "
               "Snarvik's from your next sign-in on.";
    case PrintScreenNotice::None:
        break;
    }
    return {};
}

bool OneDriveSavesScreenshots(std::string_view file) {
    // UTF-16 text read as bytes is ASCII with NULs between: drop them, and any byte-order mark.
    std::string text;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (c != '\0' && byte != 0xEF && byte != 0xBB && byte != 0xBF && byte != 0xFF &&
            byte != 0xFE) {
            text += c;
        }
    }
    const std::size_t first = text.find('\n');
    if (first == std::string::npos) {
        return false;
    }
    std::string_view second(text);
    second.remove_prefix(first + 1);
    second = second.substr(0, second.find('\n'));
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r';
    };
    while (!second.empty() && blank(second.front())) {
        second.remove_prefix(1);
    }
    while (!second.empty() && blank(second.back())) {
        second.remove_suffix(1);
    }
    return second == "2";
}

} // namespace snarvik
