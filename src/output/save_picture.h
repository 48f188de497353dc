// Encodes a picture and writes it to a file in one go, never leaving a half-written file.
#pragma once
#include "base/atomic_file.h"
#include "base/failure.h"
#include "base/image.h"
#include "output/file_names.h"

#include <string>

namespace snarvik {

// Bitmap: a .BMP file; Png: a .PNG file; Icon and Cursor: an icon or cursor file with the
// same images, every size up to the picture's. On failure the old file, if any, is as it was.
// With Existing::Keep a file already there is kept and the save fails.
Failed SavePicture(const std::string& path, const Image& image, FileKind kind,
                   win::AtomicFile::Existing existing = win::AtomicFile::Existing::Replace);

} // namespace snarvik
