// Picture1's image: the selected piece of the frozen screen. It reads the frozen image in
// place, so a release copies nothing, and takes a copy of its piece only before that image is
// grabbed again.
#pragma once
#include <windows.h>

#include <memory>

#include "base/image.h"
#include "capture/selection.h"
#include "capture/surface.h"

namespace snarvik {

class SelectedPicture {
public:
    // The piece of source at area (in source coordinates; parts outside it are black).
    void Take(std::shared_ptr<const Surface> source, const Rect& area);
    // The whole of picture, a copy of its own.
    void Show(std::shared_ptr<const Surface> picture);
    void Clear();
    // Keeps the piece as it is now, whatever happens to the surface it was taken from.
    void Detach();

    bool empty() const noexcept { return !m_source || m_area.width <= 0 || m_area.height <= 0; }
    // Exactly the piece, rows top to bottom; empty when there is none.
    Image Pixels() const;
    // Paints the part `area` (in the picture's own coordinates) at the same place of dc.
    void Paint(HDC dc, const RECT& area) const;

private:
    std::shared_ptr<const Surface> m_source;
    Rect m_area;
    bool m_owned = false; // m_source is a copy of the piece, no longer the frozen image
};

} // namespace snarvik
