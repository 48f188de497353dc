#include "tray/tray_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace snarvik {
namespace {

TEST(TrayTipField, TextThenNulThenBlanks) {
    for (const std::size_t length : {0u, 25u, 63u, 64u, 70u}) {
        std::string tip;
        for (std::size_t i = 0; i < length; ++i) {
            tip.push_back(static_cast<char>('a' + i % 26));
        }
        const std::size_t kept = std::min<std::size_t>(length, 63);
        const TipField field = MakeTipField(tip);
        EXPECT_EQ(std::string(field.data(), kept), tip.substr(0, kept)) << length;
        EXPECT_EQ(field[kept], '\0') << length;
        EXPECT_EQ(std::string(field.data() + kept + 1, 63 - kept), std::string(63 - kept, ' '))
            << length;
    }
}

TEST(TrayHiWord, ReadsBits16To31AsSigned) {
    struct Case {
        std::uint64_t value;
        std::int16_t expected;
    };
    const Case cases[] = {
        {0x00002003u, 0},  {0x00012001u, 1},     {0x80000000u, -32768},
        {0xFFFF0000u, -1}, {0x7FFF1234u, 32767}, {0xABCD00000000ull | 0x00052000u, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HiWord(c.value), c.expected) << std::hex << c.value;
    }
}

TEST(TrayHook, DecidesPerMessage) {
    using K = HookActionKind;
    struct Case {
        const char* what;
        std::uint32_t message;
        std::uint64_t wParam;
        std::int64_t lParam;
        HookAction expected;
    };
    const Case cases[] = {
        {"hotkey with atom id", 0x312, 0xC123, 0x2C0000, {K::MainMenuClick, 2, 0, 0}},
        {"hotkey with id 0", 0x312, 0, 0, {K::MainMenuClick, 2, 0, 0}},
        {"tray menu 64x64", 0x111, 0x2003, 0, {K::RaiseMenuClick, 3, 0, 0}},
        {"tray menu first item", 0x111, 0x2000, 0, {K::RaiseMenuClick, 0, 0, 0}},
        {"tray menu exit", 0x111, 0x2006, 0, {K::RaiseMenuClick, 6, 0, 0}},
        {"accelerator", 0x111, 0x00012001u, 0, {}},
        {"negative high word", 0x111, 0x80002001u, 0, {}},
        {"own menu without 0x2000", 0x111, 0x1003, 0, {}},
        {"control notification", 0x111, 0x03002003u, 0x1234, {}},
        {"callback left down", 0x465, 0, 0x201, {K::RaiseMouseEvent, 0, 0x201, 0}},
        {"callback id passes", 0x465, 7, 0x205, {K::RaiseMouseEvent, 0, 0x205, 7}},
        {"callback middle down", 0x465, 0, 0x207, {K::RaiseMouseEvent, 0, 0x207, 0}},
        {"other message", 0x464, 0, 0x201, {}},
        {"paint", 0x000F, 0x2003, 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideHookAction(c.message, c.wParam, c.lParam), c.expected) << c.what;
    }
}

TEST(TrayMouse, MapsCallbackMessages) {
    using E = TrayMouseEvent;
    struct Case {
        std::uint32_t message;
        TrayMouseAction expected;
    };
    const Case cases[] = {
        {0x200, {E::MouseMove, 0}},
        {0x201, {E::MouseDown, 1}},
        {0x204, {E::MouseDown, 2}},
        {0x202, {E::MouseUp, 1}},
        {0x205, {E::MouseUp, 2}},
        {0x203, {E::MouseDblClick, 1}},
        {0x206, {E::MouseDblClick, 2}},
        {0x207, {}},
        {0x208, {}},
        {0x209, {}},
        {0x1FF, {}},
        {0x20A, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapTrayMouseMessage(c.message), c.expected) << std::hex << c.message;
    }
}

// Each text item's command, as the hook computes it, is the command its text names.
TEST(TrayMenuTable, ItemsReachTheirCommands) {
    using K = TrayCommandKind;
    const TrayCommand byPosition[] = {
        {K::OpenHomePage, 0},
        {K::OpenHelp, 0},
        {K::StartCut, 0},
        {K::StartCut, 64},
        {K::StartCut, 32},
        {K::StartCut, 16},
        {},
        {K::Exit, 0},
    };
    for (std::size_t i = 0; i < kTrayMenu.size(); ++i) {
        if (kTrayMenu[i].flags == kMenuSeparator) {
            continue;
        }
        const HookAction action = DecideHookAction(kCommandMessage, kTrayMenu[i].id, 0);
        ASSERT_EQ(action.kind, HookActionKind::RaiseMenuClick) << "position " << i;
        EXPECT_EQ(TrayCommandFor(action.index), byPosition[i]) << "position " << i;
    }
}

TEST(TrayCommands, OthersRunNothing) {
    for (const std::int16_t index : {std::int16_t{-1}, std::int16_t{7}, std::int16_t{99},
                                     std::int16_t{-32768}, std::int16_t{32767}}) {
        EXPECT_EQ(TrayCommandFor(index), TrayCommand{}) << index;
    }
    EXPECT_EQ(TrayCommandFor(2), (TrayCommand{TrayCommandKind::StartCut, 0}));
}

} // namespace
} // namespace snarvik
