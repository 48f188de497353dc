// Rectangles and points in pixels: on the screen, on the frozen image, in a picture.
#pragma once

namespace snarvik {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

} // namespace snarvik
