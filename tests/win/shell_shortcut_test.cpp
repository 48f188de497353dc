#include <windows.h>
#include <shlobj.h>

#include "shell/mCreateShortcut.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

using namespace snarvik;
using namespace std::chrono_literals;

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Shown {
    std::wstring text, caption;
    UINT type = 0;
};

class ShellShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = m_scratch.path();
        m_target = m_folder + "\\snvtarget.exe";
        std::ofstream(m_target) << "x";
        m_recent = mCreateShortcut::GetSpecialFolderPath(nullptr, 8);
        ASSERT_FALSE(m_recent.empty());
        m_shellLink = m_recent + "\\snvtarget.exe.lnk";
        DeleteFileA(m_shellLink.c_str());
        m_options.promptAfter = 300ms;
        m_options.contentLimit = 300ms;
        m_options.message = [this](HWND, const std::wstring& text, const std::wstring& caption,
                                   UINT type) {
            m_shown.push_back({text, caption, type});
            return m_answers.empty() ? IDCANCEL : m_answers[m_shown.size() - 1];
        };
    }
    void TearDown() override {
        SetFileAttributesA(m_shellLink.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(m_shellLink.c_str());
    }

    testing_support::TempFolder m_scratch;
    std::string m_folder, m_target, m_recent, m_shellLink;
    mCreateShortcut::WaitOptions m_options;
    std::vector<Shown> m_shown;
    std::vector<int> m_answers;
};

} // namespace

TEST_F(ShellShortcut, MissingFolderIsReportedAndTheShellNotAsked) {
    const std::string missing = m_folder + "\\nowhere";
    EXPECT_FALSE(mCreateShortcut::CreateShortcut(nullptr, missing, "x", m_target, "", "", 0, "", 0,
                                                 m_options));
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, L"Le r\u00e9pertoire '" +
                                   std::wstring(missing.begin(), missing.end()) +
                                   L"' est introuvable.");
    EXPECT_EQ(m_shown[0].caption, L"Cr\u00e9ation d'un raccrourci");
    EXPECT_EQ(m_shown[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(Exists(m_shellLink));
}

TEST_F(ShellShortcut, WaitPromptRepeatsUntilCancelled) {
    // A folder in the way: the shell can never write its shortcut there.
    ASSERT_TRUE(CreateDirectoryA(m_shellLink.c_str(), nullptr));
    m_answers = {IDOK, IDOK, IDCANCEL};
    const bool written = mCreateShortcut::CreateShortcut(nullptr, m_folder, "x", m_target, "", "",
                                                         0, "", 0, m_options);
    RemoveDirectoryA(m_shellLink.c_str());
    EXPECT_FALSE(written);
    ASSERT_EQ(m_shown.size(), 3u);
    for (const auto& box : m_shown) {
        EXPECT_EQ(box.text, L"Attendre encore la cr\u00e9ation du raccourci ?");
        EXPECT_EQ(box.caption, L"Raccourci");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1));
    }
    EXPECT_EQ(m_scratch.Files(), std::vector<std::string>{"snvtarget.exe"});
}
