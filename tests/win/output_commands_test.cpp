// The selection menu's output commands with real files, registry, image list and wallpaper; the
// window around them is a stand-in that answers the dialog and collects the messages.
#include <windows.h>

#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "output/bmp.h"
#include "output/icon_images.h"
#include "output/save_dialog.h"
#include "output/selection_commands.h"
#include "output/wallpaper_modes.h"
#include "support/pattern.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace snarvik {
namespace {

using namespace testing_support;

// The window the commands run in, which keeps the running number.
struct Host final : SelectionHost {
    std::int32_t number = 3;
    std::string answer; // the path the dialog gives back; empty: cancelled
    int cutsEnded = 0;
    bool endFails = false; // ending the cut throws
    std::vector<std::string> errors;
    std::vector<std::string> folders; // where each dialog was to open
    std::vector<std::string> saved;   // files told in the balloon

    HWND Owner() const override { return nullptr; }
    void EndCut() override {
        ++cutsEnded;
        if (endFails) {
            throw std::runtime_error("the window is gone");
        }
    }
    Result<std::string> AskSaveName(const std::string&, const std::string& folder) override {
        folders.push_back(folder);
        return answer.empty() ? Result<std::string>{} : Result<std::string>{answer};
    }
    void ShowError(const Failure& failure) override { errors.push_back(failure.Message()); }
    void ShowSaved(const std::string& path) override { saved.push_back(path); }
};

// The selection as the commands take it.
SelectionPixels Selected(Image image) {
    return [image = std::move(image)] {
        return image;
    };
}

// Every test here writes the running number, and some refuse keys: in a scratch key only.
class OutputCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_user.made()) << "no scratch key for HKEY_CURRENT_USER"; }

    // Makes key volatile, and the keys on the way to it: no lasting key can be made below it.
    static void MakeVolatile(const char* key) {
        win::UniqueKey made;
        RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, made.put(), nullptr);
    }

private:
    ScratchUserKey m_user;
};

// Names in Cyrillic, CJK and Greek, a path near MAX_PATH, an old file replaced.
TEST_F(OutputCommands, SavedUnderAnyName) {
    TempFolder folder("\u0421\u043d\u0438\u043c\u043a\u0438"); // Cyrillic
    const std::string deep = folder / std::string(250 - folder.path().size(), 'd');
    ASSERT_TRUE(CreateDirectoryW(win::FilePath(deep).c_str(), nullptr));
    const std::string replaced = folder / "\u753b\u50cf.bmp"; // CJK
    ASSERT_TRUE(WriteAll(replaced, "old contents"));

    Host host;
    SelectionCommands commands(host, host.number);
    const Image bitmap = PatternImage(5, 3);
    host.answer = replaced;
    commands.mnuPopupSaveBitmap_Click(Selected(bitmap));
    EXPECT_EQ(ReadAll(replaced), EncodeBmp(bitmap));
    // Wider than an icon can be: scaled down.
    const Image wide = PatternImage(300, 40);
    for (const std::string& name :
         {folder / "\u03b5\u03b9\u03ba\u03cc\u03bd\u03b1", deep + "\\i"}) {
        SCOPED_TRACE(name.size());
        host.answer = name;
        commands.mnuPopupSaveIcon_Click(Selected(wide));
        host.answer = name + ".cur";
        commands.mnuPopupSaveCursor_Click(Selected(wide));
        // Windows itself reads each size back with its pixels: the first entry at the fitted
        // size, the others made from the whole selection on a square.
        const std::vector<Image> images = IconImages(wide);
        for (const Image& expected : {images.front(), images[7]}) {
            SCOPED_TRACE(expected.width());
            const win::UniqueIcon loaded(static_cast<HICON>(
                LoadImageW(nullptr, win::Wide(name + ".ICO").c_str(), IMAGE_ICON, expected.width(),
                           expected.height(), LR_LOADFROMFILE)));
            EXPECT_TRUE(ImageOfIcon(loaded.get()) == expected);
        }
        // A cursor at the system's cursor size, pointing at its centre.
        const win::Unique<win::NullIsNone<HCURSOR, &DestroyCursor>> cursor(
            LoadCursorFromFileW(win::Wide(name + ".cur").c_str()));
        ICONINFO parts{};
        ASSERT_NE(GetIconInfo(cursor.get(), &parts), FALSE);
        const win::UniqueBitmap colour(parts.hbmColor), mask(parts.hbmMask);
        const int side = GetSystemMetrics(SM_CXCURSOR);
        EXPECT_EQ(std::tie(parts.fIcon, parts.xHotspot, parts.yHotspot),
                  std::make_tuple(FALSE, DWORD(side / 2), DWORD(side / 2)));
    }
    EXPECT_EQ(host.errors, std::vector<std::string>{});
    EXPECT_EQ(host.cutsEnded, 5);
    EXPECT_EQ(host.number, 8);
    EXPECT_EQ(folder.Files().size(), 4u) << "more than the files saved";
}

// Why a file cannot be written is the file's own test (atomic_file_test); here, that any
// failure is told and counts nothing.
TEST_F(OutputCommands, CancelledAndFailedSavesLoseNothing) {
    TempFolder folder;
    const struct {
        std::string path; // "": cancelled
        bool icon;
        DWORD reason; // of the message, or 0 for none
    } cases[] = {
        {"", false, 0},
        {"", true, 0},
        {folder / "no such folder\\x.BMP", false, ERROR_PATH_NOT_FOUND},
        {folder / "no such folder\\x.ICO", true, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + (c.icon ? " icon" : " bitmap"));
        Host host;
        host.answer = c.path;
        SelectionCommands commands(host, host.number);
        if (c.icon) {
            commands.mnuPopupSaveIcon_Click(Selected(PatternImage(4, 4)));
        } else {
            commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(4, 3)));
        }
        // An icon ends the cut before asking; a bitmap only once written.
        EXPECT_EQ(host.cutsEnded, c.icon ? 1 : 0);
        EXPECT_EQ(host.number, 3);
        ASSERT_EQ(host.errors.size(), c.reason != 0 ? 1u : 0u);
        if (c.reason != 0) {
            EXPECT_NE(host.errors[0].find(c.path), std::string::npos) << host.errors[0];
            EXPECT_NE(host.errors[0].find(win::SystemMessage(c.reason)), std::string::npos)
                << host.errors[0];
        }
    }
    EXPECT_EQ(folder.Files(), std::vector<std::string>{});
}

TEST_F(OutputCommands, AFullDiskIsReportedAndLeavesNothing) {
    // The test harness's RAM disk of 256 KB: a real "disk full".
    ULARGE_INTEGER total{};
    if (GetDiskFreeSpaceExW(L"T:\\", nullptr, &total, nullptr) == FALSE ||
        total.QuadPart > (1u << 20)) {
        GTEST_SKIP() << "no small RAM disk T: (the test harness makes one under Wine)";
    }
    Host host;
    host.answer = "T:\\full.BMP";
    SelectionCommands commands(host, host.number);
    commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(400, 300))); // more than the disk holds
    EXPECT_EQ(host.number, 3);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(win::SystemMessage(ERROR_DISK_FULL)), std::string::npos)
        << host.errors[0];
    WIN32_FIND_DATAW found{};
    EXPECT_EQ(FindFirstFileW(L"T:\\*", &found), INVALID_HANDLE_VALUE) << "left on the disk";
}

// Straight from the selection's pixels, whatever its size (the entries' sizes and how they are
// written: the encoders' unit tests).
TEST_F(OutputCommands, AHugeSelectionIsSavedAsAnIcon) {
    TempFolder folder;
    Host host;
    host.answer = folder / "huge.ICO";
    SelectionCommands commands(host, host.number);
    commands.mnuPopupSaveIcon_Click([] { return Image(16000, 9000, 0x00336699U); });
    EXPECT_EQ(host.errors, std::vector<std::string>{});
    const auto file = ReadAll(host.answer);
    ASSERT_GE(file.size(), 6u);
    EXPECT_EQ(file[4], 15); // entries
    EXPECT_EQ(host.number, 4);
}

// Whatever a command throws is told, naming the command; a file written keeps its number, so the
// next default name never replaces it.
TEST_F(OutputCommands, AFailingStepIsToldAndAWrittenFileKeepsItsNumber) {
    TempFolder folder;
    const struct {
        bool noMemory; // taking the selection's pixels fails
        bool written;
        const char* told;
    } cases[] = {
        {true, false, "not enough memory"},
        {false, true, "the window is gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        Host host;
        host.answer = folder / (c.noMemory ? "none.BMP" : "written.BMP");
        host.endFails = !c.noMemory;
        SelectionCommands commands(host, host.number);
        commands.mnuPopupSaveBitmap_Click([&]() -> Image {
            if (c.noMemory) {
                throw std::bad_alloc();
            }
            return PatternImage(4, 4);
        });
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_NE(host.errors[0].find("Could not save the selection as a bitmap"),
                  std::string::npos)
            << host.errors[0];
        EXPECT_NE(host.errors[0].find(c.told), std::string::npos) << host.errors[0];
        EXPECT_EQ(host.number, c.written ? 4 : 3);
        EXPECT_EQ(ReadAll(host.answer).empty(), !c.written);
    }
}

// The dialog opens where the user last saved, yet the program holds no folder open: the current
// directory never moves.
TEST_F(OutputCommands, TheDialogOpensInTheLastSavesFolderAndHoldsNoFolder) {
    TempFolder first, second;
    Host host;
    SelectionCommands commands(host, host.number);
    for (const TempFolder* folder : {&first, &second}) {
        host.answer = *folder / "x";
        commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(2, 2)));
    }
    host.answer.clear();
    commands.mnuPopupSavePng_Click(Selected(PatternImage(2, 2)));
    EXPECT_EQ(host.folders, (std::vector<std::string>{"", first.path(), second.path()}));

    // The real dialog, given a bare name, saves into the folder it was opened in.
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    DialogAnswer answer(L"Save Graphic", L"chosen.BMP");
    const Result<std::string> chosen = ShowSaveDialog(nullptr, "Pic1.BMP", second.path());
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(chosen.value(), second / "chosen.BMP");
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_EQ(std::wstring(after), std::wstring(before));
}

// Without a dialog, into the last save's folder (kept across starts), under the next free name:
// a name taken meanwhile is passed over and its file left alone. A file that cannot be
// written leaves the cut up and the number where it was.
TEST_F(OutputCommands, AQuickSaveNeverReplacesAFileAndKeepsTheCutWhenItFails) {
    TempFolder folder;
    Host host;
    host.number = 7;
    {
        SelectionCommands commands(host, host.number);
        host.answer = folder / "first.BMP";
        commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(2, 2)));
    }
    ASSERT_TRUE(WriteAll(folder / "Pic8.PNG", "the user's own"));
    SelectionCommands commands(host, host.number); // as after a restart
    const Image picture = PatternImage(5, 4);
    commands.mnuPopupQuickSave_Click(Selected(picture));
    EXPECT_EQ(host.errors, std::vector<std::string>{});
    EXPECT_EQ(host.saved, std::vector<std::string>{folder / "Pic9.PNG"});
    EXPECT_EQ(host.number, 10);
    EXPECT_EQ(host.cutsEnded, 2);
    const auto kept = ReadAll(folder / "Pic8.PNG");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the user's own");
    EXPECT_FALSE(ReadAll(folder / "Pic9.PNG").empty());

    const std::string gone = folder / "gone";
    host.answer = gone + "\\x.BMP";
    ASSERT_TRUE(CreateDirectoryW(win::Wide(gone).c_str(), nullptr));
    commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(2, 2)));
    ASSERT_TRUE(DeleteFileW(win::Wide(host.answer).c_str()) &&
                RemoveDirectoryW(win::Wide(gone).c_str()));
    commands.mnuPopupQuickSave_Click(Selected(picture));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(gone), std::string::npos) << host.errors[0];
    EXPECT_EQ(host.number, 11);
    EXPECT_EQ(host.cutsEnded, 3) << "the cut stays up";
}

// A pinned picture's Copy and Save as PNG (saving: pin_test): as the menu's, no cut to end.
TEST_F(OutputCommands, APinnedPicturesCommandsEndNoCut) {
    Host host;
    SelectionCommands commands(host, host.number);
    const Image picture = PatternImage(6, 4);
    commands.SavePicturePng(picture); // cancelled
    commands.CopyPicture(picture);
    const win::OpenedClipboard clipboard(nullptr);
    ASSERT_TRUE(clipboard.is_open());
    EXPECT_EQ(ImageOfBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))).width(), 6);
    EXPECT_EQ(host.cutsEnded, 0);
    EXPECT_EQ(host.number, 3);
    EXPECT_EQ(host.errors, std::vector<std::string>{});
}

// The registry refuses the running number, or the desktop settings: the file is kept and the
// message says what could not be done and why.
TEST_F(OutputCommands, RefusedSettingsAreReported) {
    const struct {
        const char* key;
        bool wallpaper;
        const char* told;
        DWORD reason;
    } cases[] = {
        {"Software\\VB and VBA Program Settings\\Snarvik", false, "could not be stored",
         ERROR_CHILD_MUST_BE_VOLATILE},
        {"Control Panel", true, "wallpaper", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        TempFolder folder;
        Host host;
        host.answer = folder / "kept.BMP";
        MakeVolatile(c.key);
        SelectionCommands commands(host, host.number);
        if (c.wallpaper) {
            commands.mnuPopupSetAsWallpaperMode_Click(kWallpaperTile, Selected(PatternImage(8, 8)));
        } else {
            commands.mnuPopupSaveBitmap_Click(Selected(PatternImage(8, 8)));
        }
        // With the keys made volatile on the way to it.
        RegDeleteTreeA(HKEY_CURRENT_USER,
                       std::string(c.key).substr(0, std::string(c.key).find('\\')).c_str());
        EXPECT_EQ(ReadAll(host.answer).size(), 54u + 8 * 24);
        EXPECT_EQ(host.cutsEnded, 1);
        ASSERT_EQ(host.errors.size(), 1u) << ::testing::PrintToString(host.errors);
        EXPECT_NE(host.errors[0].find(c.told), std::string::npos) << host.errors[0];
        EXPECT_NE(host.errors[0].find(c.reason ? win::SystemMessage(c.reason) : host.answer),
                  std::string::npos)
            << host.errors[0];
    }
}

} // namespace
} // namespace snarvik
