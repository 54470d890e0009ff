// The font service against the installed fonts. The build's dependencies include the
// metric-compatible Liberation faces, whose advances and line metrics are known values.
#include "swf/FontService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <strings.h>

namespace tavro {
namespace {

FontRequest Arial(int32_t em = 1024, int32_t weight = 400, bool italic = false) {
    return {"Arial", em, weight, italic};
}

std::string FileName(const std::optional<FontMatch>& match) {
    return match ? std::filesystem::path(match->file).filename().string() : std::string("none");
}

// Every point of the contours in order, scaled by factor.
std::vector<FontPoint> Points(const std::vector<FontContour>& contours, double factor = 1.0) {
    std::vector<FontPoint> points;
    for (const FontContour& contour : contours) {
        points.push_back({contour.start.x * factor, contour.start.y * factor});
        for (const FontCurve& curve : contour.curves) {
            for (const FontPoint& p : curve.points) {
                points.push_back({p.x * factor, p.y * factor});
            }
        }
    }
    return points;
}

// Signed area of the polygon through every point of the contour (y up): negative for the
// clockwise contours that fill in quadratic fonts.
double Area(const FontContour& contour) {
    const std::vector<FontPoint> p = Points({contour});
    double area = 0.0;
    for (size_t i = 1; i < p.size(); ++i) {
        area += p[i - 1].x * p[i].y - p[i].x * p[i - 1].y;
    }
    return area / 2.0;
}

// Checks the structure that every native outline must have and that its points stay inside the
// black box of its metrics (control points may lie outside, so only on-curve points count).
void ExpectWellFormed(const GlyphOutline& outline) {
    const GlyphMetrics& m = outline.metrics;
    const double left = m.originX, top = m.originY;
    const double right = left + m.blackBoxX, bottom = top - m.blackBoxY;
    for (const FontContour& contour : outline.contours) {
        ASSERT_FALSE(contour.curves.empty());
        for (const FontCurve& curve : contour.curves) {
            ASSERT_GE(curve.points.size(), curve.type == FontCurveType::QSpline ? 2u : 1u);
            const FontPoint& anchor = curve.points.back();
            EXPECT_TRUE(anchor.x >= left && anchor.x <= right && anchor.y >= bottom &&
                        anchor.y <= top)
                << anchor.x << "," << anchor.y;
        }
        EXPECT_EQ(contour.curves.back().points.back(), contour.start) << "contour not closed";
    }
}

TEST(FontService, MatchesCommonFaceNamesToMetricCompatibleFiles) {
    FontService& fonts = FontService::Shared();
    EXPECT_EQ(FileName(fonts.Match("Arial", 400, false)), "LiberationSans-Regular.ttf");
    EXPECT_EQ(FileName(fonts.Match("Arial", 700, false)), "LiberationSans-Bold.ttf");
    EXPECT_EQ(FileName(fonts.Match("Arial", 700, true)), "LiberationSans-BoldItalic.ttf");
    EXPECT_EQ(FileName(fonts.Match("Times New Roman", 400, true)), "LiberationSerif-Italic.ttf");
    EXPECT_EQ(FileName(fonts.Match("Courier New", 0, false)), "LiberationMono-Regular.ttf");
    const auto arial = fonts.Match("Arial", 400, false);
    ASSERT_TRUE(arial);
    EXPECT_FALSE(arial->syntheticBold || arial->syntheticItalic);
}

TEST(FontService, UnknownFaceFallsBackAndUnusableEmHeightsAreRefused) {
    FontService& fonts = FontService::Shared();
    const auto outline = fonts.GetGlyphOutline({"No Such Face \xE9 4711", 1024, 400, false}, 'A');
    ASSERT_TRUE(outline);
    EXPECT_FALSE(outline->contours.empty());
    ExpectWellFormed(*outline);

    EXPECT_FALSE(fonts.GetGlyphOutline(Arial(0), 'A'));
    EXPECT_FALSE(fonts.GetTextMetrics(Arial(-1024)));
    EXPECT_FALSE(fonts.GetTextExtent(Arial(INT32_MAX), "A"));
}

TEST(FontService, LetterAAndSpaceAtTheEmFont) {
    const auto outline = FontService::Shared().GetGlyphOutline(Arial(), 'A');
    ASSERT_TRUE(outline);
    // The outer triangle and the counter.
    ASSERT_EQ(outline->contours.size(), 2u);
    ExpectWellFormed(*outline);
    const GlyphMetrics& m = outline->metrics;
    EXPECT_EQ(m.cellIncX, 683); // 1366 of 2048 font units
    EXPECT_EQ(m.cellIncY, 0);
    // Sits on the baseline, capital height about 0.7 em, inside its advance.
    EXPECT_EQ(m.originY - m.blackBoxY, 0);
    EXPECT_GT(m.originY, 650);
    EXPECT_LT(m.originY, 760);
    EXPECT_GE(m.originX, 0);
    EXPECT_LE(m.originX + m.blackBoxX, m.cellIncX);
    // Outer contour clockwise (negative area, y up), the counter the other way.
    EXPECT_LT(Area(outline->contours[0]), 0.0);
    EXPECT_GT(Area(outline->contours[1]), 0.0);

    EXPECT_EQ(FontService::Shared().GetGlyphMetrics(Arial(), 'A'), m);

    const auto space = FontService::Shared().GetGlyphOutline(Arial(), ' ');
    ASSERT_TRUE(space);
    EXPECT_TRUE(space->contours.empty());
    EXPECT_EQ(space->metrics, (GlyphMetrics{0, 0, 0, 0, 285, 0})); // 569 / 2 rounded away
}

TEST(FontService, OutlinesScaleWithTheEmHeight) {
    FontService& fonts = FontService::Shared();
    const auto small = fonts.GetGlyphOutline(Arial(1024), 'g');
    const auto large = fonts.GetGlyphOutline(Arial(2048), 'g');
    ASSERT_TRUE(small && large);
    EXPECT_EQ(Points(large->contours), Points(small->contours, 2.0));
    // A descender reaches below the baseline.
    EXPECT_LT(small->metrics.originY - small->metrics.blackBoxY, 0);
    // The size font of 72 px: advances in twips, rounded (1366 * 1440 / 2048 = 960.47).
    const auto twips = fonts.GetGlyphMetrics(Arial(72 * 20), 'A');
    ASSERT_TRUE(twips);
    EXPECT_EQ(twips->cellIncX, 960);
}

TEST(FontService, StringExtentIsTheSumOfAdvancesWithoutKerning) {
    FontService& fonts = FontService::Shared();
    for (const char* text : {"AB", "AV", "To"}) {
        int32_t sum = 0;
        for (const char* c = text; *c != '\0'; ++c) {
            sum += fonts.GetGlyphMetrics(Arial(), static_cast<uint8_t>(*c))->cellIncX;
        }
        const auto extent = fonts.GetTextExtent(Arial(), text);
        ASSERT_TRUE(extent);
        EXPECT_EQ(extent->width, sum) << text;
        EXPECT_EQ(extent->height, 1144);
    }
    EXPECT_EQ(fonts.GetTextExtent(Arial(), "")->width, 0);
    // The line gap of the table, 67 of 2048 units, scaled and rounded.
    EXPECT_EQ(fonts.GetTextMetrics(Arial())->externalLeading, 34);
}

TEST(FontService, BoldAndItalicChangeTheGlyphs) {
    FontService& fonts = FontService::Shared();
    const int32_t regular = fonts.GetGlyphMetrics(Arial(), 'l')->blackBoxX;
    // A wider stem, and an upright stem turned slanted: both widen the box.
    EXPECT_GT(fonts.GetGlyphMetrics(Arial(1024, 700), 'l')->blackBoxX, regular);
    EXPECT_GT(fonts.GetGlyphMetrics(Arial(1024, 400, true), 'l')->blackBoxX, regular);
}

TEST(FontService, HighBytesAreWindows1252Characters) {
    FontService& fonts = FontService::Shared();
    const auto euro = fonts.GetGlyphOutline(Arial(), 0x80);
    const auto eAcute = fonts.GetGlyphOutline(Arial(), 0xE9);
    const auto e = fonts.GetGlyphOutline(Arial(), 'e');
    const auto missing = fonts.GetGlyphOutline(Arial(), 0x81); // undefined: the missing glyph
    ASSERT_TRUE(euro && eAcute && e && missing);
    EXPECT_FALSE(euro->contours.empty());
    EXPECT_NE(euro->metrics, missing->metrics);
    // The acute accent is an extra contour above the e.
    EXPECT_EQ(eAcute->contours.size(), e->contours.size() + 1);
    EXPECT_EQ(eAcute->metrics.cellIncX, e->metrics.cellIncX);
    EXPECT_GT(eAcute->metrics.originY, e->metrics.originY);
}

TEST(FontService, CubicOutlinesArriveAsClosedQuadraticSplines) {
    // Needs a font with cubic outlines; the common desktop sets carry some.
    FontService& fonts = FontService::Shared();
    std::optional<FontRequest> cubic;
    for (const char* face : {"Nimbus Sans", "C059", "URW Gothic", "Cantarell", "Noto Sans CJK"}) {
        const auto match = fonts.Match(face, 400, false);
        if (match && match->family == face && match->file.ends_with(".otf")) {
            cubic = FontRequest{face, 1024, 400, false};
            break;
        }
    }
    if (!cubic) {
        GTEST_SKIP() << "no font with cubic outlines installed";
    }
    const auto o = fonts.GetGlyphOutline(*cubic, 'o');
    ASSERT_TRUE(o);
    ASSERT_EQ(o->contours.size(), 2u);
    ExpectWellFormed(*o);
    // Same orientation as quadratic fonts: outer clockwise, counter anticlockwise.
    EXPECT_LT(Area(o->contours[0]) * Area(o->contours[1]), 0.0);
    EXPECT_LT(Area(o->contours[0]) + Area(o->contours[1]), 0.0);
    EXPECT_GT(o->metrics.cellIncX, o->metrics.blackBoxX);
}

TEST(FontService, MissingBoldAndItalicFacesAreSynthesised) {
    // Needs a family without a bold face; take the first one fontconfig reports as such.
    FontService& fonts = FontService::Shared();
    std::string face;
    for (const FontFamily& family : fonts.Families()) {
        const auto match = fonts.Match(family.name, 700, true);
        if (match && match->syntheticBold && match->syntheticItalic) {
            face = family.name;
            break;
        }
    }
    if (face.empty()) {
        GTEST_SKIP() << "every installed family has bold and italic faces";
    }
    const FontRequest regular{face, 2400, 400, false};
    const FontRequest boldItalic{face, 2400, 700, true};
    const GlyphMetrics r = *fonts.GetGlyphMetrics(regular, '1');
    const GlyphMetrics b = *fonts.GetGlyphMetrics(boldItalic, '1');
    ASSERT_GT(r.blackBoxX, 0) << face;
    // Emboldening adds about 1/24 em (100 units here; whole font units) to the advance and widens
    // the ink; the slant moves the top of the glyph to the right.
    EXPECT_NEAR(b.cellIncX - r.cellIncX, 100, 3);
    EXPECT_GT(b.blackBoxX, r.blackBoxX + 100);
    EXPECT_GT(b.blackBoxY, r.blackBoxY);
}

TEST(FontService, FamiliesAreSortedUniqueAndIncludeTheInstalledFaces) {
    const std::vector<FontFamily> families = FontService::Shared().Families();
    auto find = [&](const std::string& name) {
        return std::find_if(families.begin(), families.end(),
                            [&](const FontFamily& f) { return f.name == name; });
    };
    ASSERT_NE(find("Liberation Sans"), families.end());
    EXPECT_TRUE(find("Liberation Sans")->trueType);
    EXPECT_NE(find("DejaVu Sans"), families.end());
    for (size_t i = 1; i < families.size(); ++i) {
        EXPECT_LE(strcasecmp(families[i - 1].name.c_str(), families[i].name.c_str()), 0);
        EXPECT_NE(families[i - 1].name, families[i].name);
    }
}

} // namespace
} // namespace tavro
