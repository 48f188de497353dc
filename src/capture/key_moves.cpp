#include "capture/key_moves.h"

#include <algorithm>

namespace snarvik {

void KeyMoveEcho::Moved(Point from, Point to) {
    if (m_places.size() >= kKept) {
        m_places.erase(m_places.begin(), m_places.begin() + 2);
    }
    m_places.push_back(from);
    m_places.push_back(to);
}

bool KeyMoveEcho::IsEcho(Point at) {
    const bool echo = std::find(m_places.begin(), m_places.end(), at) != m_places.end();
    if (!echo) {
        m_places.clear();
    }
    return echo;
}

} // namespace snarvik
