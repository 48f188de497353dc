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
    bool contains(Point p) const {
        return p.x >= left && p.x < right() && p.y >= top && p.y < bottom();
    }
};

// The part of a that lies in b; empty (0 by 0 at a's corner) when they do not meet.
inline Rect Intersect(const Rect& a, const Rect& b) {
    const int l = a.left > b.left ? a.left : b.left;
    const int t = a.top > b.top ? a.top : b.top;
    const int r = a.right() < b.right() ? a.right() : b.right();
    const int d = a.bottom() < b.bottom() ? a.bottom() : b.bottom();
    return r > l && d > t ? Rect{l, t, r - l, d - t} : Rect{a.left, a.top, 0, 0};
}

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect Union(const Rect& a, const Rect& b) {
    if (a.width <= 0 || a.height <= 0) {
        return b;
    }
    if (b.width <= 0 || b.height <= 0) {
        return a;
    }
    const int l = a.left < b.left ? a.left : b.left;
    const int t = a.top < b.top ? a.top : b.top;
    const int r = a.right() > b.right() ? a.right() : b.right();
    const int d = a.bottom() > b.bottom() ? a.bottom() : b.bottom();
    return {l, t, r - l, d - t};
}

// r with `by` more on every side.
inline Rect Grown(const Rect& r, int by) {
    return {r.left - by, r.top - by, r.width + 2 * by, r.height + 2 * by};
}

} // namespace snarvik
