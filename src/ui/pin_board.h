// The pictures pinned to the screen, a part of frmMain: any number, each its own window and
// object; a pin closed (by itself, from its own menu, or by Exit) is destroyed once none of its
// handlers runs any more.
#pragma once
#include <windows.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "output/selection_commands.h"
#include "ui/modal_steps.h"
#include "ui/pin_window.h"

namespace snarvik {

class PinBoard final : private PinHost {
public:
    using Reporter = std::function<void(const std::exception_ptr&)>;
    // The pins' Copy and Save as PNG are the selection commands'; their menus count among the
    // open steps; what their handlers throw goes to report.
    PinBoard(SelectionCommands& commands, ModalSteps& steps, Reporter report)
        : m_commands(commands), m_steps(steps), m_report(std::move(report)) {}
    PinBoard(const PinBoard&) = delete;
    PinBoard& operator=(const PinBoard&) = delete;
    ~PinBoard() = default; // the pins' windows go with them

    // Pins picture at `at` on the screen; the failure when the window could not be made.
    Failed Pin(HINSTANCE instance, Image picture, const Rect& at);
    // Closes every pin, the newest first.
    void CloseAll();
    // The pins whose windows are up, oldest first.
    std::vector<PinWindow*> Open() const;
    // The pins held: those open, and those closed whose handlers still run.
    std::size_t held() const noexcept { return m_pins.size(); }

private:
    // PinHost
    void CopyPicture(const Image& picture) override { m_commands.CopyPicture(picture); }
    void SavePicturePng(const Image& picture) override { m_commands.SavePicturePng(picture); }
    UINT RunMenu(HMENU menu, HWND window, POINT at) override;
    void ReportFailure(const std::exception_ptr& error) noexcept override;
    void PinClosed(PinWindow& pin) noexcept override;
    // Destroys the pins that are closed and idle.
    void Collect() noexcept;

    SelectionCommands& m_commands;
    ModalSteps& m_steps;
    Reporter m_report;
    std::vector<std::unique_ptr<PinWindow>> m_pins;
    bool m_closingAll = false;
};

} // namespace snarvik
