// Geometry of the selection frame (Shape1) as the mouse drives it over the frozen screen.
#pragma once
#include <cstdint>

#include "capture/geometry.h"
#include "base/image.h"

namespace snarvik {

enum class LineStyle { Solid, Dotted };

class SelectionFrame {
public:
    // Press: the anchor (any size, limit 0) or the limit-sized square ending at the pointer.
    void Press(int x, int y, std::int32_t limit);
    // Move: a limited square follows the pointer (dotted); any size stretches from the anchor,
    // refusing a negative width or height one dimension at a time.
    void Move(int x, int y, std::int32_t limit);
    // After the picture is taken: the frame runs one pixel outside it, solid.
    void Grow();
    void SetSize(std::int32_t limit);
    // Window mode's click: exactly this rectangle, as a press and a drag over it would make.
    void Take(const Rect& rect) {
        m_rect = rect;
        m_visible = true;
    }
    void Hide() { m_visible = false; }

    const Rect& rect() const { return m_rect; }
    bool visible() const { return m_visible; }
    LineStyle style() const { return m_style; }

private:
    Rect m_rect;
    bool m_visible = false;
    LineStyle m_style = LineStyle::Dotted;
};

// The sides a limited square steps through: the icon sizes Windows asks for.
inline constexpr std::int32_t kSquareSides[] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
// The side steps away from side (bigger for positive steps), within the ones above.
std::int32_t StepSquare(std::int32_t side, int steps);

// The w x h pixels of source at (x, y) into destination (w x h, rows top to bottom); pixels
// outside the source are black.
void CopyRegion(const std::uint32_t* source, int sourceWidth, int sourceHeight, int x, int y,
                int width, int height, std::uint32_t* destination);
Image CopyRegion(const std::uint32_t* source, int sourceWidth, int sourceHeight, int x, int y,
                 int width, int height);

} // namespace snarvik
