// The count of "Cut - After a Delay": one tick a second down to the cut. A cut that starts
// otherwise meanwhile (Print Screen) ends it; at zero, while a menu or dialog of ours is open,
// the cut waits until it has closed, as no cut starts over our own steps.
#pragma once
#include <string>

namespace snarvik {

inline constexpr const char* kTrayTip = "Snarvik -- click for menu";

class DelayedCut {
public:
    enum class Phase { Idle, Counting, Due };
    enum class Tick { None, Counted, Cut };

    // Counts from seconds (a running count starts again from there).
    void Start(int seconds) noexcept;
    // The user cancelled, or a cut started otherwise: whether a count was running.
    bool End() noexcept;
    // One second passed; blocked: a menu or dialog of ours is open. Cut: the count is over and
    // the cut starts now.
    Tick Second(bool blocked) noexcept;

    Phase phase() const noexcept { return m_phase; }
    bool running() const noexcept { return m_phase != Phase::Idle; }
    int remaining() const noexcept { return m_remaining; }
    // The tray icon's tip.
    std::string Tip() const;

private:
    Phase m_phase = Phase::Idle;
    int m_remaining = 0;
};

} // namespace snarvik
