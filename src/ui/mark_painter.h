// Draws marks with GDI+, antialiased, straight into 32-bit pixels (the picture is there from the
// start; nothing but what a mark covers changes).
#pragma once
#include <windows.h>

#include <algorithm>

// The Windows SDK's GDI+ headers use min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <span>

#include "base/image.h"
#include "capture/markup.h"

namespace snarvik {

// GDI+ from construction to destruction; outlives every painter.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
};

// Top-down rows of 0xAARRGGBB pixels, `width` to a row, that marks are drawn into.
struct PixelTarget {
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
};

class MarkPainter {
public:
    // The text's family: the first the system has of a list (Windows' own UI face first).
    MarkPainter();
    MarkPainter(const MarkPainter&) = delete;
    MarkPainter& operator=(const MarkPainter&) = delete;

    // Draws mark, and with caret the typing caret after its text, changing pixels only inside
    // clip. Pixelation is not drawn here (it reads the picture: see ComposeMarks).
    void Draw(PixelTarget target, const Mark& mark, const Rect& clip, bool caret = false) const;
    // Every pixel Draw may change, text measured.
    Rect Extent(const Mark& mark, bool caret = false) const;

private:
    std::unique_ptr<Gdiplus::FontFamily> m_family;
    std::unique_ptr<Gdiplus::Bitmap> m_measureBitmap; // for measuring text
    std::unique_ptr<Gdiplus::Graphics> m_measure;
};

// Applies marks in order to the picture as it stands: each one over what the ones before made.
void ComposeMarks(Image& picture, std::span<const Mark> marks, const MarkPainter& painter);

} // namespace snarvik
