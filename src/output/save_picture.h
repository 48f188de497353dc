// Encodes a picture and writes it to a file in one go, never leaving a half-written file.
#pragma once
#include "capture/image.h"
#include "output/file_names.h"

#include <string>

namespace snarvik {

struct SaveResult {
    bool ok = false;
    std::string message; // for the user when not ok: what failed, which file, why
};

// Bitmap: a .BMP file; Png: a .PNG file; Icon and Cursor: the same icon-file bytes.
SaveResult SavePicture(const std::string& path, const Image& image, FileKind kind);

} // namespace snarvik
