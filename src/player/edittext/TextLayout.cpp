#include "player/edittext/TextLayout.h"

namespace tavro::player {

namespace {
bool IsBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}
} // namespace

std::vector<TextLine> TextLayout::Break(std::u16string_view text, const AdvanceFn& advance,
                                        int32_t width, int32_t indent, bool wordWrap) {
    std::vector<TextLine> lines;
    const uint32_t n = uint32_t(text.size());
    uint32_t i = 0;
    while (true) {
        // One paragraph: up to the next line break.
        bool first = true;
        uint32_t lineStart = i;
        int64_t x = indent;
        uint32_t wrapAt = 0; // 0: no blank or hyphen seen on this line yet
        while (i < n && !IsBreak(text[i])) {
            const char16_t c = text[i];
            const int32_t adv = advance(c);
            if (wordWrap && i > lineStart && c != u' ' && x + adv > width) {
                const uint32_t breakAt = wrapAt > lineStart ? wrapAt : i;
                lines.push_back({lineStart, breakAt, breakAt, first});
                first = false;
                lineStart = i = breakAt;
                x = 0;
                wrapAt = 0;
                continue;
            }
            x += adv;
            ++i;
            if (c == u' ' || c == u'-')
                wrapAt = i;
        }
        uint32_t next = i;
        if (next < n) {
            next += (text[next] == u'\r' && next + 1 < n && text[next + 1] == u'\n') ? 2 : 1;
        }
        lines.push_back({lineStart, i, next, first});
        if (i >= n)
            break;
        i = next;
    }
    return lines;
}

int64_t TextLayout::Width(std::u16string_view text, const TextLine& line,
                          const AdvanceFn& advance) {
    uint32_t end = line.end;
    while (end > line.start && text[end - 1] == u' ')
        --end;
    int64_t w = 0;
    for (uint32_t i = line.start; i < end; ++i)
        w += advance(text[i]);
    return w;
}

} // namespace tavro::player
