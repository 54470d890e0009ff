// The font service against the installed fonts. The build's dependencies include the
// metric-compatible Liberation faces, whose advances and line metrics are known values.
#include "swf/FontService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace tavro {
namespace {

FontRequest Arial(int32_t em = 1024, int32_t weight = 400, bool italic = false) {
    return {"Arial", em, weight, italic};
}

std::string FileName(const std::optional<FontMatch>& match) {
    return match ? std::filesystem::path(match->file).filename().string() : std::string("none");
}

// Signed area of the polygon through every point of the contour (y up): negative for the
// clockwise contours that fill in quadratic fonts.
double Area(const FontContour& contour) {
    double area = 0.0;
    FontPoint prev = contour.start;
    for (const FontCurve& curve : contour.curves) {
        for (const FontPoint& p : curve.points) {
            area += prev.x * p.y - p.x * prev.y;
            prev = p;
        }
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

TEST(FontService, UnknownFaceFallsBackAndStillDrawsLetters) {
    FontService& fonts = FontService::Shared();
    const auto match = fonts.Match("No Such Face \xE9 4711", 400, false);
    ASSERT_TRUE(match);
    EXPECT_FALSE(match->file.empty());
    const auto outline = fonts.GetGlyphOutline({"No Such Face \xE9 4711", 1024, 400, false}, 'A');
    ASSERT_TRUE(outline);
    EXPECT_FALSE(outline->contours.empty());
    ExpectWellFormed(*outline);
}

TEST(FontService, LetterAOutlineAndMetricsAtTheEmFont) {
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
}

TEST(FontService, OutlinesScaleWithTheEmHeight) {
    FontService& fonts = FontService::Shared();
    const auto small = fonts.GetGlyphOutline(Arial(1024), 'g');
    const auto large = fonts.GetGlyphOutline(Arial(2048), 'g');
    ASSERT_TRUE(small && large);
    ASSERT_EQ(small->contours.size(), large->contours.size());
    for (size_t c = 0; c < small->contours.size(); ++c) {
        const auto& a = small->contours[c];
        const auto& b = large->contours[c];
        EXPECT_EQ(b.start, (FontPoint{a.start.x * 2, a.start.y * 2}));
        ASSERT_EQ(a.curves.size(), b.curves.size());
        for (size_t i = 0; i < a.curves.size(); ++i) {
            ASSERT_EQ(a.curves[i].points.size(), b.curves[i].points.size());
            for (size_t k = 0; k < a.curves[i].points.size(); ++k) {
                const FontPoint p = a.curves[i].points[k];
                EXPECT_EQ(b.curves[i].points[k], (FontPoint{p.x * 2, p.y * 2}));
            }
        }
    }
    // A descender reaches below the baseline.
    EXPECT_LT(small->metrics.originY - small->metrics.blackBoxY, 0);
    // The size font of 72 px: advances in twips, rounded (1366 * 1440 / 2048 = 960.47).
    const auto twips = fonts.GetGlyphMetrics(Arial(72 * 20), 'A');
    ASSERT_TRUE(twips);
    EXPECT_EQ(twips->cellIncX, 960);
}

TEST(FontService, SpaceHasNoOutlineButAnAdvance) {
    const auto space = FontService::Shared().GetGlyphOutline(Arial(), ' ');
    ASSERT_TRUE(space);
    EXPECT_TRUE(space->contours.empty());
    EXPECT_EQ(space->metrics.blackBoxX, 0);
    EXPECT_EQ(space->metrics.blackBoxY, 0);
    EXPECT_EQ(space->metrics.cellIncX, 285); // 569 of 2048, 284.5 rounded away from zero
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
}

TEST(FontService, TextMetricsComeFromTheFontTables) {
    const auto metrics = FontService::Shared().GetTextMetrics(Arial());
    ASSERT_TRUE(metrics);
    EXPECT_EQ(metrics->ascent, 927);
    EXPECT_EQ(metrics->descent, 217);
    EXPECT_EQ(metrics->height, 1144);
    EXPECT_EQ(metrics->internalLeading, 120);
    EXPECT_EQ(metrics->externalLeading, 34);
}

TEST(FontService, BoldAndItalicChangeTheGlyphs) {
    FontService& fonts = FontService::Shared();
    const auto regular = fonts.GetGlyphOutline(Arial(), 'l');
    const auto bold = fonts.GetGlyphOutline(Arial(1024, 700), 'l');
    const auto italic = fonts.GetGlyphOutline(Arial(1024, 400, true), 'l');
    ASSERT_TRUE(regular && bold && italic);
    EXPECT_GT(bold->metrics.blackBoxX, regular->metrics.blackBoxX);
    // An upright stem becomes a slanted one: a wider box for the same height.
    EXPECT_GT(italic->metrics.blackBoxX, regular->metrics.blackBoxX);
    EXPECT_NE(fonts.GetTextExtent(Arial(1024, 700), "abc")->width,
              fonts.GetTextExtent(Arial(), "abc")->width);
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

TEST(FontService, RejectsRequestsWithoutAnEmHeight) {
    FontService& fonts = FontService::Shared();
    EXPECT_FALSE(fonts.GetGlyphOutline(Arial(0), 'A'));
    EXPECT_FALSE(fonts.GetGlyphMetrics(Arial(-1024), 'A'));
    EXPECT_FALSE(fonts.GetTextMetrics(Arial(0)));
    EXPECT_FALSE(fonts.GetTextExtent(Arial(-5), "A"));
    EXPECT_FALSE(fonts.GetTextExtent(Arial(INT32_MAX), "A"));
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
    const auto& outer = std::fabs(Area(o->contours[0])) > std::fabs(Area(o->contours[1]))
                            ? o->contours[0]
                            : o->contours[1];
    EXPECT_LT(Area(outer), 0.0);
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
    // Pick a letter that the font has ink for.
    uint8_t code = 0;
    for (uint8_t c : {'a', 'H', 'W', '1'}) {
        if (!fonts.GetGlyphOutline(regular, c)->contours.empty()) {
            code = c;
            break;
        }
    }
    ASSERT_NE(code, 0) << face;
    const GlyphMetrics r = *fonts.GetGlyphMetrics(regular, code);
    const GlyphMetrics b = *fonts.GetGlyphMetrics(boldItalic, code);
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
    auto lower = [](std::string s) {
        for (char& c : s) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return s;
    };
    for (size_t i = 1; i < families.size(); ++i) {
        EXPECT_LE(lower(families[i - 1].name), lower(families[i].name));
        EXPECT_NE(families[i - 1].name, families[i].name);
    }
}

} // namespace
} // namespace tavro
