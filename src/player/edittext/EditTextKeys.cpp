// Keyboard editing of the focused edit-text field: typing, deleting, moving the caret and
// extending the selection. The choices are described in docs/edittext.md.
#include "player/edittext/EditTextFields.h"

#include "base/Cp1252.h"
#include "player/DisplayObject.h"
#include "player/PlayerCore.h"
#include "player/PlayerKey.h"
#include "player/Timeline.h"
#include "player/actions/TargetPath.h"
#include "player/edittext/EditTextField.h"

#include <algorithm>

namespace tavro::player {

namespace {

// The next code point of UTF-8 text; malformed bytes give U+FFFD and move on by one byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const uint8_t b = uint8_t(s[i++]);
    if (b < 0x80)
        return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0 || b > 0xF4)
        return 0xFFFD;
    char32_t cp = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (uint8_t(s[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (uint8_t(s[i++]) & 0x3F);
    }
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool IsLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

std::u16string EditTextFields::TypedCharacters(const EditTextField& field,
                                               std::string_view utf8) const {
    // Field text holds the movie's character codes: Windows-1252 bytes, or for a double-byte
    // font its ASCII bytes and Shift-JIS pairs. Typed characters without such a code, and
    // other control characters, are left out.
    std::u16string out;
    char32_t previous = 0;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        const char32_t before = previous;
        previous = cp;
        if (cp == U'\r' || cp == U'\n') {
            // Pasted line breaks: one CR each (CR LF counts once) in a multiline field.
            if (field.Record().Multiline() && !(cp == U'\n' && before == U'\r'))
                out.push_back(u'\r');
            continue;
        }
        if (cp < 0x20 || cp == 0x7F)
            continue;
        if (field.Font().DoubleByte()) {
            if (cp < 0x80)
                out.push_back(char16_t(cp));
            continue;
        }
        const int byte = UnicodeToCp1252(cp);
        if (byte >= 0 && Cp1252IsDefined(uint8_t(byte)))
            out.push_back(char16_t(byte));
    }
    return out;
}

void EditTextFields::StoreText(DisplayObject& obj, EditTextField& field) {
    const std::string& var = field.Record().variable;
    Timeline* target = nullptr;
    std::string_view name;
    if (!var.empty() && obj.timeline)
        name = SplitVariablePath(core_, *obj.timeline, var, &target);
    if (target && !name.empty()) {
        const std::string bytes = field.Bytes();
        StoreVariable(*target, name, bytes);
        // Every field bound to the variable shows the new text (this one keeps its caret).
        VariableChanged(*target, name, bytes);
    }
    field.SetCaretOn(true);
    field.ShowSelectionEnd();
    Changed(obj);
}

void EditTextFields::ReplaceSelection(DisplayObject& obj, EditTextField& field,
                                      std::u16string_view with) {
    const uint32_t lo = std::min(field.SelectionAnchor(), field.SelectionEnd());
    const uint32_t hi = std::max(field.SelectionAnchor(), field.SelectionEnd());
    std::u16string_view text = with;
    if (const uint16_t max = field.Record().MaxChars()) {
        const size_t kept = field.Text().size() - (hi - lo);
        text = text.substr(0, kept >= max ? 0 : max - kept);
    }
    if (text.empty() && lo == hi)
        return;
    field.Replace(lo, hi, text);
    StoreText(obj, field);
}

void EditTextFields::DeleteRange(DisplayObject& obj, EditTextField& field, uint32_t from,
                                 uint32_t to) {
    if (from >= to)
        return;
    field.Replace(from, to, {});
    StoreText(obj, field);
}

void EditTextFields::MoveCaret(EditTextField& field, uint32_t to, bool extend) {
    field.Select(extend ? field.SelectionAnchor() : to, to);
    field.SetCaretOn(true);
    field.ShowSelectionEnd();
}

bool EditTextFields::KeyDown(const PlayerKey& key) {
    if (!focus_)
        return false;
    DisplayObject& obj = *focus_;
    EditTextField& field = *FieldOf(obj);
    const std::u16string& text = field.Text();
    const uint32_t n = uint32_t(text.size());
    const uint32_t active = field.SelectionEnd();
    const uint32_t lo = std::min(field.SelectionAnchor(), active);
    const uint32_t hi = std::max(field.SelectionAnchor(), active);
    const bool editable = !field.Record().ReadOnly();
    using Code = PlayerKey::Code;

    switch (key.code) {
    case Code::Text:
        if (editable)
            ReplaceSelection(obj, field, TypedCharacters(field, key.text));
        break;
    case Code::Enter:
        if (!field.Record().Multiline())
            return false;
        if (editable)
            ReplaceSelection(obj, field, u"\r");
        break;
    case Code::Backspace:
    case Code::Delete: {
        if (!editable)
            break;
        if (lo != hi) {
            DeleteRange(obj, field, lo, hi);
            break;
        }
        uint32_t from = active, to = active;
        if (key.code == Code::Backspace) {
            from = key.control ? field.WordStartBefore(active) : active > 0 ? active - 1 : 0;
            // A CR LF pair goes as one line break.
            if (!key.control && from > 0 && text[from] == u'\n' && text[from - 1] == u'\r')
                --from;
        } else {
            to = key.control ? field.WordEndAfter(active) : std::min(active + 1, n);
            if (!key.control && to < n && text[to - 1] == u'\r' && text[to] == u'\n')
                ++to;
        }
        DeleteRange(obj, field, from, to);
        break;
    }
    case Code::Left:
    case Code::Right: {
        const bool left = key.code == Code::Left;
        uint32_t to;
        if (lo != hi && !key.shift && !key.control)
            to = left ? lo : hi; // an arrow without Shift ends the selection at that side
        else if (key.control)
            to = left ? field.WordStartBefore(active) : field.WordEndAfter(active);
        else
            to = left ? (active > 0 ? active - 1 : 0) : std::min(active + 1, n);
        if (!key.control && to > 0 && to < n && text[to - 1] == u'\r' && text[to] == u'\n')
            to += left ? -1 : 1;
        MoveCaret(field, to, key.shift);
        break;
    }
    case Code::Up:
    case Code::Down: {
        const int line = field.LineOf(active) + (key.code == Code::Up ? -1 : 1);
        uint32_t to;
        if (line < 0)
            to = 0;
        else if (line >= int(field.Lines().size()))
            to = n;
        else
            to = field.IndexOnLine(line, field.XOf(active));
        MoveCaret(field, to, key.shift);
        break;
    }
    case Code::Home:
    case Code::End: {
        const bool home = key.code == Code::Home;
        const TextLine& line = field.Lines()[size_t(field.LineOf(active))];
        uint32_t to = key.control ? (home ? 0 : n) : (home ? line.start : line.end);
        // The end of a wrapped line is the start of the next one: stop before a trailing blank
        // there would be surprising, so the caret goes to the line's shown end.
        if (!home && !key.control && to < n && !IsLineBreak(text[to]) && to > line.start &&
            line.next == to && text[to - 1] == u' ')
            --to;
        MoveCaret(field, to, key.shift);
        break;
    }
    case Code::SelectAll:
        field.Select(0, n);
        field.SetCaretOn(true);
        field.ShowSelectionEnd();
        break;
    }
    Changed(obj);
    return true;
}

std::string EditTextFields::SelectedText() const {
    if (!focus_)
        return {};
    const EditTextField& field = *FieldOf(*focus_);
    if (field.Record().Password())
        return {};
    const uint32_t lo = std::min(field.SelectionAnchor(), field.SelectionEnd());
    const uint32_t hi = std::max(field.SelectionAnchor(), field.SelectionEnd());
    std::string out;
    for (uint32_t i = lo; i < hi; ++i) {
        const char16_t c = field.Text()[i];
        // Double-byte characters have no Unicode mapping here; they are left out.
        if (c <= 0xFF)
            AppendUtf8(out, Cp1252ToUnicode(uint8_t(c)));
    }
    return out;
}

} // namespace tavro::player
