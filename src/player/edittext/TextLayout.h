// Line breaking of edit-text fields. A carriage return, a line feed or the pair CR LF ends a
// line; with word wrap, a line that would grow past the width breaks after its last blank or
// hyphen, or, when it has none, before the character that does not fit (every line keeps at
// least one character). Blanks at the end of a wrapped line may hang past the width.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tavro::player {

struct TextLine {
    uint32_t start = 0;          // first character
    uint32_t end = 0;            // one past the last shown character (line breaks excluded)
    uint32_t next = 0;           // first character of the next line
    bool paragraphStart = false; // the first line after a line break (or of the text)
};

class TextLayout {
public:
    using AdvanceFn = std::function<int32_t(char16_t)>;

    // Breaks `text` into lines at least one long. The first line of every paragraph starts at
    // `indent` instead of 0.
    static std::vector<TextLine> Break(std::u16string_view text, const AdvanceFn& advance,
                                       int32_t width, int32_t indent, bool wordWrap);
    // Width of text[start, end) without its trailing blanks.
    static int64_t Width(std::u16string_view text, const TextLine& line, const AdvanceFn& advance);
};

} // namespace tavro::player
