// The platform's standard picture: a handle and what kind of picture it is.
#pragma once
#include <windows.h>

#include <memory>

namespace snarvik {

enum class PictureType : short { None = 0, Icon = 3 };

// Does not own its handle: whoever made the picture keeps the icon or bitmap alive.
struct Picture {
    PictureType Type = PictureType::None;
    HANDLE Handle = nullptr;
};

// "A picture object or none".
using PictureRef = std::shared_ptr<const Picture>;

} // namespace snarvik
