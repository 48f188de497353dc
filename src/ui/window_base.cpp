#include <windows.h>

#include "ui/window_base.h"

namespace snarvik {

LRESULT CALLBACK WindowBase::Procedure(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* created =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->m_hwnd = window;
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The object may outlive its window, or be gone before the window's last messages.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->ReportFailure(std::current_exception());
        return 0;
    }
}

HWND WindowBase::CreateBound(const Kind& kind, HINSTANCE instance, DWORD exStyle, DWORD style,
                             const wchar_t* title, const RECT& place, HWND parent) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = kind.classStyle;
    windowClass.lpfnWndProc = &WindowBase::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, kind.cursor);
    windowClass.lpszClassName = kind.className;
    RegisterClassExW(&windowClass); // a second window of the kind finds it registered
    return CreateWindowExW(exStyle, kind.className, title, style, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent, nullptr,
                           instance, this);
}

} // namespace snarvik
