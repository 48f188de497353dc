// What every window of ours shares: its object bound to it from its first message to its last,
// and handlers whose failures are told to the user, never passed to the system.
#pragma once
#include <windows.h>

#include <exception>

namespace snarvik {

class WindowBase {
public:
    HWND hWnd() const noexcept { return m_hwnd; }

protected:
    WindowBase() = default;
    ~WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The window procedure of every class of ours. CreateWindowExW's last argument is the
    // object, as a WindowBase*: bound at WM_NCCREATE, unbound at WM_NCDESTROY.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept;
    // What a window of ours is made of.
    struct Kind {
        const wchar_t* className;
        const wchar_t* cursor = IDC_ARROW;
        UINT classStyle = 0;
    };
    // A window of that kind bound to this object (its class registered by the first one);
    // null when the system refuses it.
    HWND CreateBound(const Kind& kind, HINSTANCE instance, DWORD exStyle, DWORD style,
                     const wchar_t* title, const RECT& place, HWND parent);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Tells the user what a handler threw.
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

private:
    HWND m_hwnd = nullptr;
};

} // namespace snarvik
