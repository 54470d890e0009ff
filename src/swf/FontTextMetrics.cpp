#include "swf/FontTextMetrics.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cstdint>

namespace tavro {

TextMetrics ComputeTextMetrics(const FontTableValues& tables, int32_t emHeight) {
    TextMetrics metrics;
    if (emHeight <= 0 || tables.unitsPerEm <= 0) {
        return metrics;
    }
    // Multiply before dividing so that values that come out whole stay exact.
    auto scaled = [&](double units) {
        return RoundToInt(units * static_cast<double>(emHeight) / tables.unitsPerEm);
    };

    // The line box is the font's clipping extent (the OS/2 win values); older fonts without
    // them fall back to the horizontal header, and failing that to the bounding box.
    double ascent = tables.winAscent;
    double descent = tables.winDescent;
    if (ascent + descent <= 0.0) {
        ascent = tables.hheaAscender;
        descent = -static_cast<double>(tables.hheaDescender);
    }
    if (ascent + descent <= 0.0) {
        ascent = tables.bboxYMax;
        descent = -static_cast<double>(tables.bboxYMin);
    }

    metrics.ascent = scaled(ascent);
    metrics.descent = scaled(descent);
    // Sums in 64 bits: a huge em height saturates instead of wrapping.
    auto saturated = [](int64_t value) {
        return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    };
    metrics.height = saturated(int64_t{metrics.ascent} + metrics.descent);
    metrics.internalLeading = saturated(int64_t{metrics.height} - emHeight);

    // The typographic line spacing is hhea ascender - descender + lineGap. Whatever of it the
    // win extent does not already cover is the external leading, never below zero.
    const double hheaExtent =
        static_cast<double>(tables.hheaAscender) - static_cast<double>(tables.hheaDescender);
    const double excess = (ascent + descent) - hheaExtent;
    metrics.externalLeading = std::max(0, scaled(tables.hheaLineGap - excess));

    metrics.averageCharWidth = scaled(tables.averageCharWidth);
    metrics.maxCharWidth = scaled(tables.maxAdvanceWidth);
    return metrics;
}

} // namespace tavro
