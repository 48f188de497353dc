#include <windows.h>

#include "tray/mSysTray.h"

#include "tray/cSysTray.h"

namespace snarvik::mSysTray {

WNDPROC mOldWndProc = nullptr;
cSysTray* mTrayPtr = nullptr;

namespace {
MainWindow* gMainWindow = nullptr;
} // namespace

void SetMainWindow(MainWindow* window) noexcept {
    gMainWindow = window;
}

LRESULT CALLBACK SysTrayWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    MainWindow* const main = gMainWindow;
    if (main != nullptr) {
        main->BeginDispatch();
    }
    const HookAction action = DecideHookAction(uMsg, wParam, lParam);
    try {
        switch (action.kind) {
        case HookActionKind::MainMenuClick:
            if (main != nullptr && (mTrayPtr == nullptr || mTrayPtr->HotkeyPressed())) {
                std::int16_t index = action.index;
                main->MenuClick(index);
            }
            break;
        case HookActionKind::RaiseMenuClick:
            if (mTrayPtr != nullptr) {
                mTrayPtr->RaiseMenuClick(action.index);
            }
            break;
        case HookActionKind::RaiseMouseEvent:
            if (mTrayPtr != nullptr) {
                mTrayPtr->RaiseMouseEvent(action.mouseMessage, action.id);
            }
            break;
        case HookActionKind::None:
            break;
        }
    } catch (...) {
        // Told; the message still reaches the window's own procedure.
        if (main != nullptr) {
            main->ReportFailure(std::current_exception());
        }
    }
    const LRESULT result = mOldWndProc != nullptr
                               ? CallWindowProcW(mOldWndProc, hWnd, uMsg, wParam, lParam)
                               : DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (main != nullptr) {
        main->EndDispatch();
    }
    return result;
}

} // namespace snarvik::mSysTray
