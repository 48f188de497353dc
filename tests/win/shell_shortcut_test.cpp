#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "shell/mCreateShortcut.h"
#include "test_support.h"
#include "shell/mWebLink.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace snarvik;
using namespace std::chrono_literals;

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LoadedLink {
    std::string path, workingDir, arguments, iconFile;
    int iconIndex = -1;
};

// Reads a shortcut back through the shell's own link object.
bool LoadLink(const std::string& file, LoadedLink& out) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
    if (ok) {
        const std::wstring wide(file.begin(), file.end());
        ok = SUCCEEDED(persist->Load(wide.c_str(), STGM_READ));
        persist->Release();
    }
    if (ok) {
        char text[MAX_PATH] = {};
        link->GetPath(text, MAX_PATH, nullptr, 0);
        out.path = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, MAX_PATH);
        out.workingDir = text;
        text[0] = 0;
        link->GetArguments(text, MAX_PATH);
        out.arguments = text;
        text[0] = 0;
        link->GetIconLocation(text, MAX_PATH, &out.iconIndex);
        out.iconFile = text;
    }
    link->Release();
    return ok;
}

struct Shown {
    std::wstring text, caption;
    UINT type = 0;
};

class ShellShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        folder_ = scratch_.path();
        target_ = folder_ + "\\snvtarget.exe";
        std::ofstream(target_) << "x";
        recent_ = mCreateShortcut::GetSpecialFolderPath(nullptr, 8);
        ASSERT_FALSE(recent_.empty());
        shellLink_ = recent_ + "\\snvtarget.exe.lnk";
        DeleteFileA(shellLink_.c_str());
        options_.promptAfter = 300ms;
        options_.contentLimit = 300ms;
        options_.message = [this](HWND, const std::wstring& text, const std::wstring& caption,
                                  UINT type) {
            shown_.push_back({text, caption, type});
            return answers_.empty() ? IDCANCEL : answers_[shown_.size() - 1];
        };
    }
    void TearDown() override {
        SetFileAttributesA(shellLink_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(shellLink_.c_str());
        CoUninitialize();
    }

    testing_support::TempFolder scratch_;
    std::string folder_, target_, recent_, shellLink_;
    mCreateShortcut::WaitOptions options_;
    std::vector<Shown> shown_;
    std::vector<int> answers_;
};

} // namespace

TEST_F(ShellShortcut, WrittenShortcutsLoadBack) {
    const std::string startup = mCreateShortcut::GetSpecialFolderPath(nullptr, 7);
    ASSERT_FALSE(startup.empty());
    struct Case {
        const char* name;
        mCreateShortcut::ShortcutFolder where;
        std::string folder;
        std::string arguments, workingDir, iconFile;
        int iconIndex, showCommand;
        std::string expectIcon;
    };
    const Case cases[] = {
        {"temp folder, everything", folder_, folder_, "-a \"b c\"", folder_,
         "C:\\windows\\notepad.exe", 2, SW_SHOWMINNOACTIVE, "C:\\windows\\notepad.exe"},
        {"startup as number", 7, startup, "", folder_, "", 0, SW_SHOWNORMAL, ""},
        {"startup as text", std::string("7"), startup, "", "", "", 3, SW_SHOWMAXIMIZED, target_},
    };
    for (const auto& c : cases) {
        const std::string link = c.folder + "\\Snv test link.lnk";
        DeleteFileA(link.c_str());
        ASSERT_TRUE(mCreateShortcut::CreateShortcut(nullptr, c.where, "Snv test link", target_,
                                                    c.arguments, c.workingDir, c.iconIndex,
                                                    c.iconFile, c.showCommand, options_))
            << c.name;
        EXPECT_TRUE(shown_.empty()) << c.name;
        EXPECT_FALSE(Exists(shellLink_)) << c.name << ": shell's shortcut left in Recent";
        LoadedLink loaded;
        ASSERT_TRUE(LoadLink(link, loaded)) << c.name;
        EXPECT_EQ(_stricmp(loaded.path.c_str(), target_.c_str()), 0)
            << c.name << ": " << loaded.path;
        EXPECT_EQ(loaded.workingDir, c.workingDir) << c.name;
        EXPECT_EQ(loaded.arguments, c.arguments) << c.name;
        EXPECT_EQ(loaded.iconFile, c.expectIcon) << c.name;
        EXPECT_EQ(loaded.iconIndex, c.iconIndex) << c.name;
        // Wine's link object reports every show command as 1, so read the field itself.
        std::ifstream file(link, std::ios::binary);
        unsigned char show[4] = {};
        file.seekg(60).read(reinterpret_cast<char*>(show), 4);
        EXPECT_EQ(show[0] | show[1] << 8 | show[2] << 16 | show[3] << 24, c.showCommand) << c.name;
        file.close();
        // The first shortcut, with every string, is left for an outside reader when asked.
        if (const char* keep = std::getenv("SNARVIK_KEEP_SHORTCUT"); keep && *keep && &c == cases) {
            CopyFileA(link.c_str(), keep, FALSE);
        }
        DeleteFileA(link.c_str());
    }
}

TEST_F(ShellShortcut, MissingFolderIsReportedAndTheShellNotAsked) {
    const std::string missing = folder_ + "\\nowhere";
    EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, missing, "x", target_, "", "", 0, "", 0,
                                                 options_));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, L"Le r\u00e9pertoire '" +
                                  std::wstring(missing.begin(), missing.end()) +
                                  L"' est introuvable.");
    EXPECT_EQ(shown_[0].caption, L"Cr\u00e9ation d'un raccrourci");
    EXPECT_EQ(shown_[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(Exists(shellLink_));
}

TEST_F(ShellShortcut, RefusedValuesStopBeforeTheShell) {
    struct Case {
        const char* name;
        std::string arguments;
        int iconIndex, showCommand;
    };
    const Case cases[] = {
        {"long arguments", std::string(256, 'a'), 0, 0},
        {"icon index", "", 256, 0},
        {"negative icon index", "", -1, 0},
        {"show command", "", 0, 256},
    };
    for (const auto& c : cases) {
        shown_.clear();
        EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, folder_, "x", target_, c.arguments,
                                                     "", c.iconIndex, "", c.showCommand, options_));
        ASSERT_EQ(shown_.size(), 1u) << c.name;
        EXPECT_EQ(shown_[0].caption, L"Shortcut") << c.name;
        EXPECT_FALSE(Exists(shellLink_)) << c.name;
        EXPECT_FALSE(Exists(folder_ + "\\x.lnk")) << c.name;
    }
}

TEST_F(ShellShortcut, UnusableShellShortcutWritesNothing) {
    // Left in Recent earlier: the wait ends at once and the file is examined.
    std::ofstream(shellLink_, std::ios::binary) << "not a shell link at all, just some text";
    // Read-only, so the shell cannot replace it with a good one before it is examined.
    SetFileAttributesA(shellLink_.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, folder_, "x", target_, "", "", 0, "", 0,
                                                 options_));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find(L"cannot be copied"), std::wstring::npos);
    EXPECT_EQ(scratch_.Files(), std::vector<std::string>{"snvtarget.exe"});
}

TEST_F(ShellShortcut, WriteFailureLeavesNoPartialFile) {
    EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, folder_, "bad|name", target_, "", "", 0,
                                                 "", 0, options_));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find(L"Could not write"), std::wstring::npos);
    EXPECT_EQ(scratch_.Files(), std::vector<std::string>{"snvtarget.exe"});
}

TEST_F(ShellShortcut, WaitPromptRepeatsUntilCancelled) {
    // A folder in the way: the shell can never write its shortcut there.
    ASSERT_TRUE(CreateDirectoryA(shellLink_.c_str(), nullptr));
    answers_ = {IDOK, IDOK, IDCANCEL};
    const bool written =
        mCreateShortcut::CreateShortcut(nullptr, folder_, "x", target_, "", "", 0, "", 0, options_);
    RemoveDirectoryA(shellLink_.c_str());
    EXPECT_FALSE(written);
    ASSERT_EQ(shown_.size(), 3u);
    for (const auto& box : shown_) {
        EXPECT_EQ(box.text, L"Attendre encore la cr\u00e9ation du raccourci ?");
        EXPECT_EQ(box.caption, L"Raccourci");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1));
    }
    EXPECT_EQ(scratch_.Files(), std::vector<std::string>{"snvtarget.exe"});
}

TEST_F(ShellShortcut, OpenWebLinkHandsTheTargetToTheShell) {
    // A command file stands in for a page: opening it leaves a marker behind.
    const std::string marker = folder_ + "\\opened.txt";
    const std::string script = folder_ + "\\open.cmd";
    std::ofstream(script) << "@echo opened> \"" << marker << "\"\r\n";
    mWebLink::OpenWebLink(nullptr, script);
    for (int i = 0; i < 200 && !Exists(marker); ++i) {
        Sleep(50);
    }
    EXPECT_TRUE(Exists(marker));
}
