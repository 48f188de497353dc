#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/com.h"
#include "shell/mCreateShortcut.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace snarvik;
using namespace std::chrono_literals;
using testing_support::WriteAll;

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesW(win::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The shortcut's target and working folder as the shell's own link object reads them. The
// target comes from the link's item-id list: Wine reads the other copy, in the location block,
// only in the ANSI code page.
std::pair<std::string, std::string> Resolve(const std::string& link) {
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"?";
    wchar_t folder[MAX_PATH] = L"?";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(win::Wide(link).c_str(), STGM_READ))) {
        ITEMIDLIST* list = nullptr;
        if (SUCCEEDED(shellLink->GetIDList(&list))) {
            SHGetPathFromIDListW(list, target);
            CoTaskMemFree(list);
        }
        shellLink->GetWorkingDirectory(folder, MAX_PATH);
    }
    if (file != nullptr) {
        file->Release();
    }
    if (shellLink != nullptr) {
        shellLink->Release();
    }
    return {win::Utf8(target), win::Utf8(folder)};
}

struct Shown {
    std::string text, caption;
    UINT type = 0;
};

class ShellShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = m_scratch.path();
        m_target = m_folder + "\\snvtarget.exe";
        WriteAll(m_target, "x");
        m_recent = mCreateShortcut::GetSpecialFolderPath(nullptr, mCreateShortcut::kRecentFolder);
        ASSERT_FALSE(m_recent.empty());
        m_shellLink = m_recent + "\\snvtarget.exe.lnk";
        m_options.linkWait = 500ms;
        m_options.message = [this](HWND, const std::string& text, const std::string& caption,
                                   UINT type) {
            m_shown.push_back({text, caption, type});
            return IDOK;
        };
    }
    void TearDown() override { RemoveDirectoryW(win::Wide(m_shellLink).c_str()); }

    const win::ComApartment m_com; // as the program's start sets it up
    testing_support::TempFolder m_scratch;
    std::string m_folder, m_target, m_recent, m_shellLink;
    mCreateShortcut::WaitOptions m_options;
    std::vector<Shown> m_shown;
};

} // namespace

// The shell's own link object writes the shortcut where its recent-documents shortcut cannot
// serve: here, one that never comes (names outside the ANSI code page: end to end).
TEST_F(ShellShortcut, ShortcutResolvesWhenTheShellsOwnNeverComes) {
    if (!testing_support::UnderWine()) {
        GTEST_SKIP() << "changes the user's Recent folder: runs only under Wine";
    }
    // A folder in the way: the shell can never write its shortcut to snvtarget.exe.
    ASSERT_TRUE(CreateDirectoryW(win::Wide(m_shellLink).c_str(), nullptr));
    ASSERT_TRUE(mCreateShortcut::CreateShortcut(nullptr, m_folder, "Snv link", m_target, "",
                                                m_folder, 0, "", 0, m_options));
    EXPECT_EQ(Resolve(m_folder + "\\Snv link.lnk"), std::pair(m_target, m_folder));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(ShellShortcut, MissingFolderIsReportedAndTheShellNotAsked) {
    const std::string missing = m_folder + "\\nowhere";
    EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, missing, "x", m_target, "", "", 0, "", 0,
                                                 m_options));
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, "Le r\u00e9pertoire '" + missing + "' est introuvable.");
    EXPECT_EQ(m_shown[0].caption, "Cr\u00e9ation d'un raccrourci");
    EXPECT_EQ(m_shown[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(Exists(m_shellLink));
}
