// When Exit may unload the window. Handlers run inside the dispatch of the message that caused
// them and may run modal loops (menus, dialogs) through which further messages pass, so
// dispatch nests. Unloading inside a nested dispatch would pull the tray object and the window
// out from under the handlers still running: an Exit chosen there waits until the outermost
// dispatch has returned.
#pragma once

namespace snarvik {

class ExitGate {
public:
    void Enter() noexcept { ++m_depth; }
    // True once: when the outermost dispatch returns with an Exit waiting.
    [[nodiscard]] bool Leave() noexcept {
        --m_depth;
        return Due();
    }
    // Exit chosen: true when the window is to be unloaded now (no dispatch runs).
    [[nodiscard]] bool Request() noexcept {
        m_waiting = !m_done;
        return Due();
    }
    // The window goes away whatever runs: true unless it has been unloaded already.
    [[nodiscard]] bool Finish() noexcept {
        m_waiting = !m_done;
        m_depth = 0;
        return Due();
    }
    // Exit is chosen or done: no command may start any more.
    bool closing() const noexcept { return m_waiting || m_done; }

private:
    bool Due() noexcept {
        if (!m_waiting || m_depth > 0) {
            return false;
        }
        m_waiting = false;
        m_done = true;
        return true;
    }

    int m_depth = 0;
    bool m_waiting = false;
    bool m_done = false;
};

} // namespace snarvik
