// Text metrics of a font at a given em height, derived from its tables by the rules that
// desktop text layout has long used for TrueType fonts, so that lines are spaced as they were
// on such a desktop with the same fonts (docs/fonts.md gives the rules).
#pragma once

#include <cstdint>

namespace tavro {

// Line metrics in whole units of the em height.
struct TextMetrics {
    int32_t height = 0;           // ascent + descent
    int32_t ascent = 0;           // above the baseline
    int32_t descent = 0;          // below the baseline, positive
    int32_t internalLeading = 0;  // height - em height (room for accents inside the height)
    int32_t externalLeading = 0;  // extra space the font asks for between lines
    int32_t averageCharWidth = 0; // typical width of a lowercase letter
    int32_t maxCharWidth = 0;     // largest advance of the font

    friend bool operator==(const TextMetrics&, const TextMetrics&) = default;
};

// The values of the font's tables that the metrics come from, in font units. A table the font
// lacks leaves its values 0.
struct FontTableValues {
    int32_t unitsPerEm = 0;
    int32_t winAscent = 0;        // OS/2 usWinAscent
    int32_t winDescent = 0;       // OS/2 usWinDescent
    int32_t hheaAscender = 0;     // hhea ascender
    int32_t hheaDescender = 0;    // hhea descender, negative below the baseline
    int32_t hheaLineGap = 0;      // hhea lineGap
    int32_t averageCharWidth = 0; // OS/2 xAvgCharWidth
    int32_t maxAdvanceWidth = 0;  // hhea advanceWidthMax
    int32_t bboxYMax = 0;         // head yMax
    int32_t bboxYMin = 0;         // head yMin
};

// Metrics at emHeight units per em; all zero when emHeight or unitsPerEm is not positive.
TextMetrics ComputeTextMetrics(const FontTableValues& tables, int32_t emHeight);

} // namespace tavro
