// The last region: every released selection is stored, and "Cut - Last Region" takes it again
// on a new grab, after a restart too.
#include <windows.h>

#include "ui/capture_view.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "capture/last_region.h"

namespace snarvik {

void CaptureView::RememberRegion() {
    const Rect& place = m_selection.place();
    if (place.width <= 0 || place.height <= 0) {
        return; // a click selects nothing to take again
    }
    const Point at = m_frozen.OnScreen({place.left, place.top});
    const LONG status =
        settings::SaveSetting(settings::kAppName, settings::kSection, settings::kLastRegion,
                              FormatRegion({at.x, at.y, place.width, place.height}));
    if (status != ERROR_SUCCESS) {
        m_host.ShowError({"The selection could not be stored in the registry for \"Cut - Last "
                          "Region\"",
                          win::SystemMessage(static_cast<DWORD>(status))});
    }
}

void CaptureView::CutLastRegion() {
    StartCut(0);
    if (!m_host.CaptureUp() || !IsWindowVisible(m_window)) {
        return; // the grab failed, and said so
    }
    // Checked against the monitors of this grab: gone or moved ones make it an ordinary cut.
    const std::optional<Rect> region = ParseRegion(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kLastRegion, ""));
    if (!region || !WhollyOnDesktop(*region, m_frozen.desktop())) {
        return;
    }
    const Rect inWindow = m_frozen.InWindow(*region);
    HideOverlay();
    m_selection.Shape1Changes([&](SelectionFrame& shape) { shape.Take(inWindow); });
    m_markup.Forget();
    m_selection.ShowPicture();
    RunSelectionMenu(inWindow.right(), inWindow.bottom());
}

} // namespace snarvik
