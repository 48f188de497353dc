#include "tray/delayed_cut.h"

namespace snarvik {

void DelayedCut::Start(int seconds) noexcept {
    m_remaining = seconds > 0 ? seconds : 0;
    m_phase = m_remaining > 0 ? Phase::Counting : Phase::Due;
}

bool DelayedCut::End() noexcept {
    const bool was = running();
    m_phase = Phase::Idle;
    m_remaining = 0;
    return was;
}

DelayedCut::Tick DelayedCut::Second(bool blocked) noexcept {
    switch (m_phase) {
    case Phase::Idle:
        return Tick::None;
    case Phase::Counting:
        if (--m_remaining > 0) {
            return Tick::Counted;
        }
        m_phase = Phase::Due;
        [[fallthrough]];
    case Phase::Due:
        if (blocked) {
            return Tick::Counted;
        }
        End();
        return Tick::Cut;
    }
    return Tick::None;
}

std::string DelayedCut::Tip() const {
    switch (m_phase) {
    case Phase::Counting:
        return "Snarvik -- cut in " + std::to_string(m_remaining) + " s (click for menu)";
    case Phase::Due:
        return "Snarvik -- cut as soon as the open menu or dialog closes";
    case Phase::Idle:
        break;
    }
    return kTrayTip;
}

} // namespace snarvik
