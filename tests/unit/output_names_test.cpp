#include "output/file_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>

namespace snarvik {
namespace {

TEST(OutputNames, ExtensionIsForcedUnlessPresentInAnyCase) {
    const struct {
        const char* name;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"a", ".BMP", "a.BMP"},
        {"C:\\pics\\x.Ico", ".ICO", "C:\\pics\\x.Ico"},
        {"shot.png", ".BMP", "shot.png.BMP"},
        {".BMP", ".BMP", ".BMP"},   // exactly four characters
        {"BMP", ".BMP", "BMP.BMP"}, // fewer than four
        {"a.bmp ", ".BMP", "a.bmp .BMP"},
        {"x", ".cur", "x.CUR"}, // appended in upper case whatever the caller passes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ForceExtension(c.name, c.extension), c.expected) << c.name << " " << c.extension;
    }
}

TEST(OutputNames, NumberAdvancesAndWrapsAtTheTop) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(NextNumber(-1), 0);
    EXPECT_EQ(NextNumber(max), min);
    EXPECT_EQ(DefaultName(FileKind::Cursor, min), "Cursor-2147483648.CUR");
}

// Names taken on disk are passed over, whatever made them; the count goes on past the top.
TEST(OutputNames, TheFirstFreeNumberPassesOverTakenNames) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::set<std::string> taken{"Pic7.PNG", "Pic8.PNG", "Pic10.PNG", "Pic2147483647.PNG"};
    const auto isTaken = [&](const std::string& name) {
        return taken.count(name) != 0;
    };
    EXPECT_EQ(FreeNumber(FileKind::Png, 6, isTaken), 6);
    EXPECT_EQ(FreeNumber(FileKind::Png, 7, isTaken), 9);
    EXPECT_EQ(FreeNumber(FileKind::Png, max, isTaken), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FreeNumber(FileKind::Bitmap, 7, isTaken), 7);
    EXPECT_EQ(FreeNumber(FileKind::Png, 1, [](const std::string&) { return true; }), std::nullopt);
}

} // namespace
} // namespace snarvik
