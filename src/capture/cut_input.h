// What a key, a button, a move or a wheel turn does in each state of a cut, decided without
// Windows: the Win32 side turns its messages into these calls and carries out the steps they
// answer, in order. Points are in the capture window's coordinates.
#pragma once
#include <cstdint>
#include <vector>

#include "capture/desktop.h"

namespace snarvik {

enum class CutKey { Escape, Enter, Left, Right, Up, Down, Space, PageUp, PageDown, Plus, Minus };

// The state a cut is in when an input arrives.
struct CutState {
    std::int32_t limit = 0;  // mCutState: 0 any size, else the square's side
    bool pressed = false;    // a button, or Enter, is down: a selection is being made
    bool windowMode = false; // outlining the window under the pointer
    bool menuOpen = false;   // the selection menu is up: it has the keys
};

struct CutStep {
    enum Kind {
        EndCut,           // as Abort
        CloseMenu,        // only the open menu closes
        Press,            // the left button goes down at `at`
        MoveTo,           // the pointer is at `at`; a key put it there, the system's follows
        Release,          // the button comes up at `at`: the selection is taken, its menu opens
        ToggleWindowMode, // at `at`
        WalkOutline,      // `amount` notches out (positive) or back in
        StepSquare,       // `amount` sizes up (positive) or down
    };
    Kind kind;
    Point at{};
    int amount = 0;

    friend bool operator==(const CutStep&, const CutStep&) = default;
};

using CutSteps = std::vector<CutStep>;

class CutInput {
public:
    // desktop: where a key may move the pointer, as the last grab found it.
    explicit CutInput(const Desktop& desktop) : m_desktop(&desktop) {}
    // Where the last button, move or key left the pointer: the system's own may still be
    // catching up with the keys' moves.
    Point pointer() const noexcept { return m_pointer; }
    void PointerAt(Point at) noexcept { m_pointer = at; }
    // A new cut in a window whose top left is at origin on the screen; no turn is kept.
    void Start(Point origin) noexcept {
        m_origin = origin;
        m_turn = 0;
    }

    // Escape ends the cut (on an open menu, closes only the menu); the arrows move the pointer
    // by one pixel, by ten with Shift, never off the monitors; Enter is the left button at the
    // pointer: a press, then a release, or both at once over a square or an outline; Space
    // turns window mode on or off (any size only); Page Up and Down walk the outline out and
    // in; + and - step a square's size.
    CutSteps Key(const CutState& state, CutKey key, bool shift);
    CutSteps ButtonDown(const CutState& state, Point at);
    CutSteps ButtonUp(const CutState& state, Point at);
    CutSteps Move(const CutState& state, Point at);
    // The wheel's turn in the system's units (120 a notch, away from the user positive): a
    // square's size, or window mode's walk; the turn short of a notch is kept.
    CutSteps Wheel(const CutState& state, int delta);

private:
    const Desktop* m_desktop;
    Point m_origin;
    Point m_pointer;
    int m_turn = 0;
};

} // namespace snarvik
