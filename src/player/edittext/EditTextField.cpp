#include "player/edittext/EditTextField.h"

#include "player/Matrix16.h"
#include "player/render/Renderer.h"

#include <algorithm>

namespace tavro::player {

namespace {

bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
bool IsWordChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'_' || c >= 0x80;
}
int32_t Clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

} // namespace

EditTextField::EditTextField(const Rect& bounds, EditTextRecord record, FieldFont font)
    : bounds_(bounds.IsEmpty() ? Rect(0, 0, 0, 0) : bounds), record_(std::move(record)),
      font_(std::move(font)) {
    Relayout();
}

void EditTextField::SetText(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t b = uint8_t(bytes[i]);
        if (font_.DoubleByte() && IsLeadByte(b) && i + 1 < bytes.size() &&
            IsTrailByte(uint8_t(bytes[i + 1]))) {
            text.push_back(char16_t((b << 8) | uint8_t(bytes[i + 1])));
            ++i;
        } else {
            text.push_back(char16_t(b));
        }
    }
    text_ = std::move(text);
    Relayout();
    Select(anchor_, active_);
    SetScroll(scroll_);
}

void EditTextField::Replace(uint32_t from, uint32_t to, std::u16string_view with) {
    const uint32_t n = uint32_t(text_.size());
    from = std::min(from, n);
    to = std::clamp(to, from, n);
    text_.replace(from, to - from, with);
    Relayout();
    const uint32_t caret = from + uint32_t(with.size());
    Select(caret, caret);
    SetScroll(scroll_);
}

std::string EditTextField::Bytes() const {
    std::string out;
    out.reserve(text_.size());
    for (char16_t c : text_) {
        if (c > 0xFF)
            out.push_back(char(uint8_t(c >> 8)));
        out.push_back(char(uint8_t(c)));
    }
    return out;
}

uint32_t EditTextField::IndexOnLine(int line, int64_t x) const {
    const TextLine& l = lines_[size_t(std::clamp(line, 0, int(lines_.size()) - 1))];
    int64_t pos = LineOrigin(l);
    for (uint32_t i = l.start; i < l.end; ++i) {
        const int32_t adv = AdvanceAt(i);
        if (x < pos + adv / 2)
            return i;
        pos += adv;
    }
    return l.end;
}

uint32_t EditTextField::WordStartBefore(uint32_t index) const {
    uint32_t i = std::min(index, uint32_t(text_.size()));
    while (i > 0 && !IsWordChar(text_[i - 1]))
        --i;
    while (i > 0 && IsWordChar(text_[i - 1]))
        --i;
    return i;
}

uint32_t EditTextField::WordEndAfter(uint32_t index) const {
    const uint32_t n = uint32_t(text_.size());
    uint32_t i = std::min(index, n);
    while (i < n && !IsWordChar(text_[i]))
        ++i;
    while (i < n && IsWordChar(text_[i]))
        ++i;
    return i;
}

void EditTextField::Relayout() {
    auto advance = [this](char16_t c) {
        return font_.Advance(record_.Password() && c != u'\r' && c != u'\n' ? u'*' : c);
    };
    lines_ = TextLayout::Break(text_, advance, TextRight() - TextLeft(), record_.indent,
                               record_.WordWrap());
}

int32_t EditTextField::TextLeft() const {
    return Clamp32(int64_t(bounds_.xmin) + kGutter + record_.leftMargin);
}

int32_t EditTextField::TextRight() const {
    return std::max(TextLeft(), Clamp32(int64_t(bounds_.xmax) - kGutter - record_.rightMargin));
}

int32_t EditTextField::LineHeight() const {
    return std::max(1, font_.Ascent() + font_.Descent() + record_.leading);
}

int EditTextField::VisibleLines() const {
    const int64_t avail = bounds_.Height() - 2 * kGutter;
    const int64_t fontHeight = font_.Ascent() + font_.Descent();
    if (avail < fontHeight)
        return 1;
    return int(std::min<int64_t>(1 + (avail - fontHeight) / LineHeight(), INT32_MAX));
}

int EditTextField::MaxScroll() const {
    return std::max(0, int(lines_.size()) - VisibleLines());
}

bool EditTextField::SetScroll(int firstLine) {
    const int s = std::clamp(firstLine, 0, MaxScroll());
    if (s == scroll_)
        return false;
    scroll_ = s;
    return true;
}

void EditTextField::Select(uint32_t anchor, uint32_t active) {
    const uint32_t n = uint32_t(text_.size());
    anchor_ = std::min(anchor, n);
    active_ = std::min(active, n);
}

void EditTextField::SelectWord(uint32_t index) {
    const uint32_t n = uint32_t(text_.size());
    if (n == 0) {
        Select(0, 0);
        return;
    }
    index = std::min(index, n - 1);
    if (!IsWordChar(text_[index])) {
        Select(index, index + 1);
        return;
    }
    uint32_t a = index, b = index + 1;
    while (a > 0 && IsWordChar(text_[a - 1]))
        --a;
    while (b < n && IsWordChar(text_[b]))
        ++b;
    Select(a, b);
}

int EditTextField::LineOf(uint32_t index) const {
    auto it = std::upper_bound(lines_.begin(), lines_.end(), index,
                               [](uint32_t i, const TextLine& l) { return i < l.start; });
    return it == lines_.begin() ? 0 : int(it - lines_.begin()) - 1;
}

int64_t EditTextField::LineTop(int line) const {
    return int64_t(bounds_.ymin) + kGutter + int64_t(line - scroll_) * LineHeight();
}

int64_t EditTextField::LineOrigin(const TextLine& line) const {
    const int64_t left = TextLeft(), right = TextRight();
    auto advance = [this](char16_t c) { return font_.Advance(record_.Password() ? u'*' : c); };
    switch (record_.align) {
    case EditTextRecord::Align::Right:
        return right - TextLayout::Width(text_, line, advance);
    case EditTextRecord::Align::Center:
        return left + (right - left - TextLayout::Width(text_, line, advance)) / 2;
    default:
        return left + (line.paragraphStart ? record_.indent : 0);
    }
}

int64_t EditTextField::XOf(uint32_t index) const {
    const TextLine& line = lines_[size_t(LineOf(index))];
    int64_t x = LineOrigin(line);
    for (uint32_t i = line.start; i < std::min(index, line.end); ++i)
        x += AdvanceAt(i);
    return x;
}

uint32_t EditTextField::IndexAt(int32_t x, int32_t y) const {
    const int64_t row = (int64_t(y) - bounds_.ymin - kGutter);
    int64_t line = scroll_ + (row < 0 ? -1 : row / LineHeight());
    line = std::clamp<int64_t>(line, 0, int64_t(lines_.size()) - 1);
    const TextLine& l = lines_[size_t(line)];
    const int64_t target = int64_t(x) + hscroll_;
    int64_t pos = LineOrigin(l);
    for (uint32_t i = l.start; i < l.end; ++i) {
        const int32_t adv = AdvanceAt(i);
        if (target < pos + adv / 2)
            return i;
        pos += adv;
    }
    return l.end;
}

void EditTextField::ShowSelectionEnd() {
    const int line = LineOf(active_);
    if (line < scroll_)
        SetScroll(line);
    else if (line >= scroll_ + VisibleLines())
        SetScroll(line - VisibleLines() + 1);
    if (record_.WordWrap()) {
        hscroll_ = 0;
        return;
    }
    const int64_t x = XOf(active_);
    if (x - hscroll_ > TextRight())
        hscroll_ = Clamp32(x - TextRight());
    else if (x - hscroll_ < TextLeft())
        hscroll_ = Clamp32(std::max<int64_t>(0, x - TextLeft()));
}

void EditTextField::Draw(GlyphOutput& out, bool focused) const {
    const Rect& b = bounds_;
    if (record_.Border()) {
        out.FillRect(b, kBackground);
        const int32_t w = kBorderWidth;
        out.FillRect(Rect(b.xmin, b.xmax, b.ymin, std::min(b.ymax, b.ymin + w)), kBorderColor);
        out.FillRect(Rect(b.xmin, b.xmax, std::max(b.ymin, b.ymax - w), b.ymax), kBorderColor);
        out.FillRect(Rect(b.xmin, std::min(b.xmax, b.xmin + w), b.ymin, b.ymax), kBorderColor);
        out.FillRect(Rect(std::max(b.xmin, b.xmax - w), b.xmax, b.ymin, b.ymax), kBorderColor);
    }
    const uint32_t lo = std::min(anchor_, active_), hi = std::max(anchor_, active_);
    const int32_t ascent = font_.Ascent(), textHeight = ascent + font_.Descent();
    const int32_t scale = font_.Height() * (Matrix16::kOne / FieldFont::kEm);
    const Character* glyphFont = font_.GlyphFont();
    const int last = std::min<int>(int(lines_.size()), scroll_ + VisibleLines());
    for (int k = scroll_; k < last; ++k) {
        const TextLine& line = lines_[size_t(k)];
        const int32_t top = Clamp32(LineTop(k));
        const int64_t origin = LineOrigin(line) - hscroll_;
        if (lo < hi && lo < line.end && hi > line.start) {
            int64_t x0 = origin, x1 = origin;
            for (uint32_t i = line.start; i < std::min(hi, line.end); ++i) {
                if (i < lo)
                    x0 += AdvanceAt(i);
                x1 += AdvanceAt(i);
            }
            x0 = std::max<int64_t>(x0, b.xmin);
            x1 = std::min<int64_t>(x1, b.xmax);
            if (x0 < x1)
                out.FillRect(
                    Rect(int32_t(x0), int32_t(x1), top, Clamp32(int64_t(top) + textHeight)),
                    kHighlight);
        }
        if (!glyphFont)
            continue;
        int64_t x = origin;
        for (uint32_t i = line.start; i < line.end; ++i) {
            const int32_t adv = AdvanceAt(i);
            auto glyph = font_.GlyphIndex(Shown(i));
            if (glyph && x >= b.xmin && x + adv <= b.xmax) {
                Matrix16 m{scale, 0, 0, scale, int32_t(x), Clamp32(int64_t(top) + ascent)};
                const bool selected = i >= lo && i < hi;
                out.Glyph(*glyphFont, *glyph, m, selected ? kHighlightText : record_.color);
            }
            x += adv;
        }
    }
    if (focused && caretOn_ && lo == hi && record_.Selectable()) {
        const int k = LineOf(active_);
        if (k >= scroll_ && k < last) {
            const int64_t x = std::clamp<int64_t>(XOf(active_) - hscroll_, b.xmin,
                                                  std::max<int64_t>(b.xmin, b.xmax - kCaretWidth));
            const int32_t top = Clamp32(LineTop(k));
            out.FillRect(
                Rect(int32_t(x), int32_t(x) + kCaretWidth, top, Clamp32(int64_t(top) + textHeight)),
                record_.color | 0xFF000000);
        }
    }
}

} // namespace tavro::player
