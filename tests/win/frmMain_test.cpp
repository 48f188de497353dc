// The main window on a real screen: the grab, the window states, a selection and what the
// selection menu's items do with it, and that the window gives back what it takes.
#include <windows.h>

#include "app/settings.h"
#include "app/settings_store.h"
#include "ui/frmMain.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace snarvik {
namespace {

std::uint32_t PatternPixel(int x, int y, int shade) {
    const auto r = static_cast<std::uint32_t>((x * 7 + y * 3 + shade) & 255);
    const auto g = static_cast<std::uint32_t>((x ^ y) & 255);
    const auto b = static_cast<std::uint32_t>(((x * y) >> 3) + shade * 31) & 255u;
    return (r << 16) | (g << 8) | b;
}

void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

// A topmost full-screen window showing a known pattern, so every grabbed pixel is predictable.
class PatternWindow {
public:
    explicit PatternWindow(int shade)
        : width_(GetSystemMetrics(SM_CXSCREEN)), height_(GetSystemMetrics(SM_CYSCREEN)) {
        WNDCLASSA cls{};
        cls.lpfnWndProc = &PatternWindow::Proc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "SnarvikTestPattern";
        RegisterClassA(&cls);
        surface_ = std::make_unique<Surface>(width_, height_);
        Paint(shade);
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cls.lpszClassName, "",
                                  WS_POPUP | WS_VISIBLE, 0, 0, width_, height_, nullptr, nullptr,
                                  cls.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(surface_.get()));
        InvalidateRect(window_, nullptr, FALSE);
        Pump(400);
    }
    ~PatternWindow() { DestroyWindow(window_); }
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    void Paint(int shade) {
        shade_ = shade;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                surface_->bits()[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                 static_cast<std::size_t>(x)] = PatternPixel(x, y, shade);
            }
        }
        if (window_ != nullptr) {
            InvalidateRect(window_, nullptr, FALSE);
            Pump(400);
        }
    }
    int shade() const { return shade_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            auto* surface = reinterpret_cast<Surface*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (surface != nullptr) {
                BitBlt(dc, 0, 0, surface->width(), surface->height(), surface->dc(), 0, 0, SRCCOPY);
            }
            EndPaint(window, &ps);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    int width_;
    int height_;
    int shade_ = 0;
    std::unique_ptr<Surface> surface_;
    HWND window_ = nullptr;
};

// Number of frozen pixels that differ from the pattern.
std::size_t FrozenDifferences(const frmMain& form, int shade) {
    const Surface* frozen = form.FrozenImage();
    if (frozen == nullptr) {
        return SIZE_MAX;
    }
    std::size_t differences = 0;
    for (int y = 0; y < frozen->height(); ++y) {
        for (int x = 0; x < frozen->width(); ++x) {
            const std::uint32_t pixel =
                frozen->bits()[static_cast<std::size_t>(y) *
                                   static_cast<std::size_t>(frozen->width()) +
                               static_cast<std::size_t>(x)];
            differences += (pixel & 0xFFFFFFu) != PatternPixel(x, y, shade) ? 1 : 0;
        }
    }
    return differences;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mMain::TrayMode = true;
        form_ = frmMain::Create(GetModuleHandleA(nullptr));
        ASSERT_NE(form_, nullptr);
        form_->SetWindowState(WindowState::Minimized);
        // The tray's own behaviour is tested elsewhere; here only its state flag matters.
        form_->mTrayMade = true;
    }
    void TearDown() override { form_.reset(); }

    void Drag(int button, POINT from, POINT to) {
        const auto at = [](POINT p) {
            return MAKELPARAM(p.x, p.y);
        };
        const UINT down = button == 1   ? WM_LBUTTONDOWN
                          : button == 2 ? WM_RBUTTONDOWN
                                        : WM_MBUTTONDOWN;
        const UINT up = button == 1 ? WM_LBUTTONUP : button == 2 ? WM_RBUTTONUP : WM_MBUTTONUP;
        SendMessageA(form_->hWnd(), down, 0, at(from));
        SendMessageA(form_->hWnd(), WM_MOUSEMOVE, 0, at(to));
        SendMessageA(form_->hWnd(), up, 0, at(to));
    }

    std::unique_ptr<frmMain> form_;
};

UINT gChoice = 0;
UINT ChooseFromTest(HMENU, int, int) {
    return gChoice;
}

TEST_F(MainWindow, CutFreezesTheWholeScreenExactlyInABorderlessMaximisedWindow) {
    PatternWindow pattern(1);
    form_->StartCut(32);
    Pump(200);
    const HWND window = form_->hWnd();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(form_->GetWindowState(), WindowState::Maximized);
    EXPECT_TRUE(form_->mMaximized);
    EXPECT_EQ(form_->mCutState, 32);
    EXPECT_EQ(form_->Shape1().rect().width, 32);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_EQ(FrozenDifferences(*form_, 1), 0u);

    // A second cut, after the first ended, holds only the new screen: not the capture window
    // of the first, nothing of the earlier image.
    form_->SetWindowState(WindowState::Minimized);
    EXPECT_FALSE(IsWindowVisible(window));
    pattern.Paint(2);
    form_->StartCut(0);
    Pump(200);
    EXPECT_EQ(FrozenDifferences(*form_, 2), 0u);
    EXPECT_EQ(form_->mCutState, 0);
}

TEST_F(MainWindow, ShownWindowIsAlwaysMaximisedAndMinimisingHidesIt) {
    form_->StartCut(0);
    Pump(100);
    const HWND window = form_->hWnd();
    form_->SetWindowState(WindowState::Normal);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(form_->GetWindowState(), WindowState::Maximized);
    ShowWindow(window, SW_RESTORE); // from outside the program
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_MINIMIZE);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(form_->mMaximized);
    // Mouse input while hidden is ignored.
    const Rect before = form_->Shape1().rect();
    form_->Form_MouseDown(1, 0, 300, 300);
    EXPECT_EQ(form_->Shape1().rect(), before);
}

TEST_F(MainWindow, PixelsOutsideTheScreenAreBlack) {
    PatternWindow pattern(4);
    form_->SetSelectionMenuChooser(&ChooseFromTest);
    gChoice = 0;
    form_->StartCut(64);
    Pump(100);
    SendMessageA(form_->hWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SendMessageA(form_->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    const Image image = form_->Picture1Image()->ToImage();
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 64);
    EXPECT_EQ(image.at(0, 0), 0u);
    EXPECT_EQ(image.at(53, 63), 0u);
    EXPECT_EQ(image.at(63, 53), 0u);
    EXPECT_EQ(image.at(54, 54) & 0xFFFFFFu, PatternPixel(0, 0, 4));
    EXPECT_EQ(image.at(63, 63) & 0xFFFFFFu, PatternPixel(9, 9, 4));
}

TEST_F(MainWindow, ExitChosenInsideANestedLoopWaitsForTheOuterHandler) {
    form_->MakeTray();
    ASSERT_NE(form_->IconEvent(), nullptr);
    const WNDPROC hook = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(form_->hWnd(), GWLP_WNDPROC));
    EXPECT_EQ(hook, &mSysTray::SysTrayWndProc);
    static frmMain* sForm = nullptr;
    static bool sUnloadedInside = true;
    sForm = form_.get();
    form_->SetSelectionMenuChooser([](HMENU, int, int) -> UINT {
        // Exit arrives through the menu's modal loop, as the tray's command would.
        SendMessageA(sForm->hWnd(), WM_COMMAND, 0x2006, 0);
        sUnloadedInside = sForm->Unloaded() || sForm->IconEvent() == nullptr;
        return kMenuCopyToClipboard; // the outer handler goes on with live objects
    });
    form_->StartCut(0);
    Pump(50);
    Drag(1, {50, 50}, {60, 60});
    EXPECT_FALSE(sUnloadedInside);
    EXPECT_TRUE(form_->Unloaded());
    EXPECT_EQ(form_->IconEvent(), nullptr);
    EXPECT_EQ(form_->TrayMenu(), nullptr);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(form_->hWnd(), GWLP_WNDPROC)), hook);
}

// Live GDI objects of this process. Where the system keeps no per-process count (Wine), the
// handle table is probed: there a handle's low word is its table index.
DWORD GdiObjectCount() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) {
        return counted;
    }
    DWORD live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return live;
}

DWORD WindowCount() {
    DWORD count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<DWORD*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(MainWindow, ManyCutsGiveBackEveryHandle) {
    PatternWindow pattern(6);
    form_->SetSelectionMenuChooser(&ChooseFromTest);
    const auto cycle = [&](int i) {
        gChoice = i % 4 == 0   ? UINT{kMenuReselect}
                  : i % 4 == 1 ? UINT{kMenuAbort}
                  : i % 4 == 2 ? UINT{kMenuCopyToClipboard}
                               : 0u;
        form_->StartCut(i % 2 == 0 ? 0 : 32);
        Drag(1 + i % 2, {200 + i, 200}, {260 + i, 250 + i});
        form_->SetWindowState(WindowState::Minimized);
        Pump(1);
    };
    for (int i = 0; i < 8; ++i) {
        cycle(i); // the first grab allocates the frozen image, the first copy the clipboard's
    }
    const HANDLE self = GetCurrentProcess();
    const DWORD gdiBefore = GdiObjectCount();
    const DWORD userBefore = GetGuiResources(self, GR_USEROBJECTS);
    const DWORD windowsBefore = WindowCount();
    DWORD handlesBefore = 0;
    GetProcessHandleCount(self, &handlesBefore);
    for (int i = 0; i < 200; ++i) {
        cycle(i);
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(self, &handlesAfter);
    EXPECT_GT(gdiBefore, 0u);
    EXPECT_LE(GdiObjectCount(), gdiBefore + 2);
    EXPECT_LE(GetGuiResources(self, GR_USEROBJECTS), userBefore + 2);
    EXPECT_EQ(WindowCount(), windowsBefore);
    EXPECT_LE(handlesAfter, handlesBefore + 2);
}

TEST_F(MainWindow, LoadReadsTheStoredRunningNumber) {
    struct Case {
        const char* stored; // nullptr: absent
        std::int32_t expected;
    };
    const Case cases[] = {{nullptr, 1}, {"41", 41}, {" -7 ", -7}, {"garbage", 0}, {"", 0}};
    mMain::TrayMode = false; // no tray for this one
    const std::string key = settings::KeyPath(settings::kAppName, settings::kSection);
    for (const auto& c : cases) {
        ASSERT_EQ(
            settings::SaveSetting(settings::kAppName, settings::kSection, settings::kInit, "1"),
            ERROR_SUCCESS);
        if (c.stored == nullptr) {
            RegDeleteKeyValueA(HKEY_CURRENT_USER, key.c_str(), settings::kNumber);
        } else {
            settings::SaveSetting(settings::kAppName, settings::kSection, settings::kNumber,
                                  c.stored);
        }
        const auto loaded = frmMain::Load(GetModuleHandleA(nullptr), false);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->mNumber, c.expected) << (c.stored ? c.stored : "(absent)");
        EXPECT_FALSE(IsWindowVisible(loaded->hWnd()));
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key.c_str(), settings::kNumber);
}

} // namespace
} // namespace snarvik
