#include <windows.h>

#include "capture/selected_picture.h"

namespace snarvik {

void SelectedPicture::Take(std::shared_ptr<const Surface> source, const Rect& area) {
    m_source = std::move(source);
    m_area = area;
    m_owned = false;
}

void SelectedPicture::Clear() {
    m_source.reset();
    m_area = {};
    m_owned = false;
}

void SelectedPicture::Detach() {
    if (empty() || m_owned) {
        return;
    }
    auto own = std::make_shared<Surface>(m_area.width, m_area.height);
    if (!own->valid()) {
        Clear();
        return;
    }
    GdiFlush();
    CopyRegion(m_source->bits(), m_source->width(), m_source->height(), m_area.left, m_area.top,
               m_area.width, m_area.height, own->bits());
    m_source = std::move(own);
    m_area.left = 0;
    m_area.top = 0;
    m_owned = true;
}

void SelectedPicture::Show(std::shared_ptr<const Surface> picture) {
    m_area = {0, 0, picture->width(), picture->height()};
    m_source = std::move(picture);
    m_owned = true;
}

Image SelectedPicture::Pixels() const {
    if (empty()) {
        return {};
    }
    GdiFlush();
    return CopyRegion(m_source->bits(), m_source->width(), m_source->height(), m_area.left,
                      m_area.top, m_area.width, m_area.height);
}

void SelectedPicture::Paint(HDC dc, const RECT& area) const {
    if (!empty()) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_source->dc(), m_area.left + area.left, m_area.top + area.top, SRCCOPY);
    }
}

} // namespace snarvik
