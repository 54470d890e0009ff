// Line splitting and block layout of a text, shared by the export and the editor so that both put
// every line in the same place.
//
// Lines are split at runs of CR and LF: a run of several line breaks counts as one, so empty
// lines take no space. The block is centred on the origin; each line is aligned within it.
#pragma once

#include "base/CDoubleRect.h"
#include "swf/FontTextMetrics.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tavro {

// Alignment values of a text object.
enum TextAlignment : int32_t { kAlignCentre = 0, kAlignLeft = 1, kAlignRight = 2 };

// CR or LF.
constexpr bool IsLineBreak(uint8_t code) {
    return code == 0x0D || code == 0x0A;
}

// The characters [begin, end) of one line; never empty, never holds CR or LF.
struct TextLine {
    size_t begin = 0;
    size_t end = 0;
};

std::vector<TextLine> SplitTextLines(std::string_view text);

struct TextBlockLayout {
    CDoubleRect rect; // the block, centred on the origin; all zero without lines
    std::vector<TextLine> lines;
    std::vector<double> lineWidths; // scaled, one per line
    // The pen position of every character of the text: on its line's baseline where the
    // character starts; a line break stands where its line ended (a break before the first line
    // where that line starts).
    std::vector<CDoublePoint> pens;
    double ascent = 0.0;     // scaled: from a line's top to its baseline
    double lineHeight = 0.0; // scaled text height of one line
    double lineStep = 0.0;   // scaled distance from one line's top to the next one's
};

// Lays out `text` with the line metrics of the measuring font, in its units multiplied by
// `scale`. `advance(i)` is the horizontal advance of character i in the measuring font's units
// (0 for a character that has no glyph). An alignment other than left or right centres.
TextBlockLayout LayOutTextBlock(std::string_view text, const TextMetrics& metrics, double scale,
                                int32_t alignment, const std::function<double(size_t)>& advance);

} // namespace tavro
