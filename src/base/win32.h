// Small Win32 helpers shared by the Windows side: owning handles, paint and selection scopes,
// error texts, paths.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace snarvik::win {

// Move-only owner of one handle; Traits says what "none" is and how to release it.
template <typename Traits> class Unique {
public:
    using pointer = typename Traits::pointer;

    Unique() noexcept = default;
    explicit Unique(pointer handle) noexcept : m_handle(handle) {}
    ~Unique() { reset(); }
    Unique(Unique&& other) noexcept : m_handle(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    pointer get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::none(); }
    // For an API that hands a new handle back through a pointer: what was held is released.
    pointer* put() noexcept {
        reset();
        return &m_handle;
    }
    // Hands the handle over, e.g. to an API that takes ownership.
    [[nodiscard]] pointer release() noexcept { return std::exchange(m_handle, Traits::none()); }
    void reset(pointer handle = Traits::none()) noexcept {
        pointer old = std::exchange(m_handle, handle);
        if (old != Traits::none()) {
            Traits::close(old);
        }
    }

private:
    pointer m_handle = Traits::none();
};

template <typename H, auto Close> struct NullIsNone {
    using pointer = H;
    static pointer none() noexcept { return nullptr; }
    static void close(pointer handle) noexcept { Close(handle); }
};

struct FileTraits {
    using pointer = HANDLE;
    static pointer none() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { CloseHandle(handle); }
};
struct FindTraits {
    using pointer = HANDLE;
    static pointer none() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { FindClose(handle); }
};

// A function of a system library loaded the first time it is wanted: what only some commands
// use (the dialog library and COM) stays out of the
// program idling in the tray. Null if it cannot be had.
template <typename Function> Function* LoadOnce(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr) {
        module = LoadLibraryW(library); // kept for the life of the process
    }
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
#define SNARVIK_LATER(library, function)                                                           \
    (::snarvik::win::LoadOnce<decltype(function)>(library, #function))

inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    DeleteObject(object);
}

using UniqueBitmap = Unique<NullIsNone<HBITMAP, &DeleteGdiObject>>;
using UniqueGdiObject = Unique<NullIsNone<HGDIOBJ, &DeleteGdiObject>>;
using UniqueDC = Unique<NullIsNone<HDC, &DeleteDC>>; // CreateDC / CreateCompatibleDC
using UniqueIcon = Unique<NullIsNone<HICON, &DestroyIcon>>;
using UniqueMenu = Unique<NullIsNone<HMENU, &DestroyMenu>>;
using UniqueKey = Unique<NullIsNone<HKEY, &RegCloseKey>>;
using UniqueHandle = Unique<NullIsNone<HANDLE, &CloseHandle>>; // handles whose "none" is null
using UniqueFile = Unique<FileTraits>;                         // CreateFile handles
using UniqueFind = Unique<FindTraits>;                         // FindFirstFile searches
using UniqueHook = Unique<NullIsNone<HHOOK, &UnhookWindowsHookEx>>;
using UniqueWindow = Unique<NullIsNone<HWND, &DestroyWindow>>;

// A DC from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDC() {
        if (m_dc != nullptr) {
            ReleaseDC(m_window, m_dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint and EndPaint as one scope: whatever a paint throws, the window is validated and
// its DC given back.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept
        : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return m_dc; }
    const RECT& area() const noexcept { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// SelectObject undone at scope end; declare it after the object it selects.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~Selection() {
        if (m_old != nullptr && m_old != HGDI_ERROR) {
            SelectObject(m_dc, m_old);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// The clipboard, open for the life of this object.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) noexcept : m_open(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (m_open) {
            CloseClipboard();
        }
    }
    OpenedClipboard(OpenedClipboard&& other) noexcept
        : m_open(std::exchange(other.m_open, false)) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool is_open() const noexcept { return m_open; }

private:
    bool m_open;
};

// Header of a 32-bit top-down DIB, the one pixel layout of ours (see capture/image.h).
BITMAPINFO TopDown32(int width, int height);

// Our strings are UTF-8; the system's are UTF-16. Invalid input becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The path as the file functions take it at any length: a long absolute one gets "\\?\".
std::wstring FilePath(const std::string& path);

// The system's text for an error code, without the trailing line break.
std::string SystemMessage(DWORD code);

// The scaling of a monitor (96 is 100 %), as its own windows' text has it.
int MonitorDpi(HMONITOR monitor);

// Folder of the running executable, without a trailing separator.
std::string ModuleFolder();

} // namespace snarvik::win
