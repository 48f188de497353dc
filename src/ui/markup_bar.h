// The marking toolbar: a child of the capture window beside the selection, its buttons drawn
// with the marks' own painter, a tooltip on each.
#pragma once
#include <windows.h>

#include <exception>
#include <memory>

#include "base/win32.h"
#include "capture/markup_input.h"
#include "capture/markup_toolbar.h"
#include "capture/surface.h"
#include "ui/mark_painter.h"
#include "ui/window_base.h"

namespace snarvik {

class MarkupBarHost {
public:
    virtual void BarClicked(const ToolbarButton& button) = 0;
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~MarkupBarHost() = default;
};

// What the buttons show as chosen or available.
struct BarState {
    MarkChoice choice;
    bool canUndo = false;
    bool canRedo = false;
    friend bool operator==(const BarState&, const BarState&) = default;
};

class MarkupBar final : private WindowBase {
public:
    explicit MarkupBar(MarkupBarHost& host) : m_host(host) {}
    MarkupBar(const MarkupBar&) = delete;
    MarkupBar& operator=(const MarkupBar&) = delete;

    void Create(HWND parent, HINSTANCE instance);
    HWND window() const noexcept { return hWnd(); }
    // Shows the bar as laid out (in the parent's coordinates), over every other child.
    void Show(const ToolbarLayout& layout, int dpi, const BarState& state,
              const MarkPainter& painter);
    // Repaints what changed.
    void Update(const BarState& state);
    void Hide();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ReportFailure(const std::exception_ptr& error) noexcept override {
        m_host.ReportFailure(error);
    }
    void Draw();
    void DrawButton(const ToolbarButton& button);

    MarkupBarHost& m_host;
    const MarkPainter* m_painter = nullptr;
    ToolbarLayout m_layout;
    int m_dpi = 96;
    BarState m_state;
    std::unique_ptr<Surface> m_image; // the bar as drawn
    HWND m_tips = nullptr;            // owned by the bar, gone with it
};

} // namespace snarvik
