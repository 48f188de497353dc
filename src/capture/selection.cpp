#include "capture/selection.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace snarvik {

void SelectionFrame::Press(int x, int y, std::int32_t limit) {
    m_rect.left = x - limit;
    m_rect.top = y - limit;
    m_rect.width = limit;
    m_rect.height = limit;
    m_visible = true;
}

void SelectionFrame::Move(int x, int y, std::int32_t limit) {
    if (limit != 0) {
        m_rect.left = x - limit;
        m_rect.top = y - limit;
        m_visible = true;
        m_style = LineStyle::Dotted;
        return;
    }
    // A negative size is refused; that dimension keeps its value.
    if (x - m_rect.left >= 0) {
        m_rect.width = x - m_rect.left;
    }
    if (y - m_rect.top >= 0) {
        m_rect.height = y - m_rect.top;
    }
}

void SelectionFrame::Grow() {
    m_rect.top -= 1;
    m_rect.height += 2;
    m_rect.left -= 1;
    m_rect.width += 2;
    m_style = LineStyle::Solid;
}

void SelectionFrame::SetSize(std::int32_t limit) {
    m_rect.width = limit;
    m_rect.height = limit;
}

std::int32_t StepSquare(std::int32_t side, int steps) {
    const auto* begin = std::begin(kSquareSides);
    const auto* end = std::end(kSquareSides);
    // A side between two of them steps to its neighbours.
    const std::ptrdiff_t at = std::lower_bound(begin, end, side) - begin;
    const std::ptrdiff_t last = (end - begin) - 1;
    const bool listed = at <= last && kSquareSides[at] == side;
    const std::ptrdiff_t to = at + steps - (!listed && steps > 0 ? 1 : 0);
    return kSquareSides[std::clamp<std::ptrdiff_t>(to, 0, last)];
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
    Image image(std::max(width, 0), std::max(height, 0));
    if (!image.empty()) {
        CopyRegion(source, sourceWidth, sourceHeight, x, y, width, height, image.row(0));
    }
    return image;
}

} // namespace snarvik
