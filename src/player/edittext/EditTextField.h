// One placed edit-text field: its record, font, text, line table, scroll position, selection
// and caret. Positions are in the field's own space (twips, the bounds of its character);
// character indexes count 16-bit characters of the text.
//
// Layout: the text area is the bounds less a gutter of 2 pixels on every side and the left and
// right margins; lines are ascent + descent + leading apart; the first line of a paragraph
// starts at the indent. Only whole lines that fit are shown (always at least the first visible
// one), and glyphs that would cross the left or right edge of the bounds are left out.
#pragma once

#include "player/Rect.h"
#include "player/edittext/EditTextRecord.h"
#include "player/edittext/FieldFont.h"
#include "player/edittext/TextLayout.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::player {

class GlyphOutput;

class EditTextField {
public:
    static constexpr int32_t kGutter = 40;
    static constexpr int32_t kCaretWidth = 20;
    static constexpr int32_t kBorderWidth = 20;
    static constexpr uint32_t kHighlight = 0xFF000000;
    static constexpr uint32_t kHighlightText = 0xFFFFFFFF;
    static constexpr uint32_t kBackground = 0xFFFFFFFF;
    static constexpr uint32_t kBorderColor = 0xFF000000;

    EditTextField(const Rect& bounds, EditTextRecord record, FieldFont font);

    const EditTextRecord& Record() const { return record_; }
    const FieldFont& Font() const { return font_; }
    const Rect& Bounds() const { return bounds_; }

    // Replaces the text with bytes of a variable (Shift-JIS pairs combined when the font is a
    // Shift-JIS font, otherwise one character per byte) and lays it out again.
    void SetText(std::string_view bytes);
    const std::u16string& Text() const { return text_; }
    const std::vector<TextLine>& Lines() const { return lines_; }

    // First visible line (0-based) and the largest first line that still fills the field.
    int Scroll() const { return scroll_; }
    int MaxScroll() const;
    // Clamped to 0..MaxScroll(); true when it changed.
    bool SetScroll(int firstLine);
    int VisibleLines() const;
    int32_t HScroll() const { return hscroll_; }

    // The selection runs from the anchor to the active end (where the caret is).
    uint32_t SelectionAnchor() const { return anchor_; }
    uint32_t SelectionEnd() const { return active_; }
    void Select(uint32_t anchor, uint32_t active);
    // Selects the word around `index` (a run of letters, digits, underscores and characters
    // above 0x7F), or the single character there when it is none of those.
    void SelectWord(uint32_t index);
    // The character index nearest to a point (field space); points beyond the text area clamp
    // to the nearest line and end.
    uint32_t IndexAt(int32_t x, int32_t y) const;
    // Scrolls so that the active end of the selection is visible.
    void ShowSelectionEnd();

    bool CaretOn() const { return caretOn_; }
    void SetCaretOn(bool on) { caretOn_ = on; }

    // Adds the field's border, background, selection, glyphs and (with the focus) caret.
    void Draw(GlyphOutput& out, bool focused) const;

    // ---- editing ----

    // Replaces the characters [from, to) by `with`; the caret goes after the inserted text.
    void Replace(uint32_t from, uint32_t to, std::u16string_view with);
    // The text as the bytes of its variable: one byte per character, a double-byte character
    // as its lead and trail bytes (the inverse of SetText).
    std::string Bytes() const;
    // The index on line `line` nearest to horizontal position `x` (field space, before
    // horizontal scrolling).
    uint32_t IndexOnLine(int line, int64_t x) const;
    // The start of the word before `index` and the end of the word after it (words as in
    // SelectWord); blanks and punctuation between words are skipped.
    uint32_t WordStartBefore(uint32_t index) const;
    uint32_t WordEndAfter(uint32_t index) const;

    // Horizontal position (field space, before horizontal scrolling) of the character index.
    int64_t XOf(uint32_t index) const;
    // The line that shows character `index`.
    int LineOf(uint32_t index) const;
    // Top of line `line` (field space) with the current scroll.
    int64_t LineTop(int line) const;
    int32_t LineHeight() const;

private:
    char16_t Shown(uint32_t i) const { return record_.Password() ? u'*' : text_[i]; }
    int32_t AdvanceAt(uint32_t i) const { return font_.Advance(Shown(i)); }
    int64_t LineOrigin(const TextLine& line) const;
    int32_t TextLeft() const;
    int32_t TextRight() const;
    void Relayout();

    Rect bounds_;
    EditTextRecord record_;
    FieldFont font_;
    std::u16string text_;
    std::vector<TextLine> lines_;
    int scroll_ = 0;
    int32_t hscroll_ = 0;
    uint32_t anchor_ = 0;
    uint32_t active_ = 0;
    bool caretOn_ = false;
};

} // namespace tavro::player
