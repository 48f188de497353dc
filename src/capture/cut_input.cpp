#include "capture/cut_input.h"

namespace snarvik {

namespace {

constexpr int kNotch = 120;

} // namespace

CutSteps CutInput::Key(const CutState& state, CutKey key, bool shift) {
    const Point pointer = m_pointer;
    if (state.menuOpen) {
        return key == CutKey::Escape ? CutSteps{{CutStep::CloseMenu}} : CutSteps{};
    }
    const int step = shift ? 10 : 1;
    switch (key) {
    case CutKey::Escape:
        return {{CutStep::EndCut}};
    case CutKey::Space:
        if (state.limit == 0 && !state.pressed) {
            return {{CutStep::ToggleWindowMode, pointer}};
        }
        return {};
    case CutKey::PageUp:
    case CutKey::PageDown:
        if (state.limit == 0 && state.windowMode && !state.pressed) {
            return {{CutStep::WalkOutline, {}, key == CutKey::PageUp ? 1 : -1}};
        }
        return {};
    case CutKey::Plus:
    case CutKey::Minus:
        if (state.limit != 0) {
            return {{CutStep::StepSquare, {}, key == CutKey::Plus ? 1 : -1}};
        }
        return {};
    case CutKey::Left:
    case CutKey::Right:
    case CutKey::Up:
    case CutKey::Down: {
        const int dx = key == CutKey::Left ? -step : key == CutKey::Right ? step : 0;
        const int dy = key == CutKey::Up ? -step : key == CutKey::Down ? step : 0;
        const Point to =
            OnDesktop(*m_desktop, {pointer.x + m_origin.x + dx, pointer.y + m_origin.y + dy});
        m_pointer = {to.x - m_origin.x, to.y - m_origin.y};
        return {{CutStep::MoveTo, m_pointer}};
    }
    case CutKey::Enter:
        if (state.pressed) {
            return {{CutStep::Release, pointer}};
        }
        // A free rectangle needs a second Enter where it is to end.
        if (state.limit == 0 && !state.windowMode) {
            return {{CutStep::Press, pointer}};
        }
        return {{CutStep::Press, pointer}, {CutStep::Release, pointer}};
    }
    return {};
}

CutSteps CutInput::ButtonDown(const CutState& state, Point at) {
    m_pointer = at;
    return state.menuOpen ? CutSteps{} : CutSteps{{CutStep::Press, at}};
}

CutSteps CutInput::ButtonUp(const CutState& state, Point at) {
    m_pointer = at;
    return state.menuOpen ? CutSteps{} : CutSteps{{CutStep::Release, at}};
}

CutSteps CutInput::Move(const CutState& state, Point at) {
    m_pointer = at;
    return state.menuOpen ? CutSteps{} : CutSteps{{CutStep::MoveTo, at}};
}

CutSteps CutInput::Wheel(const CutState& state, int delta) {
    const bool walks = state.limit == 0 && state.windowMode && !state.pressed;
    if (state.menuOpen || (state.limit == 0 && !walks)) {
        return {};
    }
    m_turn += delta;
    const int notches = m_turn / kNotch;
    m_turn -= notches * kNotch;
    if (notches == 0) {
        return {};
    }
    return {{state.limit != 0 ? CutStep::StepSquare : CutStep::WalkOutline, {}, notches}};
}

} // namespace snarvik
