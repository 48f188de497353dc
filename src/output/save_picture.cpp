#include <windows.h>

#include "output/save_picture.h"

#include "app/atomic_file.h"
#include "output/bmp.h"
#include "output/ico.h"
#include "output/png.h"

namespace snarvik {

SaveResult SavePicture(const std::string& path, const Image& image, FileKind kind) {
    const std::string tooLarge =
        "Could not write \"" + path + "\":\nthe picture is too large for this format.";
    if (image.empty()) {
        return {false, "Could not write \"" + path + "\":\nthere is no picture to save."};
    }
    win::AtomicFile file(path);
    if (kind == FileKind::Bitmap) {
        // Straight into the file, piece by piece: a whole-screen picture needs no copy.
        bool written = true;
        const bool encoded = EncodeBmp(image, [&](std::span<const std::uint8_t> piece) {
            written = file.Write(piece);
            return written;
        });
        if (!encoded && written) {
            return {false, tooLarge};
        }
    } else if (kind == FileKind::Png) {
        HRESULT error = S_OK;
        const std::vector<std::uint8_t> bytes = EncodePng(image, error);
        if (bytes.empty()) {
            return {false, "Could not write \"" + path + "\":\nthe PNG encoder of Windows " +
                               "failed: " + win::SystemMessage(static_cast<DWORD>(error)) + "."};
        }
        file.Write(bytes);
    } else {
        const std::vector<std::uint8_t> bytes = EncodeIco(image);
        if (bytes.empty()) {
            return {false, tooLarge};
        }
        file.Write(bytes);
    }
    const win::WriteResult result = file.Commit();
    if (!result.ok) {
        return {false, result.Describe(path)};
    }
    return {true, {}};
}

} // namespace snarvik
