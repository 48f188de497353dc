#include "output/file_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace snarvik {
namespace {

using namespace std::string_literals;

struct NameCase {
    FileKind kind;
    std::int32_t number;
    const char* expected;
};

TEST(OutputNames, DefaultNames) {
    const NameCase cases[] = {
        {FileKind::Bitmap, 1, "Pic1.BMP"},
        {FileKind::Icon, 2, "Icon2.ICO"},
        {FileKind::Cursor, 3, "Cursor3.CUR"},
        {FileKind::Bitmap, 0, "Pic0.BMP"},
        {FileKind::Icon, -7, "Icon-7.ICO"},
        {FileKind::Cursor, std::numeric_limits<std::int32_t>::max(), "Cursor2147483647.CUR"},
        {FileKind::Bitmap, std::numeric_limits<std::int32_t>::min(), "Pic-2147483648.BMP"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DefaultName(c.kind, c.number), c.expected);
    }
}

TEST(OutputNames, ForcedExtension) {
    struct Case {
        const char* name;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"a", ".BMP", "a.BMP"},
        {"a.Bmp", ".BMP", "a.Bmp"},
        {"shot.bmp", ".BMP", "shot.bmp"},
        {"shot", ".BMP", "shot.BMP"},
        {"shot.png", ".BMP", "shot.png.BMP"},
        {"Pic7.ICO", ".BMP", "Pic7.ICO.BMP"},
        {"C:\\pics\\x.ico", ".ICO", "C:\\pics\\x.ico"},
        {"x.cur", ".CUR", "x.cur"},
        {"x.ico", ".CUR", "x.ico.CUR"},
        {".BMP", ".BMP", ".BMP"},   // exactly four characters
        {"BMP", ".BMP", "BMP.BMP"}, // fewer than four
        {"", ".ICO", ".ICO"},
        {"a.bmp ", ".BMP", "a.bmp .BMP"},
        {"x", ".cur", "x.CUR"}, // appended in upper case whatever the caller passes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ForceExtension(c.name, c.extension), c.expected) << c.name << " " << c.extension;
    }
}

TEST(OutputNames, NumberAdvancesAndWraps) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t cases[][2] = {{1, 2},         {0, 1},     {-1, 0},
                                     {max - 1, max}, {max, min}, {min, min + 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(NextNumber(c[0]), c[1]) << c[0];
    }
}

TEST(OutputNames, FilterFollowsLastThreeCharacters) {
    struct Case {
        std::string defaultName;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Pic1.BMP", "Bitmap Files (*.BMP)\0*.BMP\0\0"s},
        {"Icon2.ICO", "Icon Files (*.ICO)\0*.ICO\0\0"s},
        {"Cursor3.CUR", "Cursor Files (*.CUR)\0*.CUR\0\0"s},
        {"BMP", "Bitmap Files (*.BMP)\0*.BMP\0\0"s},
        {"Pic1.bmp", std::nullopt}, // case matters
        {"Pic1.PNG", std::nullopt},
        {"MP", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogFilter(c.defaultName), c.expected) << c.defaultName;
    }
}

} // namespace
} // namespace snarvik
