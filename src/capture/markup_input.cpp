#include "capture/markup_input.h"

#include <algorithm>

namespace snarvik {

namespace {

bool DrawsAPath(MarkTool tool) {
    return tool == MarkTool::Pen || tool == MarkTool::Highlighter;
}

// A text of nothing but spaces and line breaks draws nothing.
bool ShowsAnything(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char16_t c) { return c != u' ' && c != u'\n'; });
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

void MarkupInput::Begin(const Rect& area, MarkChoice choice, int dpi) {
    m_current.reset();
    m_dragging = false;
    m_area = area;
    m_choice = {std::clamp(choice.tool, 0, kMarkToolCount - 1),
                std::clamp(choice.colour, 0, static_cast<int>(kMarkColours.size()) - 1),
                std::clamp(choice.width, 0, static_cast<int>(kMarkWidths.size()) - 1)};
    m_dpi = dpi <= 0 ? 96 : dpi;
}

MarkOutcome MarkupInput::Press(Point at, bool /*shift: a press makes no size to constrain*/) {
    if (typing()) {
        // The click that ends the typing only ends it.
        FinishTyping();
        return MarkOutcome::Changed;
    }
    if (m_dragging) {
        // Its release went missing: the drag ends where it was.
        const Point last = m_current->points.back();
        Release(last, false);
    }
    const auto tool = static_cast<MarkTool>(m_choice.tool);
    Mark mark{tool, PenFor(m_choice.colour, m_choice.width, m_dpi), {at}, {}, 0};
    switch (tool) {
    case MarkTool::Text:
        if (!m_area.contains(at)) {
            return MarkOutcome::None;
        }
        m_current = std::move(mark);
        return MarkOutcome::Changed;
    case MarkTool::Step:
        if (!m_area.contains(at)) {
            return MarkOutcome::None;
        }
        mark.number = m_list.NextStepNumber();
        m_list.Add(std::move(mark));
        return MarkOutcome::Changed;
    default:
        if (!DrawsAPath(tool)) {
            mark.points.push_back(at);
        }
        m_current = std::move(mark);
        m_dragging = true;
        m_anchor = at;
        return MarkOutcome::Changed;
    }
}

MarkOutcome MarkupInput::Move(Point at, bool shift) {
    if (!m_dragging) {
        return MarkOutcome::None;
    }
    std::vector<Point>& points = m_current->points;
    if (DrawsAPath(m_current->tool)) {
        if (points.back() == at) {
            return MarkOutcome::None;
        }
        points.push_back(at);
        return MarkOutcome::Changed;
    }
    const Point to = Constrain(m_current->tool, m_anchor, at, shift);
    if (points.back() == to) {
        return MarkOutcome::None;
    }
    points.back() = to;
    return MarkOutcome::Changed;
}

MarkOutcome MarkupInput::Release(Point at, bool shift) {
    if (!m_dragging) {
        return MarkOutcome::None;
    }
    Move(at, shift);
    Mark mark = std::move(*m_current);
    m_current.reset();
    m_dragging = false;
    // A shape of no size is a click, not a mark; a pen's single point is a dot.
    if (DrawsAPath(mark.tool) || mark.points.front() != mark.points.back()) {
        m_list.Add(std::move(mark));
    }
    return MarkOutcome::Changed;
}

MarkOutcome MarkupInput::Key(MarkKey key, bool shift, bool ctrl, char32_t letter) {
    if (typing()) {
        std::u16string& text = m_current->text;
        switch (key) {
        case MarkKey::Enter:
            if (shift) {
                text.push_back(u'\n');
            } else {
                FinishTyping();
            }
            return MarkOutcome::Changed;
        case MarkKey::Escape:
        case MarkKey::Undo:
            m_current.reset();
            return MarkOutcome::Changed;
        case MarkKey::Backspace: {
            if (text.empty()) {
                return MarkOutcome::None;
            }
            const bool pair = text.size() >= 2 && IsLowSurrogate(text.back()) &&
                              IsHighSurrogate(text[text.size() - 2]);
            text.resize(text.size() - (pair ? 2 : 1));
            return MarkOutcome::Changed;
        }
        case MarkKey::Redo:
        case MarkKey::Letter:
            return MarkOutcome::None;
        }
        return MarkOutcome::None;
    }
    if (m_dragging) {
        if (key != MarkKey::Enter && key != MarkKey::Escape) {
            return MarkOutcome::None;
        }
        m_current.reset();
        m_dragging = false;
        return MarkOutcome::Done;
    }
    switch (key) {
    case MarkKey::Enter:
    case MarkKey::Escape:
        return MarkOutcome::Done;
    case MarkKey::Undo:
        return m_list.Undo() ? MarkOutcome::Changed : MarkOutcome::None;
    case MarkKey::Redo:
        return m_list.Redo() ? MarkOutcome::Changed : MarkOutcome::None;
    case MarkKey::Letter: {
        const std::optional<MarkTool> tool = ToolOfKey(letter);
        if (ctrl || !tool) {
            return MarkOutcome::None;
        }
        m_choice.tool = static_cast<int>(*tool);
        return MarkOutcome::Changed;
    }
    case MarkKey::Backspace:
        return MarkOutcome::None;
    }
    return MarkOutcome::None;
}

MarkOutcome MarkupInput::Character(char16_t c) {
    if (!typing() || c < 0x20 || c == 0x7F) {
        return MarkOutcome::None;
    }
    m_current->text.push_back(c);
    return MarkOutcome::Changed;
}

MarkOutcome MarkupInput::Button(const ToolbarButton& button) {
    const auto inRange = [&](std::size_t count) {
        return button.index >= 0 && button.index < static_cast<int>(count);
    };
    switch (button.kind) {
    case ToolbarButton::Tool:
        if (!inRange(kMarkToolCount)) {
            return MarkOutcome::None;
        }
        FinishTyping();
        m_choice.tool = button.index;
        return MarkOutcome::Changed;
    case ToolbarButton::Colour:
        if (!inRange(kMarkColours.size())) {
            return MarkOutcome::None;
        }
        m_choice.colour = button.index;
        Repen();
        return MarkOutcome::Changed;
    case ToolbarButton::Width:
        if (!inRange(kMarkWidths.size())) {
            return MarkOutcome::None;
        }
        m_choice.width = button.index;
        Repen();
        return MarkOutcome::Changed;
    case ToolbarButton::Undo:
        return Key(MarkKey::Undo, false, true);
    case ToolbarButton::Redo:
        return Key(MarkKey::Redo, false, true);
    case ToolbarButton::Done:
        FinishTyping();
        m_current.reset(); // a drag still on is unfinished
        m_dragging = false;
        return MarkOutcome::Done;
    case ToolbarButton::Drop:
        Clear();
        return MarkOutcome::Drop;
    }
    return MarkOutcome::None;
}

// The text being typed takes the colour and width chosen meanwhile.
void MarkupInput::Repen() {
    if (typing()) {
        m_current->pen = PenFor(m_choice.colour, m_choice.width, m_dpi);
    }
}

void MarkupInput::Clear() {
    m_current.reset();
    m_dragging = false;
    m_list.Clear();
}

bool MarkupInput::FinishTyping() {
    if (!typing()) {
        return false;
    }
    Mark mark = std::move(*m_current);
    m_current.reset();
    if (!ShowsAnything(mark.text)) {
        return false;
    }
    m_list.Add(std::move(mark));
    return true;
}

} // namespace snarvik
