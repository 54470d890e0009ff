// The native outline of one glyph as the font service delivers it: closed contours made of
// polygon lines and quadratic splines, in the font's y-up space with the origin at the pen
// position on the baseline, in units of the requested em height (1024 units per em, or
// size x 20 so that the values are twips).
#pragma once

#include <cstdint>
#include <vector>

namespace tavro {

// A point of an outline. Both values lie on the 1/65536 grid, like a 16.16 fixed value, but
// without its 16-bit limit on the integer part.
struct FontPoint {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const FontPoint&, const FontPoint&) = default;
};

enum class FontCurveType : uint8_t {
    // A polyline: one straight line from the current point to each point in turn.
    Line = 1,
    // Quadratic B-spline p0 ... p(n-1), n >= 2: every point but the last is a control point,
    // the last is on the curve, and between two consecutive control points lies an implied
    // on-curve point at their midpoint.
    QSpline = 2,
};

struct FontCurve {
    FontCurveType type = FontCurveType::Line;
    std::vector<FontPoint> points;
};

// A closed contour: it begins at start, its curves follow on from each other, and the last
// point of its last curve is the start point again.
struct FontContour {
    FontPoint start;
    std::vector<FontCurve> curves;
};

// Glyph metrics in whole units of the em height, y up.
struct GlyphMetrics {
    int32_t blackBoxX = 0; // width of the smallest whole-unit box around the ink
    int32_t blackBoxY = 0; // its height
    int32_t originX = 0;   // left edge of that box, relative to the pen position
    int32_t originY = 0;   // top edge of that box, above the baseline
    int32_t cellIncX = 0;  // horizontal advance to the next pen position
    int32_t cellIncY = 0;  // vertical advance; 0 for horizontal text

    friend bool operator==(const GlyphMetrics&, const GlyphMetrics&) = default;
};

// An outline with the metrics of the same request. A glyph without ink (a space) has no
// contours, a zero black box and still its advance.
struct GlyphOutline {
    std::vector<FontContour> contours;
    GlyphMetrics metrics;
};

} // namespace tavro
