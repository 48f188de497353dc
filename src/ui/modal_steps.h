// The menus, dialogs and message boxes of ours that are open. While any is, no cut starts and
// the window is not closed from outside: the step finishes undisturbed. One menu at a time.
#pragma once

namespace snarvik {

class ModalSteps {
public:
    enum class Kind { Menu, Dialog };

    // One open step, for as long as it lives.
    class Step {
    public:
        Step(ModalSteps& steps, Kind kind) noexcept : m_steps(steps), m_kind(kind) {
            ++m_steps.m_open;
            m_steps.m_menus += m_kind == Kind::Menu ? 1 : 0;
        }
        ~Step() {
            --m_steps.m_open;
            m_steps.m_menus -= m_kind == Kind::Menu ? 1 : 0;
        }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        ModalSteps& m_steps;
        Kind m_kind;
    };

    bool any() const noexcept { return m_open > 0; }
    bool menuOpen() const noexcept { return m_menus > 0; }

private:
    int m_open = 0;
    int m_menus = 0;
};

} // namespace snarvik
