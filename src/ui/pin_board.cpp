#include <windows.h>

#include "ui/pin_board.h"

#include "base/win32.h"

#include <algorithm>
#include <ranges>

namespace snarvik {

Failed PinBoard::Pin(HINSTANCE instance, Image picture, const Rect& at) {
    if (picture.empty()) {
        return Failure{"Could not pin the picture to the screen", "nothing is selected"};
    }
    Collect();
    auto pin = std::make_unique<PinWindow>(static_cast<PinHost&>(*this), std::move(picture));
    PinWindow& made = *pin;
    m_pins.push_back(std::move(pin)); // kept before its window can have a message
    if (!made.Create(instance, at)) {
        const DWORD error = GetLastError();
        Collect();
        return Failure{"Could not pin the picture to the screen", win::SystemMessage(error)};
    }
    return std::nullopt;
}

void PinBoard::CloseAll() {
    m_closingAll = true;
    // Newest first: closing the active one raises the next, which is the one closed next.
    for (PinWindow* pin : Open() | std::views::reverse) {
        pin->Close();
    }
    m_closingAll = false;
    Collect();
}

std::vector<PinWindow*> PinBoard::Open() const {
    std::vector<PinWindow*> open;
    for (const auto& pin : m_pins) {
        if (!pin->closed()) {
            open.push_back(pin.get());
        }
    }
    return open;
}

UINT PinBoard::RunMenu(HMENU menu, HWND window, POINT at) {
    const ModalSteps::Step step(m_steps, ModalSteps::Kind::Menu);
    return static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                       at.y, 0, window, nullptr));
}

void PinBoard::ReportFailure(const std::exception_ptr& error) noexcept {
    try {
        m_report(error);
    } catch (...) {
        // The reporter has its own last resort; nothing more can be told from here.
    }
}

void PinBoard::PinClosed(PinWindow& /*pin*/) noexcept {
    if (!m_closingAll) {
        Collect();
    }
}

void PinBoard::Collect() noexcept {
    std::erase_if(m_pins, [](const auto& pin) { return pin->closed() && !pin->busy(); });
}

} // namespace snarvik
