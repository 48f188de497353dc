#include "tray/tray_logic.h"

#include <algorithm>

namespace snarvik {

std::int16_t HiWord(std::uint64_t value) noexcept {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFFu));
}

HookAction DecideHookAction(std::uint32_t message, std::uint64_t wParam,
                            std::int64_t lParam) noexcept {
    HookAction action;
    if (message == kHotkeyMessage) {
        // The hotkey's identifier is not examined: there is only one.
        action.kind = HookActionKind::MainMenuClick;
        action.index = 2;
    } else if (message == kCommandMessage) {
        // High word 0 means a menu (1 would be an accelerator); 0x2000 marks the tray menu.
        if (HiWord(wParam) == 0 && (wParam & 0x2000u) != 0) {
            action.kind = HookActionKind::RaiseMenuClick;
            action.index = static_cast<std::int16_t>(wParam & 7u);
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
    default:
        return {};
    }
}

TrayCommand TrayCommandFor(std::int16_t index) noexcept {
    switch (index) {
    case 0:
        return {TrayCommandKind::OpenHomePage, 0};
    case 1:
        return {TrayCommandKind::OpenHelp, 0};
    case 2:
        return {TrayCommandKind::StartCut, 0};
    case 3:
        return {TrayCommandKind::StartCut, 64};
    case 4:
        return {TrayCommandKind::StartCut, 32};
    case 5:
        return {TrayCommandKind::StartCut, 16};
    case 6:
        return {TrayCommandKind::Exit, 0};
    default:
        return {};
    }
}

} // namespace snarvik
