#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "ui/markup_bar.h"

#include <cmath>

namespace snarvik {

namespace {

constexpr const wchar_t* kBarClassName = L"SnarvikMarkupBar";
constexpr std::uint32_t kFace = 0xFFF3F3F3;
constexpr std::uint32_t kChosenFace = 0xFFCCE4F7;
constexpr std::uint32_t kInk = 0xFF303030;
constexpr std::uint32_t kGreyedInk = 0xFFB0B0B0;
constexpr std::uint32_t kDoneInk = 0xFF2E7D32;
constexpr std::uint32_t kDropInk = 0xFFC62828;

void FillRect(Surface& image, const Rect& r, std::uint32_t colour) {
    const Rect inside = Intersect(r, {0, 0, image.width(), image.height()});
    for (int y = inside.top; y < inside.bottom(); ++y) {
        std::uint32_t* row = image.bits() + static_cast<std::ptrdiff_t>(y) * image.width();
        std::fill(row + inside.left, row + inside.right(), colour);
    }
}

Mark GlyphMark(MarkTool tool, std::uint32_t colour, int width, std::vector<Point> points) {
    Mark mark;
    mark.tool = tool;
    mark.pen = {colour, width, 0};
    mark.points = std::move(points);
    return mark;
}

bool Chosen(const ToolbarButton& button, const MarkChoice& choice) {
    switch (button.kind) {
    case ToolbarButton::Tool:
        return button.index == choice.tool;
    case ToolbarButton::Colour:
        return button.index == choice.colour;
    case ToolbarButton::Width:
        return button.index == choice.width;
    default:
        return false;
    }
}

} // namespace

void MarkupBar::Create(HWND parent, HINSTANCE instance) {
    if (auto* init = SNARVIK_LATER(L"comctl32.dll", InitCommonControlsEx)) {
        const INITCOMMONCONTROLSEX tooltips{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        init(&tooltips);
    }
    CreateBound({kBarClassName}, instance, 0, WS_CHILD | WS_CLIPSIBLINGS, L"", {}, parent);
    m_tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(),
                             nullptr, instance, nullptr);
}

void MarkupBar::Show(const ToolbarLayout& layout, int dpi, const BarState& state,
                     const MarkPainter& painter) {
    m_painter = &painter;
    m_layout = layout;
    m_dpi = dpi;
    m_state = state;
    m_image = std::make_unique<Surface>(layout.bar.width, layout.bar.height);
    Draw();
    if (m_tips != nullptr) {
        // One tool a button; the tooltip keeps its own copy of each text.
        while (SendMessageW(m_tips, TTM_GETTOOLCOUNT, 0, 0) > 0) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = hWnd();
            SendMessageW(m_tips, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
            SendMessageW(m_tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
            const ToolbarButton& button = layout.buttons[i];
            std::u16string text = TooltipOf(button);
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_SUBCLASS;
            tool.hwnd = hWnd();
            tool.uId = i + 1;
            tool.rect = {button.rect.left, button.rect.top, button.rect.right(),
                         button.rect.bottom()};
            tool.lpszText = reinterpret_cast<LPWSTR>(text.data());
            SendMessageW(m_tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    const Rect& r = layout.bar;
    SetWindowPos(hWnd(), HWND_TOP, r.left, r.top, r.width, r.height, SWP_SHOWWINDOW);
    InvalidateRect(hWnd(), nullptr, FALSE);
}

void MarkupBar::Update(const BarState& state) {
    if (state == m_state || !IsWindowVisible(hWnd())) {
        return;
    }
    m_state = state;
    Draw();
    InvalidateRect(hWnd(), nullptr, FALSE);
}

void MarkupBar::Hide() {
    ShowWindow(hWnd(), SW_HIDE);
    m_image.reset();
}

void MarkupBar::Draw() {
    if (!m_image || !m_image->valid()) {
        return;
    }
    GdiFlush();
    m_image->Fill(kFace);
    for (const ToolbarButton& button : m_layout.buttons) {
        DrawButton(button);
    }
}

// Each glyph is a mark of its own kind, drawn into the button's middle.
void MarkupBar::DrawButton(const ToolbarButton& button) {
    const Rect& r = button.rect;
    if (Chosen(button, m_state.choice)) {
        FillRect(*m_image, r, kChosenFace);
    }
    const int s = std::max(1, (m_dpi + 48) / 96);
    const int inset = r.width / 4;
    const Point a{r.left + inset, r.top + inset};
    const Point b{r.right() - 1 - inset, r.bottom() - 1 - inset};
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const int stroke = std::max(1, r.width / 12);
    const int arrowStroke = std::max(1, stroke / 2); // its head grows with it
    std::vector<Mark> glyphs;
    switch (button.kind) {
    case ToolbarButton::Tool:
        switch (static_cast<MarkTool>(button.index)) {
        case MarkTool::Rectangle:
        case MarkTool::Ellipse:
            glyphs.push_back(GlyphMark(static_cast<MarkTool>(button.index), kInk, stroke, {a, b}));
            break;
        case MarkTool::Arrow:
        case MarkTool::Line:
            glyphs.push_back(GlyphMark(static_cast<MarkTool>(button.index), kInk, arrowStroke,
                                       {{a.x, b.y}, {b.x, a.y}}));
            break;
        case MarkTool::Pen:
            glyphs.push_back(GlyphMark(MarkTool::Pen, kInk, stroke,
                                       {{a.x, b.y},
                                        {a.x + inset, a.y},
                                        {mid.x, b.y},
                                        {b.x - inset / 2, a.y},
                                        {b.x, mid.y}}));
            break;
        case MarkTool::Highlighter:
            glyphs.push_back(GlyphMark(MarkTool::Highlighter, kMarkColours[2], 2 * stroke,
                                       {{a.x, mid.y}, {b.x, mid.y}}));
            glyphs.push_back(GlyphMark(MarkTool::Line, kInk, 1, {{a.x, mid.y}, {b.x, mid.y}}));
            break;
        case MarkTool::Text: {
            Mark text = GlyphMark(MarkTool::Text, kInk, stroke, {{a.x, r.top + r.height / 8}});
            text.pen.size = r.height * 2 / 3;
            text.text = u"T";
            glyphs.push_back(std::move(text));
            break;
        }
        case MarkTool::Step: {
            Mark step = GlyphMark(MarkTool::Step, kInk, stroke, {mid});
            step.pen.size = r.width / 3;
            step.number = 1;
            glyphs.push_back(std::move(step));
            break;
        }
        case MarkTool::Pixelate: {
            const int cell = std::max(1, (b.x - a.x + 1) / 3);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 3; ++x) {
                    FillRect(*m_image, {a.x + x * cell, a.y + y * cell, cell, cell},
                             (x + y) % 2 == 0 ? 0xFF707070 : 0xFFB8B8B8);
                }
            }
            break;
        }
        }
        break;
    case ToolbarButton::Colour:
        FillRect(*m_image, {a.x - s, a.y - s, b.x - a.x + 1 + 2 * s, b.y - a.y + 1 + 2 * s},
                 kGreyedInk);
        FillRect(*m_image, {a.x, a.y, b.x - a.x + 1, b.y - a.y + 1},
                 kMarkColours[static_cast<std::size_t>(button.index)]);
        break;
    case ToolbarButton::Width:
        glyphs.push_back(
            GlyphMark(MarkTool::Line, kInk,
                      std::max(1, kMarkWidths[static_cast<std::size_t>(button.index)] * m_dpi / 96),
                      {{a.x, mid.y}, {b.x, mid.y}}));
        break;
    case ToolbarButton::Undo:
    case ToolbarButton::Redo: {
        const bool undo = button.kind == ToolbarButton::Undo;
        const bool can = undo ? m_state.canUndo : m_state.canRedo;
        glyphs.push_back(GlyphMark(MarkTool::Arrow, can ? kInk : kGreyedInk, arrowStroke,
                                   {{undo ? b.x : a.x, mid.y}, {undo ? a.x : b.x, mid.y}}));
        break;
    }
    case ToolbarButton::Done:
        glyphs.push_back(GlyphMark(MarkTool::Pen, kDoneInk, 2 * stroke,
                                   {{a.x, mid.y}, {mid.x - inset / 3, b.y}, {b.x, a.y}}));
        break;
    case ToolbarButton::Drop:
        glyphs.push_back(GlyphMark(MarkTool::Line, kDropInk, 2 * stroke, {a, b}));
        glyphs.push_back(GlyphMark(MarkTool::Line, kDropInk, 2 * stroke, {{a.x, b.y}, {b.x, a.y}}));
        break;
    }
    for (const Mark& glyph : glyphs) {
        m_painter->Draw({m_image->bits(), m_image->width(), m_image->height()}, glyph, r);
    }
}

LRESULT MarkupBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const win::PaintScope paint(hWnd());
        const RECT& area = paint.area();
        if (m_image && m_image->valid()) {
            BitBlt(paint.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
                   m_image->dc(), area.left, area.top, SRCCOPY);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (const auto button = ButtonAt(m_layout, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            m_host.BarClicked(*button);
        }
        return 0;
    case WM_RBUTTONUP:
    case WM_RBUTTONDOWN:
        return 0; // a right click on the bar is no click on the picture
    default:
        return DefWindowProcW(hWnd(), message, wParam, lParam);
    }
}

} // namespace snarvik
