// The outline converter, fed with made-up outlines so that every path through it is reached
// without depending on installed fonts.
#include "swf/FontOutlineConverter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavro {
namespace {

using K = FontPointKind;
constexpr K On = K::On, Conic = K::Conic, Cubic = K::Cubic;

struct P {
    double x, y;
    K kind;
};

RawFontOutline MakeRaw(std::vector<P> points, std::vector<int> ends) {
    RawFontOutline raw;
    for (const P& p : points) {
        raw.points.push_back({p.x, p.y});
        raw.kinds.push_back(p.kind);
    }
    raw.contourEnds = std::move(ends);
    return raw;
}

FontCurve Line(std::vector<FontPoint> pts) {
    return {FontCurveType::Line, std::move(pts)};
}
FontCurve Spline(std::vector<FontPoint> pts) {
    return {FontCurveType::QSpline, std::move(pts)};
}

void ExpectContour(const FontContour& contour, FontPoint start,
                   const std::vector<FontCurve>& want) {
    EXPECT_EQ(contour.start, start);
    ASSERT_EQ(contour.curves.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(contour.curves[i].type, want[i].type) << "curve " << i;
        EXPECT_EQ(contour.curves[i].points, want[i].points) << "curve " << i;
    }
}

TEST(FontOutlineConverter, WalksQuadraticContoursLikeNativeOutlines) {
    // Two contours: lines then a run of two control points back to the start; and a contour
    // that begins with a control point, so the walk must start at the first on-curve point.
    RawFontOutline raw = MakeRaw({{0, 0, On},
                                  {10, 0, On},
                                  {20, 0, On},
                                  {20, 10, Conic},
                                  {0, 10, Conic},
                                  {5, 10, Conic},
                                  {10, 0, On},
                                  {0, 0, On}},
                                 {4, 7});
    std::vector<FontContour> contours;
    ASSERT_TRUE(ConvertFontOutline(raw, false, contours));
    ASSERT_EQ(contours.size(), 2u);
    ExpectContour(contours[0], {0, 0},
                  {Line({{10, 0}, {20, 0}}), Spline({{20, 10}, {0, 10}, {0, 0}})});
    ExpectContour(contours[1], {10, 0}, {Line({{0, 0}}), Spline({{5, 10}, {10, 0}})});
}

TEST(FontOutlineConverter, RingOfControlPointsStartsAtAnImpliedPoint) {
    RawFontOutline raw =
        MakeRaw({{0, 10, Conic}, {10, 0, Conic}, {0, -10, Conic}, {-10, 0, Conic}}, {3});
    std::vector<FontContour> contours;
    ASSERT_TRUE(ConvertFontOutline(raw, false, contours));
    ASSERT_EQ(contours.size(), 1u);
    ExpectContour(contours[0], {-5, 5}, {Spline({{0, 10}, {10, 0}, {0, -10}, {-10, 0}, {-5, 5}})});
}

TEST(FontOutlineConverter, ReversesContoursAndDropsDegenerateOnes) {
    RawFontOutline raw = MakeRaw({{0, 0, On},
                                  {10, 0, On},
                                  {10, 0, On}, // repeated point: no zero-length line
                                  {10, 10, On},
                                  {50, 50, On}}, // a contour of one point has no extent
                                 {3, 4});
    std::vector<FontContour> contours;
    ASSERT_TRUE(ConvertFontOutline(raw, true, contours));
    ASSERT_EQ(contours.size(), 1u);
    ExpectContour(contours[0], {10, 10}, {Line({{10, 0}, {0, 0}, {10, 10}})});
}

TEST(FontOutlineConverter, RejectsMalformedOutlines) {
    std::vector<FontContour> contours;
    // A lone cubic control point between two on-curve points.
    EXPECT_FALSE(ConvertFontOutline(MakeRaw({{0, 0, On}, {5, 5, Cubic}, {10, 0, On}}, {2}), false,
                                    contours));
    // Cubic points mixed with a quadratic one.
    EXPECT_FALSE(ConvertFontOutline(
        MakeRaw({{0, 0, On}, {1, 5, Conic}, {2, 5, Cubic}, {4, 0, On}}, {3}), false, contours));
    // A ring without on-curve points made of cubic points.
    EXPECT_FALSE(ConvertFontOutline(MakeRaw({{0, 0, Cubic}, {1, 5, Cubic}}, {1}), false, contours));
    // Contour ends past the points.
    EXPECT_FALSE(ConvertFontOutline(MakeRaw({{0, 0, On}, {1, 0, On}}, {2}), false, contours));
    // A good contour before a bad one is not half delivered.
    EXPECT_FALSE(ConvertFontOutline(
        MakeRaw({{0, 0, On}, {4, 0, On}, {4, 4, On}, {0, 0, On}, {5, 5, Cubic}, {10, 0, On}},
                {2, 5}),
        false, contours));
    EXPECT_TRUE(contours.empty());
}

FontPoint CubicAt(const FontPoint (&p)[4], double t) {
    const double u = 1.0 - t;
    return {
        u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x,
        u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y};
}

// Largest distance between each quadratic piece and the stretch of the cubic it replaces,
// sampled at matching parameters.
double MaxError(const FontPoint (&p)[4], const std::vector<FontPoint>& pairs) {
    const size_t pieces = pairs.size() / 2;
    double worst = 0.0;
    FontPoint from = p[0];
    for (size_t i = 0; i < pieces; ++i) {
        const FontPoint c = pairs[2 * i], to = pairs[2 * i + 1];
        for (int k = 0; k <= 64; ++k) {
            const double s = k / 64.0, u = 1.0 - s;
            const FontPoint q{u * u * from.x + 2 * u * s * c.x + s * s * to.x,
                              u * u * from.y + 2 * u * s * c.y + s * s * to.y};
            const FontPoint e = CubicAt(p, (static_cast<double>(i) + s) / pieces);
            worst = std::max(worst, std::hypot(q.x - e.x, q.y - e.y));
        }
        from = to;
    }
    return worst;
}

TEST(FontOutlineConverter, CubicsBecomeQuadraticsWithinTheTolerance) {
    const FontPoint quarterCircle[4] = {{200, 0}, {200, 110.457}, {110.457, 200}, {0, 200}};
    const FontPoint sCurve[4] = {{0, 0}, {300, 400}, {-100, 400}, {200, 0}};
    const FontPoint tiny[4] = {{0, 0}, {0.5, 1}, {1, 1}, {1.5, 0}};
    for (const auto* curve : {&quarterCircle, &sCurve, &tiny}) {
        const FontPoint(&p)[4] = *curve;
        std::vector<FontPoint> pairs;
        CubicToQuadratics(p[0], p[1], p[2], p[3], kCubicTolerance, pairs);
        ASSERT_FALSE(pairs.empty());
        ASSERT_EQ(pairs.size() % 2, 0u);
        EXPECT_EQ(pairs.back(), p[3]);
        // Rounding to the 1/65536 grid may add a hair to the bound.
        EXPECT_LE(MaxError(p, pairs), kCubicTolerance + 1e-4);
    }

    // A tighter tolerance needs more pieces; a looser one over a large curve still bounds it.
    std::vector<FontPoint> coarse, fine;
    CubicToQuadratics(sCurve[0], sCurve[1], sCurve[2], sCurve[3], 4.0, coarse);
    CubicToQuadratics(sCurve[0], sCurve[1], sCurve[2], sCurve[3], 1.0 / 256, fine);
    EXPECT_LT(coarse.size(), fine.size());
    EXPECT_LE(MaxError(sCurve, coarse), 4.0 + 1e-4);
    EXPECT_LE(MaxError(sCurve, fine), 1.0 / 256 + 1e-4);

    // A quadratic raised to a cubic (controls at 2/3 of the way) comes back exactly.
    std::vector<FontPoint> pairs;
    CubicToQuadratics({0, 0}, {20, 40}, {50, 40}, {90, 0}, kCubicTolerance, pairs);
    EXPECT_EQ(pairs, (std::vector<FontPoint>{{30, 60}, {90, 0}}));
}

TEST(FontOutlineConverter, InkBoundsIncludeCurveExtrema) {
    // A hump whose control point is far above the curve's real top at y = 5, and a polyline.
    std::vector<FontContour> contours(2);
    contours[0].start = {0, 0};
    contours[0].curves = {Spline({{5, 10}, {10, 0}}), Line({{0, 0}})};
    contours[1].start = {2, -1};
    contours[1].curves = {Line({{3, -1}, {2, -1}})};
    const FontInkBounds ink = MeasureFontInk(contours);
    ASSERT_FALSE(ink.empty);
    EXPECT_DOUBLE_EQ(ink.left, 0);
    EXPECT_DOUBLE_EQ(ink.right, 10);
    EXPECT_DOUBLE_EQ(ink.top, 5);
    EXPECT_DOUBLE_EQ(ink.bottom, -1);
    EXPECT_TRUE(MeasureFontInk({}).empty);
}

} // namespace
} // namespace tavro
