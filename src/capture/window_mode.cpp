#include "capture/window_mode.h"

#include <algorithm>

namespace snarvik {

void WindowMode::Reset(Snapshot snapshot) {
    m_snapshot = std::move(snapshot);
    m_on = false;
    m_chain.clear();
    m_level = 0;
    m_walked = false;
    m_dragging = false;
}

void WindowMode::Toggle(Point at) {
    m_on = !m_on;
    m_chain.clear();
    m_walked = false;
    if (m_on) {
        PointAt(at);
    }
}

void WindowMode::PointAt(Point at) {
    // A rectangle walked out to stays outlined while the pointer stays on it; otherwise the
    // deepest one under the pointer is.
    m_chain = SnapChain(m_snapshot, at);
    const auto kept =
        m_walked ? std::find(m_chain.begin(), m_chain.end(), m_walkedTo) : m_chain.end();
    m_walked = kept != m_chain.end();
    m_level = m_walked ? static_cast<std::size_t>(kept - m_chain.begin()) : 0;
}

void WindowMode::Walk(int steps) {
    if (m_chain.empty()) {
        return;
    }
    const auto last = static_cast<long long>(m_chain.size()) - 1;
    m_level =
        static_cast<std::size_t>(std::clamp(static_cast<long long>(m_level) + steps, 0LL, last));
    m_walked = m_level > 0;
    m_walkedTo = m_chain[m_level];
}

std::optional<Rect> WindowMode::Outlined() const {
    if (!m_on || m_dragging || m_chain.empty()) {
        return std::nullopt;
    }
    return m_chain[m_level];
}

void WindowMode::Press(Point at) {
    m_pressedAt = at;
    m_dragging = false;
}

bool WindowMode::DragsAt(Point at, int thresholdX, int thresholdY) {
    if (!m_dragging && !IsClick(m_pressedAt, at, thresholdX, thresholdY)) {
        m_dragging = true;
        return true;
    }
    return false;
}

} // namespace snarvik
