#include "swf/FontOutlineConverter.h"

#include <algorithm>
#include <cmath>

namespace tavro {

namespace {

// More pieces than this would only follow rounding noise; it also bounds the work for
// absurd coordinates.
constexpr int kMaxCubicPieces = 64;

FontPoint Quantize(FontPoint p) {
    return {QuantizeFontUnit(p.x), QuantizeFontUnit(p.y)};
}

FontPoint Midpoint(FontPoint a, FontPoint b) {
    return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
}

FontPoint Lerp(FontPoint a, FontPoint b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// Collects the curves of one contour, merging consecutive straight segments.
class ContourBuilder {
public:
    explicit ContourBuilder(FontPoint start) { contour_.start = start, current_ = start; }

    void LineTo(FontPoint p) {
        if (p == current_) {
            return;
        }
        if (contour_.curves.empty() || contour_.curves.back().type != FontCurveType::Line) {
            contour_.curves.push_back({FontCurveType::Line, {}});
        }
        contour_.curves.back().points.push_back(p);
        current_ = p;
    }

    void SplineTo(const std::vector<FontPoint>& controls, FontPoint p) {
        FontCurve curve{FontCurveType::QSpline, controls};
        curve.points.push_back(p);
        contour_.curves.push_back(std::move(curve));
        current_ = p;
    }

    void CubicTo(FontPoint c1, FontPoint c2, FontPoint p) {
        if (c1 == current_ && c2 == current_ && p == current_) {
            return;
        }
        pairs_.clear();
        CubicToQuadratics(current_, c1, c2, p, kCubicTolerance, pairs_);
        for (size_t i = 0; i + 1 < pairs_.size(); i += 2) {
            contour_.curves.push_back({FontCurveType::QSpline, {pairs_[i], pairs_[i + 1]}});
        }
        current_ = p;
    }

    FontContour Take() { return std::move(contour_); }

private:
    FontContour contour_;
    FontPoint current_;
    std::vector<FontPoint> pairs_;
};

// Walks one contour given as indices into the raw outline. Returns false when malformed.
bool ConvertContour(const RawFontOutline& raw, const std::vector<int>& order,
                    std::vector<FontContour>& contours) {
    const size_t n = order.size();
    auto point = [&](size_t i) { return Quantize(raw.points[order[i % n]]); };
    auto kind = [&](size_t i) { return raw.kinds[order[i % n]]; };

    size_t first = n;
    for (size_t i = 0; i < n; ++i) {
        if (kind(i) == FontPointKind::On) {
            first = i;
            break;
        }
    }

    FontPoint start;
    size_t walkFrom = 0;
    size_t walkCount = 0;
    if (first < n) {
        // Start on the first on-curve point and walk once around, ending on it again.
        start = point(first);
        walkFrom = first + 1;
        walkCount = n;
    } else {
        // No point on the curve: a ring of quadratic control points whose implied on-curve
        // points are the midpoints. Start at the one between the last and the first.
        for (size_t i = 0; i < n; ++i) {
            if (kind(i) != FontPointKind::Conic) {
                return false;
            }
        }
        start = Quantize(Midpoint(point(n - 1), point(0)));
        std::vector<FontPoint> controls;
        for (size_t i = 0; i < n; ++i) {
            controls.push_back(point(i));
        }
        ContourBuilder builder(start);
        builder.SplineTo(controls, start);
        contours.push_back(builder.Take());
        return true;
    }

    ContourBuilder builder(start);
    std::vector<FontPoint> conics;
    std::vector<FontPoint> cubics;
    for (size_t step = 0; step < walkCount; ++step) {
        const size_t i = walkFrom + step;
        const FontPoint p = point(i);
        switch (kind(i)) {
        case FontPointKind::On:
            if (!conics.empty()) {
                builder.SplineTo(conics, p);
                conics.clear();
            } else if (!cubics.empty()) {
                if (cubics.size() != 2) {
                    return false;
                }
                builder.CubicTo(cubics[0], cubics[1], p);
                cubics.clear();
            } else {
                builder.LineTo(p);
            }
            break;
        case FontPointKind::Conic:
            if (!cubics.empty()) {
                return false;
            }
            conics.push_back(p);
            break;
        case FontPointKind::Cubic:
            if (!conics.empty() || cubics.size() == 2) {
                return false;
            }
            cubics.push_back(p);
            break;
        }
    }

    FontContour contour = builder.Take();
    if (!contour.curves.empty()) {
        contours.push_back(std::move(contour));
    }
    return true;
}

// Extends bounds by the quadratic segment a-c-b, including its extremum when it bulges.
void IncludeQuad(FontInkBounds& bounds, FontPoint a, FontPoint c, FontPoint b) {
    auto include = [&](FontPoint p) {
        bounds.left = std::min(bounds.left, p.x);
        bounds.right = std::max(bounds.right, p.x);
        bounds.bottom = std::min(bounds.bottom, p.y);
        bounds.top = std::max(bounds.top, p.y);
    };
    include(b);
    auto extremum = [](double a, double c, double b) {
        const double denominator = a - 2.0 * c + b;
        if (denominator == 0.0) {
            return -1.0;
        }
        return (a - c) / denominator;
    };
    for (double t : {extremum(a.x, c.x, b.x), extremum(a.y, c.y, b.y)}) {
        if (t > 0.0 && t < 1.0) {
            const double u = 1.0 - t;
            include({u * u * a.x + 2.0 * t * u * c.x + t * t * b.x,
                     u * u * a.y + 2.0 * t * u * c.y + t * t * b.y});
        }
    }
}

} // namespace

double QuantizeFontUnit(double value) {
    if (!std::isfinite(value)) {
        return 0.0;
    }
    return std::round(value * 65536.0) / 65536.0;
}

void CubicToQuadratics(FontPoint p0, FontPoint p1, FontPoint p2, FontPoint p3, double tolerance,
                       std::vector<FontPoint>& controlAnchorPairs) {
    // The single quadratic with control (3 (p1 + p2) - p0 - p3) / 4 strays from the cubic by at
    // most sqrt(3) / 36 * |p3 - 3 p2 + 3 p1 - p0|. Cutting the cubic into n pieces of equal
    // parameter length divides that third difference by n^3, so n follows directly.
    const double dx = p3.x - 3.0 * p2.x + 3.0 * p1.x - p0.x;
    const double dy = p3.y - 3.0 * p2.y + 3.0 * p1.y - p0.y;
    const double error = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
    int pieces = 1;
    if (tolerance > 0.0 && error > tolerance) {
        const double wanted = std::ceil(std::cbrt(error / tolerance));
        pieces = wanted < kMaxCubicPieces ? std::max(1, static_cast<int>(wanted)) : kMaxCubicPieces;
    }

    for (int i = 0; i < pieces; ++i) {
        FontPoint q0 = p0, q1 = p1, q2 = p2, q3 = p3;
        const int left = pieces - i;
        if (left > 1) {
            // Split off the first 1/left of the remaining curve (de Casteljau).
            const double t = 1.0 / left;
            const FontPoint a = Lerp(p0, p1, t), b = Lerp(p1, p2, t), c = Lerp(p2, p3, t);
            const FontPoint d = Lerp(a, b, t), e = Lerp(b, c, t);
            const FontPoint split = Lerp(d, e, t);
            q1 = a, q2 = d, q3 = split;
            p0 = split, p1 = e, p2 = c;
        }
        const FontPoint control{(3.0 * (q1.x + q2.x) - q0.x - q3.x) / 4.0,
                                (3.0 * (q1.y + q2.y) - q0.y - q3.y) / 4.0};
        controlAnchorPairs.push_back(Quantize(control));
        controlAnchorPairs.push_back(left > 1 ? Quantize(q3) : q3);
    }
}

bool ConvertFontOutline(const RawFontOutline& raw, bool reverseContours,
                        std::vector<FontContour>& contours) {
    contours.clear();
    if (raw.kinds.size() != raw.points.size()) {
        return false;
    }
    int begin = 0;
    std::vector<int> order;
    for (int end : raw.contourEnds) {
        if (end < begin || static_cast<size_t>(end) >= raw.points.size()) {
            contours.clear();
            return false;
        }
        order.clear();
        for (int i = begin; i <= end; ++i) {
            order.push_back(i);
        }
        if (reverseContours) {
            std::reverse(order.begin(), order.end());
        }
        if (!ConvertContour(raw, order, contours)) {
            contours.clear();
            return false;
        }
        begin = end + 1;
    }
    return true;
}

FontInkBounds MeasureFontInk(const std::vector<FontContour>& contours) {
    FontInkBounds bounds;
    for (const FontContour& contour : contours) {
        if (bounds.empty) {
            bounds = {false, contour.start.x, contour.start.y, contour.start.x, contour.start.y};
        }
        FontPoint current = contour.start;
        IncludeQuad(bounds, current, current, current);
        for (const FontCurve& curve : contour.curves) {
            const std::vector<FontPoint>& pts = curve.points;
            if (curve.type == FontCurveType::Line) {
                for (const FontPoint& p : pts) {
                    IncludeQuad(bounds, current, current, p);
                    current = p;
                }
                continue;
            }
            for (size_t i = 1; i < pts.size(); ++i) {
                const FontPoint anchor =
                    i + 1 == pts.size() ? pts[i] : Midpoint(pts[i - 1], pts[i]);
                IncludeQuad(bounds, current, pts[i - 1], anchor);
                current = anchor;
            }
        }
    }
    return bounds;
}

} // namespace tavro
