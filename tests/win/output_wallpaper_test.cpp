#include <windows.h>

#include "app/win32.h"
#include "output/mChangeWallpaper.h"
#include "output/save_picture.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace snarvik {
namespace {

using testing_support::Pattern;
using testing_support::TempFolder;

constexpr const char* kDesktop = "Control Panel\\desktop";

struct StringValue {
    DWORD type = 0;
    std::string data; // as stored, including any terminating NUL
};

std::optional<StringValue> ReadValue(HKEY root, const char* key, const char* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const win::UniqueKey owned(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(owned.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    if (RegQueryValueExA(owned.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    return StringValue{type, data};
}

// The desktop settings of whoever runs the tests are put back afterwards.
class OutputWallpaper : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) {
            saved_.push_back(ReadValue(HKEY_CURRENT_USER, kDesktop, name));
        }
    }
    void TearDown() override {
        const std::optional<StringValue>& wallpaper = saved_[2];
        std::string old = wallpaper ? std::string(wallpaper->data.c_str()) : std::string();
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, old.data(), SPIF_UPDATEINIFILE);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        const win::UniqueKey owned(key);
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i]) {
                RegSetValueExA(key, kNames[i], 0, saved_[i]->type,
                               reinterpret_cast<const BYTE*>(saved_[i]->data.data()),
                               static_cast<DWORD>(saved_[i]->data.size()));
            } else {
                RegDeleteValueA(key, kNames[i]);
            }
        }
    }

    static std::optional<StringValue> Desktop(const char* name) {
        return ReadValue(HKEY_CURRENT_USER, kDesktop, name);
    }

    TempFolder folder_;

private:
    static constexpr const char* kNames[] = {"TileWallpaper", "WallpaperStyle", "Wallpaper"};
    std::vector<std::optional<StringValue>> saved_;
};

TEST_F(OutputWallpaper, EachModeLeavesItsValuesAndTheWallpaper) {
    struct Case {
        std::int16_t mode;
        const char* tile; // nullptr: the values are left as they were
        const char* style;
    };
    const Case cases[] = {
        {1, "1", "0"}, {2, "0", "0"}, {3, "0", "2"}, {0, nullptr, nullptr}, {7, nullptr, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        ASSERT_TRUE(mChangeWallpaper::SetRegistryString(HKEY_CURRENT_USER, kDesktop,
                                                        "TileWallpaper", "before"));
        ASSERT_TRUE(mChangeWallpaper::SetRegistryString(HKEY_CURRENT_USER, kDesktop,
                                                        "WallpaperStyle", "before"));
        const std::string path = folder_ / ("Pic" + std::to_string(c.mode) + ".BMP");
        ASSERT_TRUE(SavePicture(path, Pattern(8, 6), FileKind::Bitmap).ok);

        const mChangeWallpaper::Outcome outcome = mChangeWallpaper::ChangeWallpaper(path, c.mode);
        EXPECT_TRUE(outcome.accepted) << outcome.Message(path);
        EXPECT_TRUE(outcome.Message(path).empty());

        const auto tile = Desktop("TileWallpaper");
        const auto style = Desktop("WallpaperStyle");
        ASSERT_TRUE(tile && style);
        // REG_SZ, with the terminating NUL counted in the size.
        EXPECT_EQ(tile->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(style->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(tile->data, std::string(c.tile ? c.tile : "before") + '\0');
        EXPECT_EQ(style->data, std::string(c.style ? c.style : "before") + '\0');
        const auto wallpaper = Desktop("Wallpaper");
        ASSERT_TRUE(wallpaper);
        EXPECT_EQ(std::string(wallpaper->data.c_str()), path);
    }
}

TEST(OutputRegistry, SetRegistryStringCreatesTheKeyAndReportsFailure) {
    const char* key = "Software\\SnarvikOutputTest\\Created";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SnarvikOutputTest");
    ASSERT_TRUE(mChangeWallpaper::SetRegistryString(HKEY_CURRENT_USER, key, "Name", "value"));
    const auto stored = ReadValue(HKEY_CURRENT_USER, key, "Name");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->data, std::string("value") + '\0');
    ASSERT_TRUE(mChangeWallpaper::SetRegistryString(HKEY_CURRENT_USER, key, "Name", ""));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "Name")->data, std::string(1, '\0'));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SnarvikOutputTest");

    // A root that is no open key: nothing written, and the caller can tell.
    EXPECT_FALSE(mChangeWallpaper::SetRegistryString(reinterpret_cast<HKEY>(std::uintptr_t{0x1234}),
                                                     "Whatever", "Name", "value"));
}

} // namespace
} // namespace snarvik
