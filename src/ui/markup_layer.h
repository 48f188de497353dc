// Marking the selection up on the frozen screen: the toolbar beside it, the marks drawn into a
// picture that Picture1 shows. Finished marks are composed once; a pointer move redraws only
// the mark being made, over the part it touched.
#pragma once
#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "base/image.h"
#include "capture/markup_input.h"
#include "capture/surface.h"
#include "ui/mark_painter.h"
#include "ui/markup_bar.h"

namespace snarvik {

// What marking needs of the view it is part of.
class MarkupHost {
public:
    // Picture1 shows view from now on.
    virtual void ShowOnPicture(std::shared_ptr<const Surface> view) = 0;
    // Repaints area of Picture1 (in its own coordinates) now.
    virtual void RepaintPicture(const Rect& area) = 0;
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~MarkupHost() = default;
};

// Posted to the capture window when marking ends: the selection menu is shown again once the
// message that ended it (and its character) is handled.
inline constexpr UINT kMarkingEnded = WM_APP + 2;

class MarkupLayer final : private MarkupBarHost {
public:
    explicit MarkupLayer(MarkupHost& host) : m_host(host), m_bar(*this) {}

    void Create(HWND window);
    // Marks picture, the selection shown at place on monitor (both in the capture window), on a
    // monitor of dpi. The same selection marked again keeps its marks.
    void Begin(const Image& picture, const Rect& place, const Rect& monitor, int dpi);
    // The selection is gone: its marks with it.
    void Forget();

    // While marking, the layer takes every mouse, key, character and wheel message of the
    // capture window (window coordinates); true when it took it.
    bool Active() const noexcept { return m_active; }
    bool Input(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void BarClicked(const ToolbarButton& button) override;
    void ReportFailure(const std::exception_ptr& error) noexcept override {
        m_host.ReportFailure(error);
    }
    bool Key(WPARAM key);
    void Apply(MarkOutcome outcome);
    // Brings what is composed up to the finished marks; returns the part that changed.
    Rect Compose();
    // Draws the mark being made over the composed picture, restoring what it left.
    void Refresh();
    void End();
    BarState State() const;

    MarkupHost& m_host;
    HWND m_window = nullptr;
    std::optional<GdiplusSession> m_gdiplus; // from the first Mark Up on
    std::unique_ptr<MarkPainter> m_painter;
    MarkupBar m_bar;
    MarkupInput m_input;
    Image m_original;               // the selection as taken
    Image m_composed;               // with every finished mark
    std::uint64_t m_composedAt = 0; // the marks' version it holds
    std::size_t m_composedCount = 0;
    std::shared_ptr<Surface> m_view; // composed, with the mark being made: what Picture1 shows
    Rect m_drawn;                    // where the view differs from m_composed
    Point m_origin;                  // the picture's top-left in the capture window
    MarkChoice m_stored;             // as the settings hold it
    bool m_active = false;
};

} // namespace snarvik
