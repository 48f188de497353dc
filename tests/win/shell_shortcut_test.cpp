#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/com.h"
#include "shell/mCreateShortcut.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    win::ComPtr<IShellLinkW> shellLink;
    win::ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = L"?";
    wchar_t folder[MAX_PATH] = L"?";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shellLink.put_void())) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.put_void())) &&
        SUCCEEDED(file->Load(win::Wide(link).c_str(), STGM_READ))) {
        ITEMIDLIST* list = nullptr;
        if (SUCCEEDED(shellLink->GetIDList(&list))) {
            SHGetPathFromIDListW(list, target);
            CoTaskMemFree(list);
        }
        shellLink->GetWorkingDirectory(folder, MAX_PATH);
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

namespace {

// A thread timer's ticks during the wait; a quit posted at the third, when asked to.
std::vector<DWORD> gTicks;
bool gQuitAtThird = false;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    gTicks.push_back(GetTickCount());
    if (gQuitAtThird && gTicks.size() == 3) {
        PostQuitMessage(7);
    }
}

} // namespace

// The wait for the shell's shortcut handles the thread's messages, so the program's window
// stays responsive; Exit chosen meanwhile (a quit, or the caller saying so) ends the wait with
// nothing written and nothing shown, and the quit stays for the program's own loop.
TEST_F(ShellShortcut, TheWaitHandlesMessagesAndEndsWhenTheProgramQuits) {
    if (!testing_support::UnderWine()) {
        GTEST_SKIP() << "changes the user's Recent folder: runs only under Wine";
    }
    ASSERT_TRUE(CreateDirectoryW(win::Wide(m_shellLink).c_str(), nullptr)); // never comes
    m_options.linkWait = 1000ms;
    const std::string link = m_folder + "\\Snv link.lnk";
    enum class Quit { Never, Posted, Said };
    for (const Quit quit : {Quit::Never, Quit::Posted, Quit::Said}) {
        const char* const names[] = {"no quit", "a quit posted", "quitting said"};
        SCOPED_TRACE(names[static_cast<int>(quit)]);
        gTicks.clear();
        gQuitAtThird = quit == Quit::Posted;
        m_options.quitting = [quit] {
            return quit == Quit::Said && gTicks.size() >= 3;
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &Tick);
        const bool written = mCreateShortcut::CreateShortcut(nullptr, m_folder, "Snv link",
                                                             m_target, "", "", 0, "", 0, m_options);
        const DWORD end = GetTickCount();
        KillTimer(nullptr, timer);
        MSG msg{};
        const bool quitQueued = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        EXPECT_EQ(written, quit == Quit::Never);
        EXPECT_EQ(Exists(link), quit == Quit::Never);
        EXPECT_TRUE(m_shown.empty());
        EXPECT_EQ(quitQueued, quit == Quit::Posted);
        EXPECT_EQ(msg.wParam, quitQueued ? 7u : 0u);
        if (quit == Quit::Never) {
            // Ticks all through the wait, none held up for long (the shell's one call before
            // it takes its own time).
            ASSERT_GE(gTicks.size(), 10u);
            DWORD longest = 0;
            for (std::size_t i = 1; i < gTicks.size(); ++i) {
                longest = std::max<DWORD>(longest, gTicks[i] - gTicks[i - 1]);
            }
            EXPECT_LT(longest, 250u);
            EXPECT_GE(gTicks.back() - gTicks.front(), 700u);
        } else {
            ASSERT_GE(gTicks.size(), 3u);
            EXPECT_LT(end - gTicks[2], 300u) << "the wait went on after the third tick's quit";
        }
        DeleteFileW(win::Wide(link).c_str());
    }
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
