// The window procedure put in front of the main window's own while the tray icon is shown:
// it turns the hotkey, tray menu commands and tray callbacks into calls, and passes every
// message on unchanged.
#pragma once
#include <windows.h>

#include <cstdint>
#include <exception>

#include "tray/tray_logic.h"

namespace snarvik {
class cSysTray;
}

namespace snarvik::mSysTray {

// The main window as the hook sees it; registered once with SetMainWindow.
class MainWindow {
public:
    virtual void MenuClick(std::int16_t& Index) = 0;
    // Bracket the whole handling of every message the hook sees, so that an Exit chosen in a
    // nested modal loop can wait until the outermost dispatch has unwound. EndDispatch may
    // destroy the tray object; the hook does not touch it afterwards.
    virtual void BeginDispatch() noexcept = 0;
    virtual void EndDispatch() noexcept = 0;
    // Tells the user what a handler threw.
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~MainWindow() = default;
};

// One subclassed window and one tray object per process.
extern WNDPROC mOldWndProc;
extern cSysTray* mTrayPtr; // borrowed, never owned

void SetMainWindow(MainWindow* window) noexcept;

LRESULT CALLBACK SysTrayWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

} // namespace snarvik::mSysTray
