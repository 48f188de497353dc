#include "capture/selection.h"

#include <algorithm>
#include <cstring>

namespace snarvik {

void SelectionFrame::Press(int x, int y, std::int32_t limit) {
    rect_.left = x - limit;
    rect_.top = y - limit;
    rect_.width = limit;
    rect_.height = limit;
    visible_ = true;
}

void SelectionFrame::Move(int x, int y, std::int32_t limit) {
    if (limit != 0) {
        rect_.left = x - limit;
        rect_.top = y - limit;
        visible_ = true;
        style_ = LineStyle::Dotted;
        return;
    }
    // A negative size is refused; that dimension keeps its value.
    if (x - rect_.left >= 0) {
        rect_.width = x - rect_.left;
    }
    if (y - rect_.top >= 0) {
        rect_.height = y - rect_.top;
    }
}

void SelectionFrame::Grow() {
    rect_.top -= 1;
    rect_.height += 2;
    rect_.left -= 1;
    rect_.width += 2;
    style_ = LineStyle::Solid;
}

void SelectionFrame::SetSize(std::int32_t limit) {
    rect_.width = limit;
    rect_.height = limit;
}

void CopyRegion(const std::uint32_t* source, int sourceWidth, int sourceHeight, int x, int y,
                int width, int height, std::uint32_t* destination) {
    if (width <= 0 || height <= 0) {
        return;
    }
    std::fill_n(destination, PixelCount(width, height), 0u);
    const int left = std::max(x, 0);
    const int right = std::min(x + width, sourceWidth);
    if (left >= right) {
        return;
    }
    const auto run = static_cast<std::size_t>(right - left) * sizeof(std::uint32_t);
    for (int row = std::max(y, 0); row < std::min(y + height, sourceHeight); ++row) {
        std::memcpy(destination + PixelCount(width, row - y) + static_cast<std::size_t>(left - x),
                    source + PixelCount(sourceWidth, row) + static_cast<std::size_t>(left), run);
    }
}

Image CopyRegion(const std::uint32_t* source, int sourceWidth, int sourceHeight, int x, int y,
                 int width, int height) {
    Image image;
    image.width = std::max(width, 0);
    image.height = std::max(height, 0);
    image.pixels.resize(PixelCount(image.width, image.height));
    CopyRegion(source, sourceWidth, sourceHeight, x, y, image.width, image.height,
               image.pixels.data());
    return image;
}

} // namespace snarvik
