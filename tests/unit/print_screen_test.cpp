// Which balloon a start shows about Print Screen for which state of the system's settings, what
// follows the user's click, how OneDrive's file is read, and which startup entries are off.
#include "app/startup_entry.h"
#include "tray/print_screen_notice.h"

#include <gtest/gtest.h>

#include <string>

namespace snarvik {
namespace {

using N = PrintScreenNotice;

TEST(PrintScreenNotice, NamesTheLikelyHolderOnce) {
    constexpr std::uint32_t win10 = 19045, win11 = 22000;
    const struct {
        bool registered;
        std::optional<std::uint32_t> setting;
        std::uint32_t build;
        bool oneDrive;
        N notice;
    } cases[] = {
        {false, 1, win10, false, N::SystemCapture}, // turned on by the user on Windows 10
        {false, 1, win11, true, N::SystemCapture},  // the system's is the likelier holder
        {false, 7, win11, false, N::SystemCapture},
        {false, std::nullopt, win11, false, N::SystemCapture}, // on by default there
        {false, std::nullopt, 21996, false, N::OtherProgram},  // an Insider build before 11
        {false, std::nullopt, win10, true, N::OneDrive},
        {false, 0, win11, true, N::OneDrive},
        {true, std::nullopt, win11, false, N::SystemCaptureMay},
        {true, 0, win11, true, N::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NoticeAtStart({c.registered, c.setting, c.build, c.oneDrive}), c.notice)
            << c.registered << " " << c.setting.value_or(99) << " " << c.build << " " << c.oneDrive;
    }
}

TEST(PrintScreenNotice, AClickOnTheSystemsBalloonLeadsToOneMore) {
    EXPECT_EQ(NoticeAfterSettingOff(false, true), N::None);
    EXPECT_EQ(NoticeAfterSettingOff(false, false), N::AfterSignIn);
    EXPECT_EQ(NoticeAfterSettingOff(true, true), N::AfterSignInMay);
    for (const N notice : {N::None, N::SystemCapture, N::SystemCaptureMay, N::OneDrive,
                           N::OtherProgram, N::AfterSignIn, N::AfterSignInMay}) {
        const bool offered = notice == N::SystemCapture || notice == N::SystemCaptureMay;
        EXPECT_EQ(ClickTurnsSystemCaptureOff(notice), offered) << static_cast<int>(notice);
        // A balloon holds 255 characters.
        EXPECT_EQ(NoticeText(notice).empty(), notice == N::None) << static_cast<int>(notice);
        EXPECT_LT(NoticeText(notice).size(), 256u) << static_cast<int>(notice);
    }
}

TEST(PrintScreenNotice, ReadsOneDrivesScreenshotSetting) {
    using namespace std::string_literals;
    const struct {
        std::string file;
        bool saves;
    } cases[] = {
        {"0\n2\n", true},
        {"1\r\n2\r\n0\r\n", true},
        {"1\n 2 \n", true},
        {"\xEF\xBB\xBF"s + "1\n2", true},
        {"\xFF\xFE"s + "1\0\r\0\n\0002\0\r\0\n\0"s, true}, // UTF-16
        {"1\n20\n", false},
        {"1\n\n2\n", false},
        {"2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OneDriveSavesScreenshots(c.file), c.saves) << c.file;
    }
}

TEST(StartupEntry, OnlyAnOddFirstByteIsTheUsersNo) {
    EXPECT_FALSE(StartupEntryDisabled({}));
    EXPECT_FALSE(StartupEntryDisabled({2, 0, 0, 0}));
    EXPECT_TRUE(StartupEntryDisabled({3, 0, 0, 0, 0x10, 0x4F, 0x7E, 0x3A, 0x55, 0xC1, 0xD9, 1}));
}

} // namespace
} // namespace snarvik
