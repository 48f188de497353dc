#include <windows.h>

#include "app/win32.h"
#include "output/ico.h"
#include "output/icon_pixels.h"
#include "output/save_picture.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace snarvik {
namespace {

using testing_support::Pattern;
using testing_support::ReadAll;
using testing_support::TempFolder;
using testing_support::WriteAll;

std::string Size(const Image& image) {
    std::string size = std::to_string(image.width);
    size += 'x';
    size += std::to_string(image.height);
    return size;
}

std::string FileName(const Image& image, const char* extension) {
    std::string name = "p";
    name += Size(image);
    name += extension;
    return name;
}

void ExpectSamePixels(const Image& got, const Image& expected, std::uint32_t compared) {
    ASSERT_EQ(got.width, expected.width);
    ASSERT_EQ(got.height, expected.height);
    ASSERT_EQ(got.pixels.size(), expected.pixels.size());
    for (int y = 0; y < got.height; ++y) {
        for (int x = 0; x < got.width; ++x) {
            ASSERT_EQ(got.at(x, y) & compared, expected.at(x, y) & compared)
                << "pixel " << x << "," << y;
        }
    }
}

// Windows itself loads what we wrote, at the size we wrote, with the same pixels.
TEST(OutputFiles, WindowsReadsBackIconsCursorsAndBitmaps) {
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const Image sources[] = {Pattern(1, 1),   Pattern(3, 2),     Pattern(17, 5),
                             Pattern(32, 32), Pattern(256, 256), Pattern(300, 40)};
    for (const Image& source : sources) {
        SCOPED_TRACE(Size(source));
        // The icon holds the opaque, size-limited picture.
        const Image icon = FitIconSize(source);
        const struct {
            FileKind kind;
            const char* extension;
            UINT type;
        } loads[] = {{FileKind::Icon, ".ICO", IMAGE_ICON},
                     {FileKind::Cursor, ".CUR", IMAGE_CURSOR}};
        for (const auto& load : loads) {
            const std::string path = folder / FileName(source, load.extension);
            const SaveResult saved = SavePicture(path, source, load.kind);
            ASSERT_TRUE(saved.ok) << saved.message;
            const win::UniqueIcon loaded(static_cast<HICON>(
                LoadImageA(nullptr, path.c_str(), load.type, 0, 0, LR_LOADFROMFILE)));
            ASSERT_TRUE(loaded) << path << " error " << GetLastError();
            ExpectSamePixels(ImageOfIcon(loaded.get()), icon, 0xFFFFFFFFU);
        }
        EXPECT_EQ(ReadAll(folder / FileName(source, ".ICO")),
                  ReadAll(folder / FileName(source, ".CUR")));

        const std::string bitmapPath = folder / FileName(source, ".BMP");
        const SaveResult saved = SavePicture(bitmapPath, source, FileKind::Bitmap);
        ASSERT_TRUE(saved.ok) << saved.message;
        const win::UniqueBitmap bitmap(static_cast<HBITMAP>(
            LoadImageA(nullptr, bitmapPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
        ASSERT_TRUE(bitmap) << bitmapPath << " error " << GetLastError();
        ExpectSamePixels(ImageOfBitmap(bitmap.get()), source, 0xFFFFFFU);
    }
}

TEST(OutputFiles, FailedWritesLeaveOldFilesAndNoLitter) {
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const Image picture = Pattern(4, 4);

    const std::string missing = folder / "no such folder\\x.BMP";
    const SaveResult intoMissing = SavePicture(missing, picture, FileKind::Bitmap);
    EXPECT_FALSE(intoMissing.ok);
    EXPECT_NE(intoMissing.message.find(missing), std::string::npos) << intoMissing.message;
    // The system names the missing folder one way or the other.
    EXPECT_TRUE(intoMissing.message.find(win::SystemMessage(ERROR_PATH_NOT_FOUND)) !=
                    std::string::npos ||
                intoMissing.message.find(win::SystemMessage(ERROR_DIRECTORY)) != std::string::npos)
        << intoMissing.message;

    const std::string locked = folder / "locked.ICO";
    ASSERT_TRUE(WriteAll(locked, "old contents"));
    ASSERT_NE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY), FALSE);
    const SaveResult overReadOnly = SavePicture(locked, picture, FileKind::Icon);
    EXPECT_FALSE(overReadOnly.ok);
    EXPECT_NE(overReadOnly.message.find(locked), std::string::npos) << overReadOnly.message;
    EXPECT_NE(overReadOnly.message.find(win::SystemMessage(ERROR_ACCESS_DENIED)), std::string::npos)
        << overReadOnly.message;
    const std::vector<std::uint8_t> kept = ReadAll(locked);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old contents");

    const SaveResult nothing = SavePicture(folder / "empty.BMP", Image{}, FileKind::Bitmap);
    EXPECT_FALSE(nothing.ok);
    EXPECT_FALSE(nothing.message.empty());

    EXPECT_EQ(folder.Files(), std::vector<std::string>{"locked.ICO"});
}

} // namespace
} // namespace snarvik
