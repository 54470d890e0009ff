// Turns a glyph outline as font files store it (points flagged on-curve, quadratic off-curve or
// cubic off-curve, grouped into contours) into the native outline form of FontOutline.h.
// Private helper of FontService; kept free of FreeType so that it can be tested with made-up
// outlines.
#pragma once

#include "swf/FontOutline.h"

#include <vector>

namespace tavro {

enum class FontPointKind : uint8_t {
    On,    // on the curve
    Conic, // quadratic control point; two in a row imply an on-curve point between them
    Cubic, // cubic control point; always in pairs between two on-curve points
};

struct RawFontOutline {
    std::vector<FontPoint> points;    // already scaled to the requested em height
    std::vector<FontPointKind> kinds; // one per point
    std::vector<int> contourEnds;     // index of the last point of each contour, increasing
};

// The largest distance, in output units, between a cubic curve and the quadratic splines that
// replace it.
inline constexpr double kCubicTolerance = 1.0 / 16.0;

// Rounds to the 1/65536 grid of the native outline.
double QuantizeFontUnit(double value);

// Replaces the cubic curve p0 p1 p2 p3 by quadratic pieces that stay within tolerance of it.
// Appends (control, anchor) pairs; the last anchor is p3 exactly.
void CubicToQuadratics(FontPoint p0, FontPoint p1, FontPoint p2, FontPoint p3, double tolerance,
                       std::vector<FontPoint>& controlAnchorPairs);

// Converts an outline. Consecutive straight segments share one Line curve; a run of quadratic
// control points becomes one QSpline; every cubic becomes QSplines of two points. Contours
// without any extent are dropped. With reverseContours the direction of every contour is
// flipped (used to give outlines of both font flavours the same orientation). Returns false
// and leaves contours empty when the outline is malformed (bad contour ends, stray cubic
// control points).
bool ConvertFontOutline(const RawFontOutline& raw, bool reverseContours,
                        std::vector<FontContour>& contours);

// Exact bounds of the ink of converted contours (curve extrema included).
struct FontInkBounds {
    bool empty = true;
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
    double top = 0.0;
};
FontInkBounds MeasureFontInk(const std::vector<FontContour>& contours);

} // namespace tavro
