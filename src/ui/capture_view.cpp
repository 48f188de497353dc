// The cut on screen: the grab freezes the screen into the window, the input drives Shape1 over
// it, a release shows the selection in Picture1 and pops up the selection menu.
#include <windows.h>
#include <dwmapi.h>

#include "ui/capture_view.h"

#include "capture/overlay.h"
#include "output/wallpaper_modes.h"

#include <algorithm>

namespace snarvik {

void CaptureView::Create(HWND window, HINSTANCE instance) {
    m_window = window;
    m_selection.Create(window, instance);
    m_markup.Create(window);
}

void CaptureView::StartCut(std::int32_t limit) {
    mCutState = limit;
    m_pressed = false;
    m_keyMoves.Clear();
    m_markup.Forget();
    m_selection.ClearPicture();
    m_selection.Shape1Changes([](SelectionFrame& shape) { shape.Hide(); });
    if (!GrabScreen()) {
        return;
    }
    m_host.ShowCaptureWindow();
    SizeShape1();
}

bool CaptureView::GrabScreen() {
    if (IsWindowVisible(m_window)) {
        PaintFrozenOnly(); // a cut over a cut freezes nothing of ours
    }
    m_selection.Detach(); // Picture1 keeps showing what was selected
    const Failed failed = m_frozen.Grab();
    m_input.Start({m_frozen.screen().left, m_frozen.screen().top});
    m_outline.Reset(m_window);
    m_selection.SetGrabbing(false);
    if (failed) {
        // Never an older screen shown as if it were this one: a cut over a cut ends too.
        m_host.EndCut();
        m_host.ShowError(*failed);
        return false;
    }
    InvalidateRect(m_window, nullptr, FALSE);
    InvalidateRect(m_selection.Picture1(), nullptr, FALSE);
    return true;
}

void CaptureView::SizeShape1() {
    m_selection.Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(mCutState); });
}

void CaptureView::ShowOverlayAtPointer() {
    POINT pointer{};
    GetCursorPos(&pointer);
    const Rect& screen = m_frozen.screen();
    m_input.PointerAt({pointer.x - screen.left, pointer.y - screen.top});
    ShowOverlay(pointer.x - screen.left, pointer.y - screen.top);
}

void CaptureView::ShowOverlay(int x, int y) {
    m_overlay.Show(m_window, {x, y}, kOverlayLines + (m_outline.mode().on() ? 1 : 0),
                   [this](HRGN region) { m_selection.InvalidateUnder(region); });
}

void CaptureView::HideOverlay() {
    m_overlay.Hide(m_window, [this](HRGN region) { m_selection.InvalidateUnder(region); });
}

// The pointer's place, or the size of what would be selected, and in window mode that it is on.
std::vector<std::string> CaptureView::Readout() const {
    const WindowMode& mode = m_outline.mode();
    const Rect& frame = m_selection.Shape1().rect();
    std::vector<std::string> lines;
    if (const std::optional<Rect> outlined = mode.Outlined()) {
        lines.push_back(SizeText(outlined->width, outlined->height));
    } else if (m_pressed || mCutState != 0) {
        lines.push_back(SizeText(std::max(frame.width, 0), std::max(frame.height, 0)));
    } else {
        const Point at = m_frozen.OnScreen(m_overlay.pointer());
        lines.push_back(PointerText(at.x, at.y));
    }
    if (mode.on()) {
        lines.emplace_back(kWindowModeLine);
    }
    return lines;
}

void CaptureView::OutlineChanges(const std::function<void(WindowMode&)>& change) {
    m_outline.Changes(m_window, change,
                      [this](HRGN region) { m_selection.InvalidateUnder(region); });
}

void CaptureView::PaintFrozenOnly() {
    m_selection.SetGrabbing(true);
    HideOverlay();
    m_selection.InvalidateShape1();
    const win::UniqueGdiObject outline(CreateRectRgn(0, 0, 0, 0));
    m_outline.AddTo(static_cast<HRGN>(outline.get()));
    InvalidateRgn(m_window, static_cast<HRGN>(outline.get()), FALSE);
    InvalidateRect(m_selection.Picture1(), nullptr, FALSE);
    RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    // With the desktop composed, the screen shows it from the compositor's next frame on.
    if (auto* flush = SNARVIK_LATER(L"dwmapi.dll", DwmFlush)) {
        flush();
    }
    // Under Wine a window's pixels reach the screen when its thread next waits: a wait that
    // returns at once.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

// Bottom to top: the frozen screen, the frame and the outline, the readout panel.
void CaptureView::Paint() {
    const win::PaintScope paint(m_window);
    HDC dc = paint.dc();
    m_frozen.Paint(dc, paint.area());
    const bool grabbing = m_selection.grabbing();
    if (!grabbing) {
        m_selection.PaintShape1(dc);
        m_outline.Paint(dc);
    }
    if (m_overlay.shown()) {
        m_overlay.Paint(dc, {0, 0}, Readout());
    }
    if (m_outline.snapshotDue()) {
        // Handled before any input that came meanwhile: posted messages go first.
        PostMessageW(m_window, kTakeSnapshot, 0, 0);
    }
}

void CaptureView::PaintOverPicture(HDC dc, POINT origin) {
    m_outline.Paint(dc, origin); // window mode outlines what lies under the picture as well
    if (m_overlay.shown()) {
        m_overlay.Paint(dc, origin, Readout());
    }
}

void CaptureView::RunSelectionMenu(int x, int y) {
    POINT at{x, y};
    ClientToScreen(m_window, &at);
    std::optional<SelectionMenu::Item> chosen;
    {
        const ModalSteps::Step step(m_steps, ModalSteps::Kind::Menu);
        chosen = mnuPopup.Run(m_window, at);
    }
    // Dismissed, the selection stays shown.
    if (!chosen || m_host.Closing()) {
        return;
    }
    using Item = SelectionMenu::Item;
    switch (*chosen) {
    case Item::CopyToClipboard:
        return mnuPopupCopyToClipboard_Click();
    case Item::SaveBitmap:
        return mnuPopupSaveBitmap_Click();
    case Item::SavePng:
        return mnuPopupSavePng_Click();
    case Item::QuickSave:
        return mnuPopupQuickSave_Click();
    case Item::SaveIcon:
        return mnuPopupSaveIcon_Click();
    case Item::SaveCursor:
        return mnuPopupSaveCursor_Click();
    case Item::WallpaperTile:
        return mnuPopupSetAsWallpaperMode_Click(kWallpaperTile);
    case Item::WallpaperCenter:
        return mnuPopupSetAsWallpaperMode_Click(kWallpaperCenter);
    case Item::WallpaperStretch:
        return mnuPopupSetAsWallpaperMode_Click(kWallpaperStretch);
    case Item::Pin:
        return mnuPopupPin_Click();
    case Item::MarkUp:
        return mnuPopupMarkUp_Click();
    case Item::Reselect:
        return mnuPopupReselect_Click();
    case Item::Abort:
        return mnuPopupAbort_Click();
    }
}

// Each output gets the selection's own copy, taken before anything can pump messages and start
// another cut.
void CaptureView::mnuPopupCopyToClipboard_Click() {
    m_commands.mnuPopupCopyToClipboard_Click(Selected());
}

void CaptureView::mnuPopupSaveBitmap_Click() {
    m_commands.mnuPopupSaveBitmap_Click(Selected());
}

void CaptureView::mnuPopupSavePng_Click() {
    m_commands.mnuPopupSavePng_Click(Selected());
}

void CaptureView::mnuPopupQuickSave_Click() {
    m_commands.mnuPopupQuickSave_Click(Selected());
}

void CaptureView::mnuPopupSaveIcon_Click() {
    m_commands.mnuPopupSaveIcon_Click(Selected());
}

void CaptureView::mnuPopupSaveCursor_Click() {
    m_commands.mnuPopupSaveCursor_Click(Selected());
}

void CaptureView::mnuPopupSetAsWallpaperMode_Click(std::int16_t Index) {
    m_commands.mnuPopupSetAsWallpaperMode_Click(Index, Selected());
}

// Exactly over what it came from: the capture window's (0, 0) is the screen's top-left.
void CaptureView::mnuPopupPin_Click() {
    const Rect& place = m_selection.place();
    const Rect& screen = m_frozen.screen();
    m_host.PinPicture(m_selection.Pixels(), {screen.left + place.left, screen.top + place.top,
                                             place.width, place.height});
}

// Marks the selection where it is; its toolbar goes on the selection's monitor, at its scaling.
void CaptureView::mnuPopupMarkUp_Click() {
    const Image picture = m_selection.Pixels();
    if (picture.empty()) {
        return; // a click selected nothing to draw on
    }
    const Rect& place = m_selection.place();
    const Rect onScreen = {m_frozen.screen().left + place.left, m_frozen.screen().top + place.top,
                           place.width, place.height};
    const Monitor* monitor = MonitorAt(m_frozen.desktop(), {onScreen.left + onScreen.width / 2,
                                                            onScreen.top + onScreen.height / 2});
    const RECT asRect{onScreen.left, onScreen.top, onScreen.right(), onScreen.bottom()};
    m_markup.Begin(picture, place,
                   m_frozen.InWindow(monitor != nullptr ? monitor->bounds : m_frozen.screen()),
                   win::MonitorDpi(MonitorFromRect(&asRect, MONITOR_DEFAULTTONEAREST)));
}

void CaptureView::MarkingEnded() {
    if (m_host.CaptureUp() && IsWindowVisible(m_window) && !m_markup.Active()) {
        const Rect& place = m_selection.place();
        RunSelectionMenu(place.right() - 1, place.bottom() - 1);
    }
}

void CaptureView::mnuPopupReselect_Click() {
    m_markup.Forget();
    m_selection.ClearPicture();
    m_selection.Shape1Changes([](SelectionFrame& shape) { shape.Hide(); });
}

void CaptureView::mnuPopupAbort_Click() {
    m_markup.Forget();
    m_host.EndCut();
}

} // namespace snarvik
