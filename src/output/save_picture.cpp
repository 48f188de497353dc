#include <windows.h>

#include "output/save_picture.h"

#include "base/atomic_file.h"
#include "output/bmp.h"
#include "output/ico.h"
#include "output/icon_images.h"
#include "output/png.h"

namespace snarvik {

Failed SavePicture(const std::string& path, const Image& image, FileKind kind,
                   win::AtomicFile::Existing existing) {
    const std::string what = "Could not write \"" + path + "\"";
    if (image.empty()) {
        return Failure{what, "there is no picture to save"};
    }
    const Failure tooLarge{what, "the picture is too large for this format"};
    win::AtomicFile file(path, existing);
    if (kind == FileKind::Bitmap) {
        // Straight into the file, piece by piece: a whole-screen picture needs no copy.
        bool written = true;
        const bool encoded = EncodeBmp(image, [&](std::span<const std::uint8_t> piece) {
            written = file.Write(piece);
            return written;
        });
        if (!encoded && written) {
            return tooLarge;
        }
    } else if (kind == FileKind::Png) {
        // Opaque, as the screen is: no alpha channel, whatever the grab left in the fourth byte.
        bool written = true;
        const bool encoded = EncodePng(image, PngChannels::Rgb, kPngScreenLevel,
                                       [&](std::span<const std::uint8_t> piece) {
                                           written = file.Write(piece);
                                           return written;
                                       });
        if (!encoded && written) {
            return Failure{what, "the picture could not be compressed"};
        }
    } else {
        const std::vector<std::uint8_t> bytes =
            EncodeIconFile(IconImages(image),
                           kind == FileKind::Cursor ? IconFileType::Cursor : IconFileType::Icon);
        if (bytes.empty()) {
            return tooLarge;
        }
        file.Write(bytes);
    }
    return file.Commit();
}

} // namespace snarvik
