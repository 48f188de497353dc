// What the pointer, the keys and the toolbar do while the user marks a selection up.
#pragma once
#include <cstdint>
#include <optional>

#include "capture/markup.h"
#include "capture/markup_toolbar.h"

namespace snarvik {

// The tool, colour and width in use, as kept in the settings.
struct MarkChoice {
    int tool = 0; // a MarkTool
    int colour = 0;
    int width = 1;
    friend bool operator==(const MarkChoice&, const MarkChoice&) = default;
};

enum class MarkKey { Enter, Escape, Backspace, Undo, Redo, Letter };

enum class MarkOutcome {
    None,    // nothing to show
    Changed, // the marks, the one being made or the choice changed
    Done,    // marking ends with the marks
    Drop,    // marking ends, every mark dropped
};

class MarkupInput {
public:
    // The marks so far (a Mark Up again continues with them), the choice, and the monitor's dpi
    // that sizes new marks. `area` is the picture: steps and text start only inside it.
    void Begin(const Rect& area, MarkChoice choice, int dpi);
    // The tool, colour and width from now on.
    const MarkChoice& choice() const noexcept { return m_choice; }

    // The pointer in the picture's coordinates; shift constrains the mark being made.
    MarkOutcome Press(Point at, bool shift);
    MarkOutcome Move(Point at, bool shift);
    MarkOutcome Release(Point at, bool shift);
    // A key: Letter carries its character in `letter`. ctrl and shift as held.
    MarkOutcome Key(MarkKey key, bool shift, bool ctrl, char32_t letter = 0);
    // A character typed (UTF-16 code unit, as the window gets it); taken only while typing.
    MarkOutcome Character(char16_t c);
    MarkOutcome Button(const ToolbarButton& button);

    // The finished marks.
    const MarkList& list() const noexcept { return m_list; }
    // The mark being dragged or typed, if any.
    const Mark* current() const noexcept { return m_current ? &*m_current : nullptr; }
    bool typing() const noexcept { return m_current && m_current->tool == MarkTool::Text; }
    // Drops the marks: a new selection.
    void Clear();

private:
    // Adds the text being typed when it has any; false when there was none.
    bool FinishTyping();
    void Repen();

    MarkList m_list;
    std::optional<Mark> m_current;
    bool m_dragging = false;
    Point m_anchor; // where the drag began
    Rect m_area;
    MarkChoice m_choice;
    int m_dpi = 96;
};

} // namespace snarvik
