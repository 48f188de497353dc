// The cut's input: the window's messages become CutInput's calls, whose steps move Shape1,
// window mode's outline and the readout, and take the selection.
#include <windows.h>
#include <windowsx.h>

#include "ui/capture_view.h"

#include <optional>

namespace snarvik {

namespace {

std::optional<CutKey> KeyOf(WPARAM key) {
    switch (key) {
    case VK_ESCAPE:
        return CutKey::Escape;
    case VK_RETURN:
        return CutKey::Enter;
    case VK_LEFT:
        return CutKey::Left;
    case VK_RIGHT:
        return CutKey::Right;
    case VK_UP:
        return CutKey::Up;
    case VK_DOWN:
        return CutKey::Down;
    case VK_SPACE:
        return CutKey::Space;
    case VK_PRIOR:
        return CutKey::PageUp;
    case VK_NEXT:
        return CutKey::PageDown;
    case VK_ADD:
    case VK_OEM_PLUS:
        return CutKey::Plus;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        return CutKey::Minus;
    default:
        return std::nullopt;
    }
}

} // namespace

CutState CaptureView::State() const {
    // An open menu or dialog of ours has the keys.
    return {mCutState, m_pressed, m_outline.mode().on(), m_steps.any()};
}

void CaptureView::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((m_markup.Active() && m_markup.Input(message, wParam, lParam)) || !m_host.CaptureUp()) {
        return;
    }
    const Point at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Apply(m_input.ButtonDown(State(), at));
        break;
    case WM_MOUSEMOVE:
        if (!m_keyMoves.IsEcho(at)) {
            Apply(m_input.Move(State(), at));
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Apply(m_input.ButtonUp(State(), at));
        break;
    default:
        break;
    }
}

// Keys reach here only while no menu or dialog is open.
void CaptureView::Form_KeyDown(WPARAM key) {
    if ((m_markup.Active() && m_markup.Input(WM_KEYDOWN, key, 0)) || !m_host.CaptureUp() ||
        !IsWindowVisible(m_window)) {
        return;
    }
    const std::optional<CutKey> cutKey = KeyOf(key);
    if (!cutKey) {
        return;
    }
    if (*cutKey == CutKey::Enter) {
        // Its character would reach the selection menu and close it at once.
        MSG character;
        PeekMessageW(&character, m_window, WM_CHAR, WM_CHAR, PM_REMOVE);
    }
    const Point from = m_input.pointer();
    const CutSteps steps = m_input.Key(State(), *cutKey, GetKeyState(VK_SHIFT) < 0);
    if (steps.size() == 1 && steps.front().kind == CutStep::MoveTo) {
        // The system's pointer follows; its mouse moves that come after are no one's.
        const Point to = steps.front().at;
        Apply(steps);
        m_keyMoves.Moved(from, to);
        const Point onScreen = m_frozen.OnScreen(to);
        SetCursorPos(onScreen.x, onScreen.y);
        return;
    }
    Apply(steps);
}

void CaptureView::Character(WPARAM c) {
    if (m_markup.Active()) {
        m_markup.Input(WM_CHAR, c, 0);
    }
}

void CaptureView::Wheel(int delta) {
    if ((m_markup.Active() && m_markup.Input(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0)) ||
        !m_host.CaptureUp()) {
        return;
    }
    Apply(m_input.Wheel(State(), delta));
}

void CaptureView::Apply(const CutSteps& steps) {
    const Point pointer = m_input.pointer();
    for (const CutStep& step : steps) {
        switch (step.kind) {
        case CutStep::EndCut:
            m_pressed = false;
            mnuPopupAbort_Click();
            break;
        case CutStep::CloseMenu:
            break; // the menu's own loop closes it
        case CutStep::Press:
            Form_MouseDown(1, 0, step.at.x, step.at.y);
            break;
        case CutStep::MoveTo:
            Form_MouseMove(0, 0, step.at.x, step.at.y);
            break;
        case CutStep::Release:
            Form_MouseUp(1, 0, step.at.x, step.at.y);
            break;
        case CutStep::ToggleWindowMode:
            TakeSnapshot();
            OutlineChanges([&](WindowMode& mode) { mode.Toggle(m_frozen.OnScreen(step.at)); });
            ShowOverlay(step.at.x, step.at.y);
            break;
        case CutStep::WalkOutline:
            OutlineChanges([&](WindowMode& mode) { mode.Walk(step.amount); });
            ShowOverlay(pointer.x, pointer.y);
            break;
        case CutStep::StepSquare:
            StepSquare(step.amount);
            break;
        }
    }
}

// A limited square takes the next icon size for this cut, its bottom right staying at the
// pointer.
void CaptureView::StepSquare(int steps) {
    const Point at = m_input.pointer();
    mCutState = snarvik::StepSquare(mCutState, steps);
    m_selection.Shape1Changes([&](SelectionFrame& shape) {
        shape.SetSize(mCutState);
        shape.Move(at.x, at.y, mCutState);
    });
    ShowOverlay(at.x, at.y);
}

// In window mode a press decides nothing yet: a release close by takes the outlined rectangle,
// a move past the system's drag threshold starts a free rectangle from the press point.
void CaptureView::Form_MouseDown(int, int, int x, int y) {
    m_pressed = true;
    if (m_outline.mode().on()) {
        OutlineChanges([&](WindowMode& mode) { mode.Press(m_frozen.OnScreen({x, y})); });
    } else {
        m_selection.Shape1Changes([&](SelectionFrame& shape) { shape.Press(x, y, mCutState); });
    }
    ShowOverlay(x, y);
}

void CaptureView::Form_MouseMove(int, int, int x, int y) {
    const WindowMode& mode = m_outline.mode();
    if (!mode.on()) {
        m_selection.Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, mCutState); });
    } else if (!m_pressed) {
        OutlineChanges([&](WindowMode& walked) { walked.PointAt(m_frozen.OnScreen({x, y})); });
    } else if (mode.dragging()) {
        m_selection.Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, 0); });
    } else {
        bool drags = false;
        OutlineChanges([&](WindowMode& walked) {
            drags = walked.DragsAt(m_frozen.OnScreen({x, y}), GetSystemMetrics(SM_CXDRAG),
                                   GetSystemMetrics(SM_CYDRAG));
        });
        if (drags) {
            const Rect from = m_frozen.InWindow({mode.pressedAt().x, mode.pressedAt().y, 0, 0});
            m_selection.Shape1Changes([&](SelectionFrame& shape) {
                shape.Press(from.left, from.top, 0);
                shape.Move(x, y, 0);
            });
        }
    }
    ShowOverlay(x, y);
}

void CaptureView::Form_MouseUp(int, int, int x, int y) {
    m_pressed = false;
    HideOverlay();
    if (m_outline.mode().on()) {
        // A click takes exactly the outlined rectangle: from here on as a drag over it.
        const std::optional<Rect> outlined = m_outline.mode().Outlined();
        if (!m_outline.mode().dragging()) {
            m_selection.Shape1Changes([&](SelectionFrame& shape) {
                outlined ? shape.Take(m_frozen.InWindow(*outlined)) : shape.Press(x, y, 0);
            });
        }
        OutlineChanges([](WindowMode& mode) {
            mode.Release();
            mode.Hide();
        });
    }
    m_markup.Forget();
    m_selection.ShowPicture();
    RememberRegion();
    RunSelectionMenu(x, y);
}

} // namespace snarvik
