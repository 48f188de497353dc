// Files written whole, against what the world does to them: a writer killed halfway, another
// program holding the file, a read-only file, what the user set on a replaced file.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include "base/atomic_file.h"
#include "base/win32.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <numeric>
#include <utility>

// The program's import of Sleep, through which the retries wait.
extern "C" decltype(&Sleep) __imp_Sleep;

namespace snarvik {
namespace {

using namespace testing_support;

constexpr wchar_t kDieWriting[] = L"--die-writing";
constexpr DWORD kDied = 77;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Started with kDieWriting and a path, this program is a writer that dies as in a crash or a
// logoff: its new contents written, not yet in place.
[[maybe_unused]] const bool g_diedWriting = [] {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args != nullptr && count == 3 && std::wcscmp(args[1], kDieWriting) == 0) {
        win::AtomicFile file(win::Utf8(args[2]));
        TerminateProcess(GetCurrentProcess(), file.Write(Bytes("new contents")) ? kDied : 1);
    }
    LocalFree(args);
    return false;
}();

// Runs such a writer to its end; its exit code.
DWORD RunDyingWriter(const std::string& path) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" " + kDieWriting + L" \"" + win::Wide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &child) == FALSE) {
        return GetLastError();
    }
    const win::UniqueHandle process(child.hProcess), thread(child.hThread);
    WaitForSingleObject(process.get(), 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

std::string Text(const std::string& path) {
    const auto bytes = ReadAll(path);
    return {bytes.begin(), bytes.end()};
}

bool Hidden(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// The folder's files as "name" or, when hidden, "(name)".
std::vector<std::string> Listing(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const std::string& name : folder.Files()) {
        names.push_back(Hidden(folder / name) ? "(" + name + ")" : name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, AKilledWriterLeavesTheOldFileAndTheNextWriteRemovesWhatItLeft) {
    TempFolder folder;
    const std::string picture = folder / "picture.BMP";
    ASSERT_TRUE(WriteAll(picture, "old contents"));
    // Named like ours but visible: the user's. Hidden, of a writer still at work (this one).
    char busy[32];
    wsprintfA(busy, "~snv%08lx0.tmp", GetCurrentProcessId());
    ASSERT_TRUE(WriteAll(folder / "~snv000000010.tmp", "the user's"));
    ASSERT_TRUE(WriteAll(folder / busy, "at work"));
    ASSERT_NE(SetFileAttributesW(win::Wide(folder / busy).c_str(), FILE_ATTRIBUTE_HIDDEN), FALSE);

    ASSERT_EQ(RunDyingWriter(picture), kDied);
    EXPECT_EQ(Text(picture), "old contents");
    const std::vector<std::string> left = Listing(folder);
    ASSERT_EQ(left.size(), 4u) << ::testing::PrintToString(left);
    EXPECT_EQ(std::count_if(left.begin(), left.end(),
                            [](const std::string& name) { return name[0] != '('; }),
              2)
        << "visible: " << ::testing::PrintToString(left);

    const Failed next = win::WriteFileAtomically(folder / "next.BMP", Bytes("next"));
    ASSERT_FALSE(next.has_value()) << next->Message();
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"(" + std::string(busy) + ")", "next.BMP",
                                                         "picture.BMP", "~snv000000010.tmp"}));
}

// For its life the waits between attempts are recorded, not waited, and the first one may
// first do something: another program letting go of the file.
class RecordedWaits {
public:
    explicit RecordedWaits(std::function<void()> first) : m_first(std::move(first)) {
        s_current = this;
        m_system = Swap(&Record);
    }
    ~RecordedWaits() {
        Swap(m_system);
        s_current = nullptr;
    }
    RecordedWaits(const RecordedWaits&) = delete;
    RecordedWaits& operator=(const RecordedWaits&) = delete;

    std::vector<DWORD> asked;

private:
    static void WINAPI Record(DWORD milliseconds) {
        if (s_current->asked.empty() && s_current->m_first) {
            s_current->m_first();
        }
        s_current->asked.push_back(milliseconds);
    }
    static decltype(&Sleep) Swap(decltype(&Sleep) to) {
        DWORD protection = 0;
        VirtualProtect(&__imp_Sleep, sizeof __imp_Sleep, PAGE_READWRITE, &protection);
        const auto old = std::exchange(__imp_Sleep, to);
        VirtualProtect(&__imp_Sleep, sizeof __imp_Sleep, protection, &protection);
        return old;
    }

    inline static RecordedWaits* s_current = nullptr;
    std::function<void()> m_first;
    decltype(&Sleep) m_system = nullptr;
};

// Another program holds the file open, sharing all but its deletion: tried again for about a
// second, then reported with the holder's reason; or replaced once let go. A read-only file is
// refused at once. Whatever happens, nothing of ours is left and what is there is whole.
TEST(AtomicFile, AHeldFileIsTriedAgainAndAReadOnlyOneRefused) {
    const struct {
        const char* name;
        bool held;
        bool letGo;   // after the first attempt
        DWORD reason; // 0: written
    } cases[] = {
        {"held.BMP", true, false, ERROR_SHARING_VIOLATION},
        {"let go.BMP", true, true, 0},
        {"read-only.BMP", false, false, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder / c.name;
        ASSERT_TRUE(WriteAll(path, "old contents"));
        win::UniqueFile holder;
        if (c.held) {
            holder.reset(CreateFileW(win::Wide(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
            ASSERT_TRUE(holder);
        } else {
            ASSERT_NE(SetFileAttributesW(win::Wide(path).c_str(), FILE_ATTRIBUTE_READONLY), FALSE);
        }
        Failed failed;
        std::vector<DWORD> waits;
        {
            RecordedWaits recorded([&] {
                if (c.letGo) {
                    holder.reset();
                }
            });
            failed = win::WriteFileAtomically(path, Bytes("new contents"));
            waits = recorded.asked;
        }
        holder.reset();
        const DWORD waited = std::accumulate(waits.begin(), waits.end(), DWORD{0});
        if (c.reason != 0) {
            ASSERT_TRUE(failed.has_value());
            EXPECT_NE(failed->Message().find(path), std::string::npos) << failed->Message();
            EXPECT_NE(failed->Message().find(win::SystemMessage(c.reason)), std::string::npos)
                << failed->Message();
            EXPECT_EQ(Text(path), "old contents");
            if (c.held) {
                EXPECT_TRUE(waits.size() > 2 && waited >= 800 && waited <= 1500) << waited;
            } else {
                EXPECT_EQ(waits, std::vector<DWORD>{});
            }
        } else {
            EXPECT_FALSE(failed.has_value()) << failed->Message();
            EXPECT_EQ(Text(path), "new contents");
            EXPECT_EQ(waits.size(), 1u);
        }
        EXPECT_EQ(Listing(folder), std::vector<std::string>{c.name});
    }
}

// The file's access rights as the system reads them back.
std::string Dacl(const std::string& path) {
    PSECURITY_DESCRIPTOR security = nullptr;
    wchar_t* text = nullptr;
    GetNamedSecurityInfoW(win::Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, nullptr, nullptr, &security);
    ConvertSecurityDescriptorToStringSecurityDescriptorW(security, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::string dacl = text != nullptr ? win::Utf8(text) : "?";
    LocalFree(text);
    LocalFree(security);
    return dacl;
}

FILETIME Created(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(win::Wide(path).c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

TEST(AtomicFile, AReplacedFileKeepsWhatTheUserSetOnIt) {
    if (UnderWine()) {
        GTEST_SKIP() << "Wine's ReplaceFileW keeps neither the attributes nor the creation time";
    }
    TempFolder folder;
    const std::string path = folder / "kept.BMP";
    ASSERT_TRUE(WriteAll(path, "old contents"));
    const std::wstring wide = win::Wide(path);
    PSECURITY_DESCRIPTOR security = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;FA;;;WD)", SDDL_REVISION_1, &security, nullptr)); // everyone may write
    SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, security);
    LocalFree(security);
    const FILETIME longAgo{0x12345678, 0x01C00000};
    {
        const win::UniqueFile file(CreateFileW(wide.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(SetFileTime(file.get(), &longAgo, nullptr, nullptr), FALSE);
    }
    ASSERT_NE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN), FALSE);
    const std::string dacl = Dacl(path);

    const Failed failed = win::WriteFileAtomically(path, Bytes("new contents"));
    ASSERT_FALSE(failed.has_value()) << failed->Message();
    EXPECT_EQ(Text(path), "new contents");
    EXPECT_TRUE(Hidden(path));
    EXPECT_EQ(Dacl(path), dacl);
    const FILETIME created = Created(path);
    EXPECT_EQ(CompareFileTime(&created, &longAgo), 0);
}

} // namespace
} // namespace snarvik
