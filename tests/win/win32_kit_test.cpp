// The Win32 kit's scopes hold when what runs inside them throws.
#include <windows.h>

#include "base/win32.h"

#include <gtest/gtest.h>

namespace snarvik {
namespace {

LRESULT CALLBACK ThrowingPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_PAINT) {
        try {
            const win::PaintScope paint(window);
            throw 1; // as a paint step that runs out of memory
        } catch (int) {
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(PaintScope, APaintThatThrowsStillValidatesTheWindow) {
    WNDCLASSW paintClass{};
    paintClass.lpfnWndProc = &ThrowingPaint;
    paintClass.hInstance = GetModuleHandleW(nullptr);
    paintClass.lpszClassName = L"SnarvikTestThrowingPaint";
    RegisterClassW(&paintClass);
    const HWND window = CreateWindowExW(0, paintClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0,
                                        0, 50, 50, nullptr, nullptr, paintClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "it would get WM_PAINT forever";
    DestroyWindow(window);
}

} // namespace
} // namespace snarvik
