#include <windows.h>
#include <windowsx.h>

#include "ui/markup_layer.h"

#include "base/settings.h"
#include "base/settings_store.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace snarvik {

namespace {

// Copies area (clipped to both) from one picture's rows to another's of the same width.
void CopyArea(const std::uint32_t* from, std::uint32_t* to, int width, int height,
              const Rect& area) {
    const Rect part = Intersect(area, {0, 0, width, height});
    for (int y = part.top; y < part.bottom(); ++y) {
        const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * width + part.left;
        std::memcpy(to + at, from + at, static_cast<std::size_t>(part.width) * 4);
    }
}

int StoredIndex(const char* name, int fallback) {
    return settings::ParseInt32(settings::GetSetting(settings::kAppName, settings::kSection, name,
                                                     std::to_string(fallback)))
        .value_or(fallback);
}

void Store(const char* name, int value) {
    // A choice not kept is no reason to stop marking.
    settings::SaveSetting(settings::kAppName, settings::kSection, name, std::to_string(value));
}

} // namespace

void MarkupLayer::Create(HWND window) {
    m_window = window;
}

void MarkupLayer::Begin(const Image& picture, const Rect& place, const Rect& monitor, int dpi) {
    // What only marking uses stays out of the program idling in the tray until then.
    if (!m_painter) {
        if (!m_gdiplus) {
            m_gdiplus.emplace();
        }
        m_painter = std::make_unique<MarkPainter>();
        m_bar.Create(m_window,
                     reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_window, GWLP_HINSTANCE)));
    }
    if (!m_view || m_original.width() != picture.width() ||
        m_original.height() != picture.height()) {
        m_input.Clear();
        m_original = picture;
        m_composed = picture;
        m_composedAt = m_input.list().version();
        m_composedCount = 0;
        m_view = std::make_shared<Surface>(picture.width(), picture.height());
        if (!m_view->valid()) {
            m_view.reset();
            throw std::bad_alloc();
        }
        std::memcpy(m_view->bits(), m_composed.pixels().data(), m_composed.pixels().size_bytes());
        m_drawn = {};
    }
    m_origin = {place.left, place.top};
    m_input.Begin({0, 0, picture.width(), picture.height()},
                  {StoredIndex(settings::kMarkTool, 0), StoredIndex(settings::kMarkColour, 0),
                   StoredIndex(settings::kMarkWidth, 1)},
                  dpi);
    m_stored = m_input.choice();
    m_host.ShowOnPicture(m_view);
    m_bar.Show(LayoutToolbar(place, monitor, dpi), dpi, State(), *m_painter);
    m_active = true;
}

void MarkupLayer::Forget() {
    if (m_active) {
        m_active = false;
        m_bar.Hide();
    }
    m_input.Clear();
    m_original = {};
    m_composed = {};
    m_view.reset();
}

BarState MarkupLayer::State() const {
    return {m_input.choice(), m_input.list().canUndo(), m_input.list().canRedo()};
}

bool MarkupLayer::Input(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point at{GET_X_LPARAM(lParam) - m_origin.x, GET_Y_LPARAM(lParam) - m_origin.y};
    const bool shift = (wParam & MK_SHIFT) != 0;
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(m_window); // a drag may leave the window's edge and come back
        Apply(m_input.Press(at, shift));
        return true;
    case WM_MOUSEMOVE:
        Apply(m_input.Move(at, shift));
        return true;
    case WM_LBUTTONUP:
        ReleaseCapture();
        Apply(m_input.Release(at, shift));
        return true;
    case WM_RBUTTONUP:
        Apply(m_input.Button({ToolbarButton::Done, 0, {}}));
        return true;
    case WM_KEYDOWN:
        return Key(wParam);
    case WM_CHAR:
        Apply(m_input.Character(static_cast<char16_t>(wParam)));
        return true;
    default:
        return true; // the cut's own buttons and wheel do nothing while marking
    }
}

bool MarkupLayer::Key(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_RETURN:
        Apply(m_input.Key(MarkKey::Enter, shift, ctrl));
        break;
    case VK_ESCAPE:
        Apply(m_input.Key(MarkKey::Escape, shift, ctrl));
        break;
    case VK_BACK:
        Apply(m_input.Key(MarkKey::Backspace, shift, ctrl));
        break;
    default:
        if (ctrl && (key == 'Z' || key == 'Y')) {
            Apply(m_input.Key(key == 'Y' || shift ? MarkKey::Redo : MarkKey::Undo, shift, ctrl));
        } else if (key >= 'A' && key <= 'Z') {
            Apply(m_input.Key(MarkKey::Letter, shift, ctrl, static_cast<char32_t>(key)));
        }
        break;
    }
    return true;
}

void MarkupLayer::BarClicked(const ToolbarButton& button) {
    Apply(m_input.Button(button));
}

void MarkupLayer::Apply(MarkOutcome outcome) {
    switch (outcome) {
    case MarkOutcome::None:
        return;
    case MarkOutcome::Changed: {
        Refresh();
        const MarkChoice& choice = m_input.choice();
        if (choice.tool != m_stored.tool) {
            Store(settings::kMarkTool, choice.tool);
        }
        if (choice.colour != m_stored.colour) {
            Store(settings::kMarkColour, choice.colour);
        }
        if (choice.width != m_stored.width) {
            Store(settings::kMarkWidth, choice.width);
        }
        m_stored = choice;
        m_bar.Update(State());
        return;
    }
    case MarkOutcome::Done:
    case MarkOutcome::Drop:
        End();
        return;
    }
}

Rect MarkupLayer::Compose() {
    const MarkList& list = m_input.list();
    if (list.version() == m_composedAt) {
        return {};
    }
    const std::vector<Mark>& marks = list.marks();
    const Rect whole{0, 0, m_composed.width(), m_composed.height()};
    Rect changed = whole;
    if (marks.size() == m_composedCount + 1) {
        // Added or redone: only the newest goes over what is composed.
        ComposeMarks(m_composed, {&marks.back(), 1}, *m_painter);
        changed = Intersect(m_painter->Extent(marks.back()), whole);
    } else {
        m_composed = m_original;
        ComposeMarks(m_composed, marks, *m_painter);
    }
    m_composedAt = list.version();
    m_composedCount = marks.size();
    return changed;
}

void MarkupLayer::Refresh() {
    const int width = m_composed.width();
    const int height = m_composed.height();
    const Rect whole{0, 0, width, height};
    Rect dirty = Union(m_drawn, Compose());
    const Mark* current = m_input.current();
    const bool typing = m_input.typing();
    const Rect now =
        current != nullptr ? Intersect(m_painter->Extent(*current, typing), whole) : Rect{};
    dirty = Intersect(Union(dirty, now), whole);
    GdiFlush();
    CopyArea(m_composed.pixels().data(), m_view->bits(), width, height, dirty);
    if (current != nullptr && current->tool == MarkTool::Pixelate) {
        // Shown as it will be: the box pixelated from what lies around it now.
        const Rect box = Intersect(Span(current->points.front(), current->points.back()), whole);
        const int band = current->pen.size;
        const Rect around = Intersect(Grown(box, band), whole);
        Image part(around.width, around.height);
        for (int y = 0; y < around.height; ++y) {
            std::memcpy(part.row(y), m_composed.row(around.top + y) + around.left,
                        static_cast<std::size_t>(around.width) * 4);
        }
        Pixelate(part, {box.left - around.left, box.top - around.top, box.width, box.height}, band);
        for (int y = 0; y < box.height; ++y) {
            std::memcpy(m_view->bits() + static_cast<std::ptrdiff_t>(box.top + y) * width +
                            box.left,
                        part.row(box.top - around.top + y) + (box.left - around.left),
                        static_cast<std::size_t>(box.width) * 4);
        }
    } else if (current != nullptr) {
        m_painter->Draw({m_view->bits(), width, height}, *current, now, typing);
    }
    m_drawn = now;
    if (dirty.width > 0 && dirty.height > 0) {
        m_host.RepaintPicture(dirty);
    }
}

void MarkupLayer::End() {
    m_active = false;
    if (GetCapture() == m_window) {
        ReleaseCapture();
    }
    m_bar.Hide();
    Refresh(); // nothing half made is left on the picture
    PostMessageW(m_window, kMarkingEnded, 0, 0);
}

} // namespace snarvik
