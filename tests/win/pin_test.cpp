// Pictures pinned to the screen: where they show, their pixels on the screen, the zoom, and
// every way they close, Exit too.
#include <windows.h>

#include "base/com.h"
#include "capture/window_facts.h"
#include "support/pattern.h"
#include "test_support.h"
#include "tray/tray_logic.h"
#include "ui/frmMain.h"
#include "ui/pin_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace snarvik {
namespace {

using namespace testing_support;

// The picture with each pixel made a square of `times` pixels a side.
Image Enlarged(const Image& picture, int times) {
    Image large(picture.width() * times, picture.height() * times);
    for (int y = 0; y < large.height(); ++y) {
        for (int x = 0; x < large.width(); ++x) {
            large.row(y)[x] = picture.at(x / times, y / times);
        }
    }
    return large;
}

std::array<LONG, 4> WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

struct NoOutputs final : SelectionHost {
    std::function<std::string()> dialog = [] {
        return std::string();
    }; // the path chosen

    HWND Owner() const override { return nullptr; }
    void EndCut() override {}
    Result<std::string> AskSaveName(const std::string&, const std::string&) override {
        const std::string chosen = dialog();
        return chosen.empty() ? Result<std::string>{} : Result<std::string>{chosen};
    }
    void ShowError(const Failure& failure) override { ADD_FAILURE() << failure.Message(); }
    void ShowSaved(const std::string&) override {}
};

class Pins : public ::testing::Test {
protected:
    // Pins the picture at `at` and gives its window, painted on the screen.
    HWND PinAt(const Image& picture, const Rect& at) {
        EXPECT_EQ(m_board.Pin(GetModuleHandleW(nullptr), picture, at), std::nullopt);
        const std::vector<PinWindow*> open = m_board.Open();
        Pump();
        return open.empty() ? nullptr : open.back()->hWnd();
    }

    NoOutputs m_host;
    std::int32_t m_number = 1;
    SelectionCommands m_commands{m_host, m_number};
    ModalSteps m_steps;
    PinBoard m_board{m_commands, m_steps, [](const std::exception_ptr&) {
                         ADD_FAILURE() << "a handler threw";
                     }};
};

TEST_F(Pins, ShowThePicturePixelForPixelAndZoomAroundThePointer) {
    const Image picture = PatternImage(60, 40, 5, 7);
    const HWND window = PinAt(picture, {200, 150, 60, 40});
    ASSERT_NE(window, nullptr);
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(WindowRect(window), (std::array<LONG, 4>{199, 149, 261, 191}));
    EXPECT_TRUE(ScreenImage({200, 150, 260, 190}) == picture);
    const Image frame = ScreenImage({199, 149, 261, 191});
    for (const auto& [x, y] : {std::pair{0, 0}, {61, 0}, {30, 41}, {0, 20}}) {
        EXPECT_EQ(frame.at(x, y), 0x0078D7U) << x << "," << y;
    }

    // Three notches up: 200 %, the picture's pixel (20, 10) still under the pointer.
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 3 * WHEEL_DELTA), MAKELPARAM(220, 160));
    Pump();
    EXPECT_EQ(WindowRect(window), (std::array<LONG, 4>{179, 139, 301, 221}));
    EXPECT_TRUE(ScreenImage({180, 140, 300, 220}) == Enlarged(picture, 2)) << "not crisp";

    // Ctrl (with a stale button bit beside it): the opacity, not the size.
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL | MK_LBUTTON, -WHEEL_DELTA),
                 MAKELPARAM(220, 160));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 230);
    EXPECT_EQ(WindowRect(window), (std::array<LONG, 4>{179, 139, 301, 221}));

    // Actual Size from its menu, opened where the wheel was turned: back where it was.
    {
        MenuAnswers menus('a');
        SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(220, 160));
        EXPECT_EQ(menus.opened(), 1);
    }
    Pump();
    EXPECT_EQ(WindowRect(window), (std::array<LONG, 4>{199, 149, 261, 191}));
    EXPECT_TRUE(ScreenImage({200, 150, 260, 190}) == picture);
}

TEST_F(Pins, NothingSelectedIsToldAndPinsNothing) {
    const Failed pinned = m_board.Pin(GetModuleHandleW(nullptr), Image{}, {10, 10, 0, 0});
    ASSERT_NE(pinned, std::nullopt);
    EXPECT_EQ(pinned->why, "nothing is selected");
    EXPECT_TRUE(m_board.Open().empty());
}

// A later cut's window mode sees a pin as any window on the screen.
TEST_F(Pins, AreWindowsLikeAnyOtherForALaterCut) {
    const HWND window = PinAt(PatternImage(40, 30), {300, 200, 40, 30});
    ASSERT_NE(window, nullptr);
    const std::vector<WindowFacts> windows = CurrentWindows();
    const auto pin = std::find_if(windows.begin(), windows.end(), [](const WindowFacts& facts) {
        return facts.rect == Rect{299, 199, 42, 32};
    });
    ASSERT_NE(pin, windows.end());
    EXPECT_FALSE(pin->ours);
}

// However it is closed, from inside its own handlers too, the pin is gone and the others stay.
TEST_F(Pins, CloseByEscapeDoubleClickOrTheirMenu) {
    const HWND stays = PinAt(PatternImage(30, 20), {50, 60, 30, 20});
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"Escape",
         [](HWND pin) {
             SendMessageW(pin, WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        {"double click",
         [](HWND pin) {
             SendMessageW(pin, WM_LBUTTONDBLCLK, 0, 0);
         }},
        {"menu",
         [](HWND pin) {
             MenuAnswers menus('l');
             SendMessageW(pin, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pin), MAKELPARAM(310, 210));
         }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const HWND window = PinAt(PatternImage(40, 30), {300, 200, 40, 30});
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(m_board.Open().size(), 2u);
        close(window);
        Pump();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(m_board.held(), 1u);
    }
    EXPECT_TRUE(IsWindowVisible(stays));
}

// Exit while a pin's save dialog is open: the pin's window goes at once, the pin itself only
// when its command has finished, saving the picture it still holds.
TEST_F(Pins, ClosedWhileItsDialogIsOpenFinishesItsCommand) {
    const win::ComApartment com; // the PNG encoder's
    const ScratchUserKey user;   // the running number goes there
    ASSERT_TRUE(user.made());
    TempFolder folder;
    const HWND window = PinAt(PatternImage(40, 30), {300, 200, 40, 30});
    ASSERT_NE(window, nullptr);
    m_host.dialog = [&] {
        m_board.CloseAll();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(m_board.held(), 1u) << "destroyed under its own command";
        return folder / "kept";
    };
    {
        MenuAnswers menus('p');
        SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(310, 210));
    }
    EXPECT_EQ(m_board.held(), 0u);
    EXPECT_EQ(m_number, 2);
    const std::vector<std::uint8_t> saved = ReadAll(folder / "kept.PNG");
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(std::string(saved.begin() + 1, saved.begin() + 4), "PNG");
}

TEST(PinsOfTheProgram, ExitClosesThemAll) {
    const auto form = frmMain::Load(GetModuleHandleA(nullptr), {});
    ASSERT_NE(form, nullptr);
    std::vector<HWND> windows;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(form->pins().Pin(GetModuleHandleW(nullptr), PatternImage(20, 20),
                                   {100 + 30 * i, 100, 20, 20}),
                  std::nullopt);
        windows.push_back(form->pins().Open().back()->hWnd());
    }
    Pump();
    std::int16_t exit = kExitProgram;
    form->MenuClick(exit);
    for (HWND window : windows) {
        EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_TRUE(form->pins().Open().empty());
}

} // namespace
} // namespace snarvik
