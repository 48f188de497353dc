#include "base/settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace snarvik::settings {
namespace {

TEST(SettingsText, ParsesWholeNumbersAndRefusesEverythingElse) {
    const struct {
        const char* text;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {"  42  ", 42},
        {"\t7", 7},
        {"-12", -12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1.5", std::nullopt},
        {"- 1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInt32(c.text), c.expected) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace snarvik::settings
