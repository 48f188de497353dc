#include "tray/tray_logic.h"

#include <algorithm>

namespace snarvik {

namespace {

// Bits 16 to 31 of a message parameter, read as a signed 16-bit number.
std::int16_t HiWord(std::uint64_t value) noexcept {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFFu));
}

} // namespace

HookAction DecideHookAction(std::uint32_t message, std::uint64_t wParam,
                            std::int64_t lParam) noexcept {
    HookAction action;
    if (message == kHotkeyMessage) {
        // The hotkey's identifier is not examined: there is only one.
        action.kind = HookActionKind::MainMenuClick;
        action.index = kCutAnySize;
    } else if (message == kCommandMessage) {
        // High word 0 means a menu (1 would be an accelerator).
        if (HiWord(wParam) == 0 && (wParam & kTrayMenuBit) != 0) {
            action.kind = HookActionKind::RaiseMenuClick;
            action.index = static_cast<std::int16_t>(wParam & kTrayMenuIndexMask);
        }
    } else if (message == kTrayCallbackMessage) {
        action.kind = HookActionKind::RaiseMouseEvent;
        action.mouseMessage = static_cast<std::uint32_t>(lParam);
        action.id = static_cast<std::uint32_t>(wParam);
    }
    return action;
}

TrayMouseAction MapTrayMouseMessage(std::uint32_t message) noexcept {
    switch (message) {
    case 0x200:
        return {TrayMouseEvent::MouseMove, 0};
    case 0x201:
        return {TrayMouseEvent::MouseDown, 1};
    case 0x204:
        return {TrayMouseEvent::MouseDown, 2};
    case 0x202:
        return {TrayMouseEvent::MouseUp, 1};
    case 0x205:
        return {TrayMouseEvent::MouseUp, 2};
    case 0x203:
        return {TrayMouseEvent::MouseDblClick, 1};
    case 0x206:
        return {TrayMouseEvent::MouseDblClick, 2};
    case kBalloonUserClick:
        return {TrayMouseEvent::BalloonClick, 0};
    default:
        return {};
    }
}

TrayCommand TrayCommandFor(std::int16_t index) noexcept {
    switch (index) {
    case kVisitHomePage:
        return {TrayCommandKind::OpenHomePage, 0};
    case kOpenHelp:
        return {TrayCommandKind::OpenHelp, 0};
    case kCutAnySize:
        return {TrayCommandKind::StartCut, 0};
    case kCut64:
        return {TrayCommandKind::StartCut, 64};
    case kCut32:
        return {TrayCommandKind::StartCut, 32};
    case kCut16:
        return {TrayCommandKind::StartCut, 16};
    case kCutLastRegion:
        return {TrayCommandKind::StartCut, 0, true};
    case kCutDelay3:
        return {TrayCommandKind::StartDelayedCut, 0, false, 3};
    case kCutDelay5:
        return {TrayCommandKind::StartDelayedCut, 0, false, 5};
    case kCutDelay10:
        return {TrayCommandKind::StartDelayedCut, 0, false, 10};
    case kCancelDelayedCut:
        return {TrayCommandKind::CancelDelayedCut, 0};
    case kExitProgram:
        return {TrayCommandKind::Exit, 0};
    default:
        return {};
    }
}

} // namespace snarvik
