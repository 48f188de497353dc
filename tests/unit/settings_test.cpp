#include "app/settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace snarvik::settings {
namespace {

struct ParseCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(SettingsText, ParsesWholeNumbersAndRefusesEverythingElse) {
    const ParseCase cases[] = {
        {"1", 1},
        {"0", 0},
        {"  42  ", 42},
        {"\t7", 7},
        {"+5", 5},
        {"-12", -12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"1.5", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"- 1", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInt32(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(SettingsText, KeyPathIsTheConventionalStore) {
    EXPECT_EQ(KeyPath(kAppName, kSection),
              "Software\\VB and VBA Program Settings\\Snarvik\\Settings");
}

} // namespace
} // namespace snarvik::settings
