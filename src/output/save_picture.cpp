#include <windows.h>

#include "output/save_picture.h"

#include "app/win32.h"
#include "output/bmp.h"
#include "output/ico.h"

namespace snarvik {

SaveResult SavePicture(const std::string& path, const Image& image, FileKind kind) {
    if (image.empty()) {
        return {false, "Could not write \"" + path + "\":\nthere is no picture to save."};
    }
    const std::vector<std::uint8_t> bytes =
        kind == FileKind::Bitmap ? EncodeBmp(image) : EncodeIco(image);
    if (bytes.empty()) {
        return {false,
                "Could not write \"" + path + "\":\nthe picture is too large for this format."};
    }
    // A read-only file is the user's "do not touch"; a rename would replace it on some systems.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return {false, win::WriteResult{false, ERROR_ACCESS_DENIED}.Describe(path)};
    }
    const win::WriteResult written = win::WriteFileAtomically(path, bytes);
    if (!written.ok) {
        return {false, written.Describe(path)};
    }
    return {true, {}};
}

} // namespace snarvik
