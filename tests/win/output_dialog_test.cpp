#include <windows.h>
#include <cderr.h>
#include <dlgs.h>

#include "output/ShowSaveDialog.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace snarvik {
namespace {

using testing_support::TempFolder;
using Outcome = SaveDialogResult::Outcome;

std::string TextOf(HWND window) {
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The file-name box: an edit, possibly inside a combo box inside a ComboBoxEx32.
HWND FileNameEdit(HWND dialog) {
    HWND control = GetDlgItem(dialog, cmb13);
    if (control == nullptr) {
        control = GetDlgItem(dialog, edt1);
    }
    for (int depth = 0; control != nullptr && depth < 3; ++depth) {
        if (ClassOf(control) == "Edit") {
            return control;
        }
        control = FindWindowExA(control, nullptr, nullptr, nullptr);
        while (control != nullptr && ClassOf(control) != "Edit" && ClassOf(control) != "ComboBox") {
            control = GetNextWindow(control, GW_HWNDNEXT);
        }
    }
    return nullptr;
}

HWND OurDialog() {
    HWND dialog = FindWindowA("#32770", "Save Graphic");
    DWORD process = 0;
    if (dialog != nullptr) {
        GetWindowThreadProcessId(dialog, &process);
    }
    return process == GetCurrentProcessId() && IsWindowVisible(dialog) ? dialog : nullptr;
}

template <typename Check> bool WaitFor(Check check) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!check()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

BOOL CALLBACK CloseOurDialogs(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && ClassOf(window) == "#32770") {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

struct Seen {
    bool found = false;
    bool closed = false;
    std::string offered; // the file-name box as the dialog opened
    std::string types;   // the file-type box
};

// Plays the user from another thread: reads the boxes, types, presses a button.
void Drive(const std::optional<std::string>& typed, int button, Seen& seen) {
    HWND dialog = nullptr;
    seen.found = WaitFor([&dialog] { return (dialog = OurDialog()) != nullptr; });
    if (!seen.found) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it settle
    HWND edit = FileNameEdit(dialog);
    if (edit != nullptr) {
        seen.offered = TextOf(edit);
        if (typed) {
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed->c_str()));
        }
    }
    if (HWND types = GetDlgItem(dialog, cmb1)) {
        seen.types = TextOf(types);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    seen.closed = WaitFor([dialog] { return IsWindow(dialog) == FALSE; });
    if (!seen.closed) {
        // Something else popped up (a message box?): close it all so the test fails, not hangs.
        for (int i = 0; i < 5 && IsWindow(dialog); ++i) {
            EnumWindows(CloseOurDialogs, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    }
}

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& folder) {
        char old[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(MAX_PATH, old);
        old_ = old;
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(old_.c_str()); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string old_;
};

TEST(OutputSaveDialog, OffersTheDefaultAndReturnsWhatTheUserDid) {
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const CurrentDirectory inFolder(folder.path());
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);

    // A full path one character too long for the 255-character buffer, in a folder that exists.
    const std::string prefix = folder.path() + "\\";
    const std::string tooLong = prefix + std::string(255 - prefix.size() - 4, 'L') + ".BMP";
    ASSERT_EQ(tooLong.size(), 255U);

    struct Case {
        const char* defaultName;
        std::optional<std::string> typed;
        int button;
        Outcome outcome;
        std::string path;
        const char* types;
        DWORD error;
    };
    const Case cases[] = {
        {"Pic1.BMP", std::nullopt, IDOK, Outcome::Chosen, folder / "Pic1.BMP",
         "Bitmap Files (*.BMP)", 0},
        {"Icon2.ICO", folder / "chosen.ico   ", IDOK, Outcome::Chosen, folder / "chosen.ico",
         "Icon Files (*.ICO)", 0},
        {"Cursor3.CUR", std::nullopt, IDCANCEL, Outcome::Cancelled, "", "Cursor Files (*.CUR)", 0},
        {"Pic4.BMP", tooLong, IDOK, Outcome::Failed, "", "Bitmap Files (*.BMP)",
         static_cast<DWORD>(FNERR_BUFFERTOOSMALL)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultName);
        Seen seen;
        std::thread user(Drive, c.typed, c.button, std::ref(seen));
        const SaveDialogResult result = ShowSaveDialog(owner, c.defaultName);
        user.join();
        ASSERT_TRUE(seen.found) << "no \"Save Graphic\" dialog appeared";
        EXPECT_TRUE(seen.closed) << "the dialog did not close by itself";
        EXPECT_EQ(seen.offered, c.defaultName); // no padding
        EXPECT_EQ(seen.types, c.types);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.path, c.path);
        EXPECT_EQ(result.error, c.error);
        if (c.outcome == Outcome::Failed) {
            EXPECT_NE(result.Message().find("too long"), std::string::npos) << result.Message();
        } else {
            EXPECT_TRUE(result.Message().empty());
        }
    }
    DestroyWindow(owner);
}

} // namespace
} // namespace snarvik
