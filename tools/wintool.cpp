// wintool: lets the end-to-end tests look inside Windows (windows, clipboard, dialogs, menus,
// hotkey) from the command line. Prints tab-separated key=value lines; exits 1 when the thing
// asked for is not there, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/atomic_file.h"
#include "base/com.h"
#include "base/win32.h"
#include "output/bmp.h"
#include "support/pattern.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kNotFound = 1;
constexpr int kUsage = 2;
constexpr DWORD kFindWaitMs = 5000;

unsigned long long Number(const char* text) {
    return std::strtoull(text, nullptr, 0);
}

HWND WindowArg(const char* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(Number(text)));
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return snarvik::win::Utf8(name);
}

// Asks the window itself (WM_GETTEXT), so controls of other processes answer with their text;
// bounded, so a hung window cannot hang the tool.
std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) == 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                        reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 2000, &copied);
    return snarvik::win::Utf8(buffer.data());
}

// Keeps every printed value on its one line.
std::string Clean(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

void PrintWindow(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t wideTitle[512] = {};
    GetWindowTextW(window, wideTitle, 512);
    const std::string title = snarvik::win::Utf8(wideTitle);
    std::printf("hwnd=0x%llx\tpid=%lu\tvisible=%d\tstyle=0x%08lx\texstyle=0x%08lx\t"
                "rect=%ld,%ld,%ld,%ld\tclient=%ld,%ld,%ld,%ld\tid=%d\tparent=0x%llx\t"
                "class=%s\ttitle=%s\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)),
                static_cast<unsigned long>(pid), IsWindowVisible(window) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE)), rect.left,
                rect.top, rect.right, rect.bottom, origin.x, origin.y, client.right, client.bottom,
                GetDlgCtrlID(window),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetParent(window))),
                Clean(ClassOf(window)).c_str(), Clean(title).c_str());
}

// Collects the windows it is called for; nothing it does may throw through the system.
BOOL CALLBACK Collect(HWND window, LPARAM list) noexcept {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> found;
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool SameText(const std::string& a, const char* b) {
    return lstrcmpiW(snarvik::win::Wide(a).c_str(), snarvik::win::Wide(b).c_str()) == 0;
}

std::vector<HWND> FindTop(const char* className, const char* title, bool visibleOnly) {
    std::vector<HWND> found;
    for (HWND window : TopWindows()) {
        if (!SameText(ClassOf(window), className)) {
            continue;
        }
        if (visibleOnly && !IsWindowVisible(window)) {
            continue;
        }
        if (title != nullptr) {
            wchar_t text[512] = {};
            GetWindowTextW(window, text, 512);
            if (snarvik::win::Utf8(text) != title) {
                continue;
            }
        }
        found.push_back(window);
    }
    return found;
}

// Dialogs appear a moment after the action that opens them: wait a little for them.
HWND WaitDialog(const char* title) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindTop("#32770", title, true);
        if (!found.empty()) {
            return found.front();
        }
        if (GetTickCount() - start > kFindWaitMs) {
            std::fprintf(stderr, "no dialog titled \"%s\"\n", title);
            return nullptr;
        }
        Sleep(50);
    }
}

// The file-name field of a save dialog: control 0x47c (ComboBoxEx32 -> ComboBox -> Edit), or
// the dialog's first Edit.
HWND FileNameEdit(HWND dialog) {
    HWND field = GetDlgItem(dialog, 0x47c);
    if (field != nullptr) {
        if (SameText(ClassOf(field), "Edit")) {
            return field;
        }
        for (HWND child : ChildWindows(field)) {
            if (SameText(ClassOf(child), "Edit")) {
                return child;
            }
        }
    }
    for (HWND child : ChildWindows(dialog)) {
        if (SameText(ClassOf(child), "Edit")) {
            return child;
        }
    }
    return nullptr;
}

int CmdFind(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    std::vector<HWND> found = FindTop(argv[0], argc > 1 ? argv[1] : nullptr, false);
    for (HWND window : found) {
        PrintWindow(window);
    }
    return found.empty() ? kNotFound : 0;
}

int CmdChildren(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    HWND parent = WindowArg(argv[0]);
    if (!IsWindow(parent)) {
        std::fprintf(stderr, "no window %s\n", argv[0]);
        return kNotFound;
    }
    for (HWND child : ChildWindows(parent)) {
        PrintWindow(child);
    }
    return 0;
}

int CmdWindows() {
    for (HWND window : TopWindows()) {
        PrintWindow(window);
    }
    return 0;
}

// The window that keys go to.
int CmdForeground() {
    HWND window = GetForegroundWindow();
    if (window == nullptr) {
        return kNotFound;
    }
    PrintWindow(window);
    return 0;
}

// The clipboard, open for the life of the answer; it may be busy for a moment with another
// process's work.
std::optional<snarvik::win::OpenedClipboard> OpenClipboardPatiently(HWND owner) {
    std::optional<snarvik::win::OpenedClipboard> clipboard;
    for (int attempt = 0; attempt < 40; ++attempt) {
        clipboard.emplace(owner);
        if (clipboard->is_open()) {
            return clipboard;
        }
        clipboard.reset();
        Sleep(50);
    }
    std::fprintf(stderr, "cannot open the clipboard: error %lu\n", GetLastError());
    return clipboard;
}

int CmdClipboardBmp(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    snarvik::Image image;
    BITMAP header = {};
    int lines = 0;
    {
        const auto clipboard = OpenClipboardPatiently(nullptr);
        if (!clipboard) {
            return kNotFound;
        }
        HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)); // the clipboard's
        if (bitmap == nullptr || GetObjectA(bitmap, sizeof header, &header) == 0) {
            std::fprintf(stderr, "no bitmap on the clipboard\n");
            return kNotFound;
        }
        image = snarvik::Image(header.bmWidth, header.bmHeight);
        BITMAPINFO info = snarvik::win::TopDown32(image.width(), image.height());
        const snarvik::win::WindowDC screen(nullptr);
        lines = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.height()), image.row(0),
                          &info, DIB_RGB_COLORS);
    }
    if (lines != header.bmHeight) {
        std::fprintf(stderr, "GetDIBits read %d of %ld lines\n", lines, header.bmHeight);
        return kNotFound;
    }
    if (const auto failed = snarvik::win::WriteFileAtomically(argv[0], snarvik::EncodeBmp(image))) {
        std::fprintf(stderr, "%s\n", failed->Message().c_str());
        return kNotFound;
    }
    std::printf("width=%ld\theight=%ld\tbits=%u\n", header.bmWidth, header.bmHeight,
                static_cast<unsigned>(header.bmBitsPixel));
    return 0;
}

std::string FormatName(UINT format) {
    static const struct {
        UINT id;
        const char* name;
    } known[] = {{CF_TEXT, "CF_TEXT"},
                 {CF_BITMAP, "CF_BITMAP"},
                 {CF_METAFILEPICT, "CF_METAFILEPICT"},
                 {CF_OEMTEXT, "CF_OEMTEXT"},
                 {CF_DIB, "CF_DIB"},
                 {CF_PALETTE, "CF_PALETTE"},
                 {CF_UNICODETEXT, "CF_UNICODETEXT"},
                 {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
                 {CF_LOCALE, "CF_LOCALE"},
                 {CF_DIBV5, "CF_DIBV5"}};
    for (const auto& entry : known) {
        if (entry.id == format) {
            return entry.name;
        }
    }
    char name[256] = {};
    if (GetClipboardFormatNameA(format, name, sizeof name) > 0) {
        return name;
    }
    return "?";
}

int CmdClipboardFormats() {
    const auto clipboard = OpenClipboardPatiently(nullptr);
    if (!clipboard) {
        return kNotFound;
    }
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        std::printf("format=%u\tname=%s\n", format, Clean(FormatName(format)).c_str());
    }
    return 0;
}

// The bytes of one clipboard format (a number, or a registered name such as PNG) into FILE.
int CmdClipboardData(int argc, char** argv) {
    if (argc < 2) {
        return kUsage;
    }
    const std::string name = argv[0];
    const UINT format = std::isdigit(static_cast<unsigned char>(name[0])) != 0
                            ? static_cast<UINT>(Number(argv[0]))
                            : RegisterClipboardFormatW(snarvik::win::Wide(name).c_str());
    const auto clipboard = OpenClipboardPatiently(nullptr);
    HANDLE data = clipboard ? GetClipboardData(format) : nullptr;
    const void* bytes = data != nullptr ? GlobalLock(data) : nullptr;
    if (bytes == nullptr) {
        std::fprintf(stderr, "no %s on the clipboard\n", name.c_str());
        return kNotFound;
    }
    const auto size = static_cast<std::streamsize>(GlobalSize(data));
    std::ofstream(snarvik::win::Wide(argv[1]).c_str(), std::ios::binary)
        .write(static_cast<const char*>(bytes), size);
    GlobalUnlock(data);
    std::printf("bytes=%lld\n", static_cast<long long>(size));
    return 0;
}

int CmdClipboardHold(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    const snarvik::win::UniqueWindow owner(CreateWindowExA(0, "STATIC", "wintool", 0, 0, 0, 0, 0,
                                                           HWND_MESSAGE, nullptr,
                                                           GetModuleHandleA(nullptr), nullptr));
    const auto clipboard = OpenClipboardPatiently(owner.get());
    if (!clipboard) {
        return kNotFound;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(Number(argv[0])));
    return 0;
}

// The test pattern of the whole screen, for windows that show their piece of it.
struct Pattern {
    snarvik::win::UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
};

// The pattern, inverted inside `changed` (if any): a screen that differs from it only there.
bool MakePattern(Pattern& pattern, const RECT* changed = nullptr) {
    pattern.width = GetSystemMetrics(SM_CXSCREEN);
    pattern.height = GetSystemMetrics(SM_CYSCREEN);
    const BITMAPINFO info = snarvik::win::TopDown32(pattern.width, pattern.height);
    void* bits = nullptr;
    pattern.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!pattern.bitmap) {
        std::fprintf(stderr, "CreateDIBSection failed: %lu\n", GetLastError());
        return false;
    }
    // Every position its own colour, so a test can tell where any pixel came from.
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < pattern.height; ++y) {
        for (int x = 0; x < pattern.width; ++x) {
            const bool inverted = changed != nullptr && x >= changed->left && x < changed->right &&
                                  y >= changed->top && y < changed->bottom;
            *pixels++ = snarvik::testing_support::PatternPixel(x, y) ^ (inverted ? 0xFFFFFFU : 0);
        }
    }
    GdiFlush();
    return true;
}

Pattern gPattern; // what the pattern's windows paint

// A window of the pattern: it paints the piece of the screen's pattern where it is.
LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: {
        const snarvik::win::PaintScope paint(window);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        const snarvik::win::UniqueDC memory(CreateCompatibleDC(paint.dc()));
        const snarvik::win::Selection selected(memory.get(), gPattern.bitmap.get());
        BitBlt(paint.dc(), 0, 0, gPattern.width, gPattern.height, memory.get(), origin.x, origin.y,
               SRCCOPY);
        return 0;
    }
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (GetParent(window) == nullptr && GetWindowLongPtrA(window, GWLP_USERDATA) != 0) {
            PostQuitMessage(0); // the window the command waits for
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Of the class named (registered here on first use), to stand for another program's window.
HWND PatternWindow(DWORD extended, DWORD style, RECT r, HWND parent,
                   const char* className = "WintoolPattern") {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PatternProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = className;
    const bool registered =
        RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    // Destroyed by a timer or a close request; the command's loop ends with the first one.
    HWND window = registered ? CreateWindowExA(extended, className, "wintool pattern", style,
                                               r.left, r.top, r.right - r.left, r.bottom - r.top,
                                               parent, nullptr, GetModuleHandleA(nullptr), nullptr)
                             : nullptr;
    if (window == nullptr) {
        std::fprintf(stderr, "CreateWindowEx failed: %lu\n", GetLastError());
    }
    return window;
}

int RunWindows(HWND main) {
    SetWindowLongPtrA(main, GWLP_USERDATA, 1);
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// pattern [MS] [LEFT TOP RIGHT BOTTOM]: the pattern over the screen (for MS milliseconds),
// inverted inside the rectangle given.
int CmdPattern(int argc, char** argv) {
    RECT changed{};
    if (argc >= 5) {
        changed = {static_cast<LONG>(Number(argv[1])), static_cast<LONG>(Number(argv[2])),
                   static_cast<LONG>(Number(argv[3])), static_cast<LONG>(Number(argv[4]))};
    }
    if (!MakePattern(gPattern, argc >= 5 ? &changed : nullptr)) {
        return kNotFound;
    }
    HWND window = PatternWindow(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP,
                                {0, 0, gPattern.width, gPattern.height}, nullptr);
    if (window == nullptr) {
        return kNotFound;
    }
    if (argc > 0 && Number(argv[0]) > 0) {
        SetTimer(window, 1, static_cast<UINT>(Number(argv[0])), nullptr);
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    std::printf("hwnd=0x%llx\twidth=%d\theight=%d\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)),
                gPattern.width, gPattern.height);
    return RunWindows(window);
}

// Count small windows in a grid, each holding a control: a busy desktop for the benchmarks.
int CmdDecoys(int argc, char** argv) {
    if (argc < 1 || !MakePattern(gPattern)) {
        return argc < 1 ? kUsage : kNotFound;
    }
    const int count = static_cast<int>(Number(argv[0]));
    const int columns = std::max(1, (gPattern.width - 40) / 60);
    HWND first = nullptr;
    for (int i = 0; i < count; ++i) {
        const int left = 20 + (i % columns) * 60;
        const int top = 20 + (i / columns) * 60;
        HWND window = PatternWindow(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP | WS_VISIBLE,
                                    {left, top, left + 50, top + 50}, nullptr);
        if (window == nullptr ||
            PatternWindow(0, WS_CHILD | WS_VISIBLE, {5, 5, 45, 25}, window) == nullptr) {
            return kNotFound;
        }
        first = first != nullptr ? first : window;
    }
    std::printf("ready=%d\n", count);
    return first != nullptr ? RunWindows(first) : 0;
}

// Windows of known size and place to snap to, showing the pattern: a window holding a panel
// that holds a button, under a click-through window and a fully transparent one that cover
// them (pattern too, so whether they show or not, the screen is the pattern there).
int CmdSnapTargets() {
    if (!MakePattern(gPattern)) {
        return kNotFound;
    }
    const RECT target{400, 300, 1000, 700};
    const RECT panel{40, 50, 340, 250}; // in the target
    const RECT button{20, 30, 140, 90}; // in the panel
    const RECT cover{300, 200, 1100, 800};
    // Below them a stand-in for the shell's desktop and its icon view, here smaller than the
    // screen so that it shows if taken for a window.
    const RECT desktop{0, 0, 1200, 900};
    HWND shell =
        PatternWindow(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, desktop, nullptr, "Progman");
    HWND icons = shell ? PatternWindow(0, WS_CHILD | WS_VISIBLE, desktop, shell) : nullptr;
    HWND main = icons ? PatternWindow(0, WS_POPUP | WS_VISIBLE, target, nullptr) : nullptr;
    HWND inner = main ? PatternWindow(0, WS_CHILD | WS_VISIBLE, panel, main) : nullptr;
    // A control marked transparent, as group boxes often are: only its painting order changes.
    HWND control =
        inner ? PatternWindow(WS_EX_TRANSPARENT, WS_CHILD | WS_VISIBLE, button, inner) : nullptr;
    HWND through = control ? PatternWindow(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT,
                                           WS_POPUP | WS_VISIBLE, cover, nullptr)
                           : nullptr;
    HWND invisible = through ? PatternWindow(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED,
                                             WS_POPUP, cover, nullptr)
                             : nullptr;
    if (invisible == nullptr || SetLayeredWindowAttributes(invisible, 0, 0, LWA_ALPHA) == FALSE) {
        return kNotFound;
    }
    ShowWindow(invisible, SW_SHOWNOACTIVATE);
    const auto print = [](const char* name, HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        std::printf("%s=%ld,%ld,%ld,%ld\t", name, r.left, r.top, r.right, r.bottom);
    };
    print("target", main);
    print("panel", inner);
    print("button", control);
    print("cover", through);
    print("desktop", shell);
    std::printf("\n");
    return RunWindows(main);
}

int CmdDialogSet(int argc, char** argv) {
    if (argc < 2) {
        return kUsage;
    }
    HWND dialog = WaitDialog(argv[0]);
    if (dialog == nullptr) {
        return kNotFound;
    }
    HWND edit = FileNameEdit(dialog);
    if (edit == nullptr) {
        std::fprintf(stderr, "the dialog has no edit field\n");
        return kNotFound;
    }
    DWORD_PTR result = 0;
    const std::wstring text = snarvik::win::Wide(argv[1]);
    if (SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_ABORTIFHUNG, 5000, &result) == 0 ||
        result == FALSE) {
        std::fprintf(stderr, "WM_SETTEXT failed\n");
        return kNotFound;
    }
    std::printf("edit=%s\n", Clean(TextOf(edit)).c_str());
    return 0;
}

int CmdDialogPress(int argc, char** argv) {
    if (argc < 2) {
        return kUsage;
    }
    HWND dialog = WaitDialog(argv[0]);
    if (dialog == nullptr) {
        return kNotFound;
    }
    const auto id = static_cast<int>(Number(argv[1]));
    HWND button = GetDlgItem(dialog, id);
    if (PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button)) == FALSE) {
        std::fprintf(stderr, "PostMessage failed: %lu\n", GetLastError());
        return kNotFound;
    }
    std::printf("pressed=%d\n", id);
    return 0;
}

int CmdDialogText(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    HWND dialog = WaitDialog(argv[0]);
    if (dialog == nullptr) {
        return kNotFound;
    }
    HWND edit = FileNameEdit(dialog);
    if (edit != nullptr) {
        std::printf("edit=%s\n", Clean(TextOf(edit)).c_str());
    }
    if (HWND types = GetDlgItem(dialog, 0x470)) { // the file type box
        std::printf("types=%s\n", Clean(TextOf(types)).c_str());
    }
    for (HWND child : ChildWindows(dialog)) {
        const std::string kind = ClassOf(child);
        if (!IsWindowVisible(child)) {
            continue;
        }
        if (SameText(kind, "Static")) {
            const std::string text = TextOf(child);
            if (!text.empty()) {
                std::printf("static=%s\n", Clean(text).c_str());
            }
        } else if (SameText(kind, "Button")) {
            std::printf("button=%d\ttext=%s\n", GetDlgCtrlID(child), Clean(TextOf(child)).c_str());
        }
    }
    return 0;
}

// Another program's popup menu open at (x, y) until it is dismissed: something on the screen
// that is not Snarvik's for a cut to catch.
int CmdPopupMenu(int argc, char** argv) {
    if (argc < 2) {
        return kUsage;
    }
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, nullptr, nullptr);
    snarvik::win::UniqueMenu menu(CreatePopupMenu());
    if (owner == nullptr || !menu) {
        return kNotFound;
    }
    for (const wchar_t* item : {L"Wintool &First Item", L"Wintool &Second Item"}) {
        AppendMenuW(menu.get(), MF_STRING, 1, item);
    }
    SetForegroundWindow(owner);
    TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, std::atoi(argv[0]), std::atoi(argv[1]),
                   0, owner, nullptr);
    DestroyWindow(owner);
    return 0;
}

int CmdMenu() {
    std::vector<HWND> menus = FindTop("#32768", nullptr, true);
    for (HWND menu : menus) {
        RECT rect = {};
        GetWindowRect(menu, &rect);
        std::printf("hwnd=0x%llx\trect=%ld,%ld,%ld,%ld\n",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(menu)), rect.left,
                    rect.top, rect.right, rect.bottom);
    }
    return menus.empty() ? kNotFound : 0;
}

int CmdPost(int argc, char** argv) {
    if (argc < 4) {
        return kUsage;
    }
    // A message by its number, or a registered one by its name.
    const UINT message = std::isdigit(static_cast<unsigned char>(argv[1][0])) != 0
                             ? static_cast<UINT>(Number(argv[1]))
                             : RegisterWindowMessageW(snarvik::win::Wide(argv[1]).c_str());
    if (PostMessageA(WindowArg(argv[0]), message, static_cast<WPARAM>(Number(argv[2])),
                     static_cast<LPARAM>(Number(argv[3]))) == FALSE) {
        std::fprintf(stderr, "PostMessage failed: %lu\n", GetLastError());
        return kNotFound;
    }
    return 0;
}

int CmdTooltip() {
    std::vector<HWND> tips = FindTop(TOOLTIPS_CLASSA, nullptr, true);
    for (HWND tip : tips) {
        RECT rect = {};
        GetWindowRect(tip, &rect);
        std::printf("rect=%ld,%ld,%ld,%ld\ttext=%s\n", rect.left, rect.top, rect.right, rect.bottom,
                    Clean(TextOf(tip)).c_str());
    }
    return tips.empty() ? kNotFound : 0;
}

int CmdScreen() {
    const snarvik::win::WindowDC screen(nullptr);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::printf("width=%d\theight=%d\tbits=%d\tdpi=%d\twork=%ld,%ld,%ld,%ld\n",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                GetDeviceCaps(screen.get(), BITSPIXEL), GetDeviceCaps(screen.get(), LOGPIXELSX),
                work.left, work.top, work.right, work.bottom);
    return 0;
}

// Changes the display mode, as a user changing the resolution would (not stored).
int CmdDisplay(int argc, char** argv) {
    if (argc < 2) {
        return kUsage;
    }
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[0]));
    mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[1]));
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsW(&mode, 0);
    std::printf("result=%ld\n", result);
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

// Where the system has the pointer, and which buttons it has down: a test's input has
// arrived once the system says so.
int CmdPointer() {
    POINT at = {};
    GetCursorPos(&at);
    const auto down = [](int button) {
        return GetAsyncKeyState(button) < 0 ? 1 : 0;
    };
    std::printf("x=%ld\ty=%ld\tleft=%d\tright=%d\n", at.x, at.y, down(VK_LBUTTON),
                down(VK_RBUTTON));
    return 0;
}

// A shortcut as the shell's link object reads it: its target (from its item-id list, which
// holds any name exactly), working folder and arguments.
int CmdLink(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    const snarvik::win::ComApartment com;
    snarvik::win::ComPtr<IShellLinkW> link;
    snarvik::win::ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = L"";
    wchar_t folder[MAX_PATH] = L"";
    const bool loaded = SUCCEEDED(snarvik::win::CreateInstance(CLSID_ShellLink, IID_IShellLinkW,
                                                               link.put_void())) &&
                        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) &&
                        SUCCEEDED(file->Load(snarvik::win::Wide(argv[0]).c_str(), STGM_READ));
    ITEMIDLIST* list = nullptr;
    if (loaded && SUCCEEDED(link->GetIDList(&list))) {
        SHGetPathFromIDListW(list, target);
        CoTaskMemFree(list);
    }
    if (loaded) {
        link->GetWorkingDirectory(folder, MAX_PATH);
        std::printf("target=%s\tworkdir=%s\n", snarvik::win::Utf8(target).c_str(),
                    snarvik::win::Utf8(folder).c_str());
    }
    return loaded ? 0 : kNotFound;
}

// The string and number values of a key under HKEY_CURRENT_USER ("HKCU\\..." or without it).
int CmdReg(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    std::string path = argv[0];
    if (path.rfind("HKCU\\", 0) == 0) {
        path.erase(0, 5);
    }
    snarvik::win::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, snarvik::win::Wide(path).c_str(), 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS) {
        return kNotFound;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[4096] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string text;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            text = snarvik::win::Utf8(reinterpret_cast<const wchar_t*>(data));
        } else if (type == REG_DWORD) {
            text = std::to_string(*reinterpret_cast<const DWORD*>(data));
        }
        std::printf("name=%s\tdata=%s\n", Clean(snarvik::win::Utf8(name)).c_str(),
                    Clean(text).c_str());
    }
    return 0;
}

// --- Print Screen held by another program ----------------------------------------------------

// Holds Print Screen as a hotkey, as the system's screen capture or a cloud client would, until
// a WM_CLOSE to the printed window or MS milliseconds; exits 1 at once when the key is taken.
int CmdHoldPrintScreen(int argc, char** argv) {
    const snarvik::win::UniqueWindow holder(CreateWindowExW(0, L"STATIC", L"wintool hold", 0, 0, 0,
                                                            0, 0, nullptr, nullptr,
                                                            GetModuleHandleW(nullptr), nullptr));
    if (!holder || RegisterHotKey(holder.get(), 1, 0, VK_SNAPSHOT) == FALSE) {
        std::fprintf(stderr, "Print Screen is taken: error %lu\n", GetLastError());
        return kNotFound;
    }
    if (argc > 0) {
        SetTimer(holder.get(), 1, static_cast<UINT>(Number(argv[0])), nullptr);
    }
    std::printf("hwnd=0x%llx\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(holder.get())));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_CLOSE &&
           message.message != WM_TIMER) {
        DispatchMessageW(&message);
    }
    UnregisterHotKey(holder.get(), 1);
    return 0;
}

// Tells every top-level window that a setting of AREA changed, as a program that changed one
// does; returns once they all have handled it.
int CmdSettingChanged(int argc, char** argv) {
    if (argc < 1) {
        return kUsage;
    }
    const std::wstring area = snarvik::win::Wide(argv[0]);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(area.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0
               ? 0
               : kNotFound;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: wintool COMMAND ...\n"
                 "  find CLASS [TITLE] | children HWND | windows\n"
                 "  clipboard-bmp FILE | clipboard-formats | clipboard-hold MS | clipboard-data "
                 "FORMAT FILE\n"
                 "  pattern [MS] | snap-targets | decoys COUNT | foreground\n"
                 "  dialog-set TITLE TEXT | dialog-press TITLE ID | dialog-text TITLE\n"
                 "  menu | popup-menu X Y | post HWND MSG|NAME WPARAM LPARAM\n"
                 "  tooltip | screen | display WIDTH HEIGHT | pointer | link FILE | reg KEY\n"
                 "  hold-print-screen [MS] | setting-changed AREA\n");
    return kUsage;
}

} // namespace

// Arguments come in UTF-16 and are taken as UTF-8; output is UTF-8.
int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> arguments;
    std::vector<char*> pointers;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(snarvik::win::Utf8(wideArgv[i]));
    }
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    char** argv = pointers.data();
    using Command = int (*)(int, char**);
    static const struct {
        const char* name;
        Command run;
    } commands[] = {
        {"find", CmdFind},
        {"children", CmdChildren},
        {"windows",
         [](int, char**) {
             return CmdWindows();
         }},
        {"foreground",
         [](int, char**) {
             return CmdForeground();
         }},
        {"clipboard-bmp", CmdClipboardBmp},
        {"clipboard-formats",
         [](int, char**) {
             return CmdClipboardFormats();
         }},
        {"clipboard-hold", CmdClipboardHold},
        {"clipboard-data", CmdClipboardData},
        {"pattern", CmdPattern},
        {"decoys", CmdDecoys},
        {"snap-targets",
         [](int, char**) {
             return CmdSnapTargets();
         }},
        {"dialog-set", CmdDialogSet},
        {"dialog-press", CmdDialogPress},
        {"dialog-text", CmdDialogText},
        {"menu",
         [](int, char**) {
             return CmdMenu();
         }},
        {"post", CmdPost},
        {"popup-menu", CmdPopupMenu},
        {"tooltip",
         [](int, char**) {
             return CmdTooltip();
         }},
        {"screen",
         [](int, char**) {
             return CmdScreen();
         }},
        {"display", CmdDisplay},
        {"pointer",
         [](int, char**) {
             return CmdPointer();
         }},
        {"link", CmdLink},
        {"reg", CmdReg},
        {"hold-print-screen", CmdHoldPrintScreen},
        {"setting-changed", CmdSettingChanged},
    };
    if (argc < 2) {
        return Usage();
    }
    for (const auto& command : commands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            const int status = command.run(argc - 2, argv + 2);
            std::fflush(stdout);
            return status == kUsage ? Usage() : status;
        }
    }
    return Usage();
}
