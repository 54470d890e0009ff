// The per-export font of a text: which characters get glyphs, the outline-to-path walk, and the
// two written forms (DefineFont with DefineFontInfo; re-centred letter shapes). Outlines come
// from the installed Liberation fonts ("Arial" is Liberation Sans).
#include "model/CNodeCurveTo2.h"
#include "model/CNodeLineTo.h"
#include "model/CNodeMoveTo.h"
#include "model/CPath.h"
#include "swf/CSwfFont.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bytes;
using test::Hex;

struct WrittenTag {
    uint16_t code = 0;
    Bytes body;
    std::string fields;
};

// The tags written after the movie header, with their bodies and decoded fields.
std::vector<WrittenTag> FinishAndList(CSwfWriter& w) {
    w.Finish();
    const std::span<const uint8_t> image = w.GetImageBytes();
    const SwfTagReader::Header header = SwfTagReader::ReadHeader(image);
    std::vector<WrittenTag> tags;
    SwfTagReader::ListMovie(image, header, [&](const SwfTagReader::Entry& e) {
        if (e.tag.code == 0)
            return;
        const uint8_t* body = image.data() + e.tag.bodyOffset;
        tags.push_back({e.tag.code, Bytes(body, body + e.tag.length), e.fields});
    });
    return tags;
}

CSwfWriter MovieWriter() {
    CSwfWriter w;
    w.WriteHeader(550, 400, 12, 1);
    return w;
}

// One line per node: "M x y f<fill>", "L x y", "Q cx cy ax ay".
std::vector<std::string> Describe(const CPath& path) {
    std::vector<std::string> out;
    char buf[96];
    for (const auto& node : path.GetNodes()) {
        if (const auto* m = DynamicCast<CNodeMoveTo>(node.get())) {
            std::snprintf(buf, sizeof buf, "M %g %g f%d", m->target.x, m->target.y, m->fillStyle1);
        } else if (const auto* l = DynamicCast<CNodeLineTo>(node.get())) {
            std::snprintf(buf, sizeof buf, "L %g %g", l->target.x, l->target.y);
        } else if (const auto* q = DynamicCast<CNodeCurveTo2>(node.get())) {
            std::snprintf(buf, sizeof buf, "Q %g %g %g %g", q->points[0].x, q->points[0].y,
                          q->points[1].x, q->points[1].y);
        } else {
            std::snprintf(buf, sizeof buf, "?");
        }
        out.push_back(buf);
    }
    return out;
}

FontCurve Line(std::vector<FontPoint> points) {
    return {FontCurveType::Line, std::move(points)};
}
FontCurve Spline(std::vector<FontPoint> points) {
    return {FontCurveType::QSpline, std::move(points)};
}

TEST(SwfFontOutline, ContoursBecomeMovesLinesAndSplitSplinesWithYNegated) {
    GlyphOutline outline;
    // A closed square whose last point is its start: no closing line is added.
    outline.contours.push_back({{0, 0}, {Line({{10, 0}, {10, 10}, {0, 10}, {0, 0}})}});
    // A three-point spline p0 p1 p2 splits at the midpoint of p0 and p1; the contour ends away
    // from its start and gets a closing line.
    outline.contours.push_back({{20, 0}, {Spline({{22, 4}, {26, 8}, {30, 0.5}})}});
    CPath path;
    CSwfFont::OutlineToPath(outline, path);
    const std::vector<std::string> expected = {
        "M 0 -0 f1",       "L 10 -0", "L 10 -10", "L 0 -10", "L 0 -0", // first contour: fill 1
        "M 20 -0 f-1",                                                 // later contours: no style
        "Q 22 -4 24 -6",                                               // control p0, midpoint p0 p1
        "Q 26 -8 30 -0.5",                                             // control p1, anchor p2
        "L 20 -0",                                                     // closing line
    };
    EXPECT_EQ(Describe(path), expected);

    CPath empty;
    CSwfFont::OutlineToPath(GlyphOutline{}, empty);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(SwfFontGlyphs, DistinctGlyphCharactersInFirstOccurrenceOrder) {
    // Repeats share a glyph; the space gets one; CR, LF, TAB, DEL and the undefined byte 0x81
    // get none; bytes from 0x80 up are characters like any other.
    CSwfFont font("Arial", 12, false, false, "a\tab \r\n\x7F\x81\xE9\x80 a", CColor());
    ASSERT_EQ(font.GetGlyphCount(), 5u);
    const uint8_t codes[] = {'a', 'b', ' ', 0xE9, 0x80};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(font.GetGlyph(i).code, codes[i]);
        EXPECT_EQ(font.GetGlyph(i).shapeId, -1);
        EXPECT_EQ(font.GetGlyph(i).glyphIndex, -1);
    }
    EXPECT_EQ(font.FindGlyph('\t'), nullptr);
    EXPECT_EQ(font.FindGlyph(0x81), nullptr);

    CSwfGlyph* b = font.FindGlyph('b');
    EXPECT_EQ(font.AddGlyph('b'), 1u);
    EXPECT_EQ(font.AddGlyph('_'), 5u); // a character not in the text
    EXPECT_EQ(font.FindGlyph('b'), b); // glyphs stay where they are
    EXPECT_EQ(font.GetFaceName(), "Arial");

    EXPECT_TRUE(IsPrintableCharacter('!'));
    EXPECT_TRUE(IsPrintableCharacter(0xFF));
    EXPECT_FALSE(IsPrintableCharacter(' '));
    EXPECT_FALSE(IsPrintableCharacter(0x7F));
    EXPECT_FALSE(IsPrintableCharacter(0x9D));
    EXPECT_TRUE(IsGlyphCharacter(' '));
    EXPECT_FALSE(IsGlyphCharacter('\n'));
}

TEST(SwfFontForm, SpaceIsAnEmptyGlyphAndFontInfoListsTheFace) {
    CSwfWriter w = MovieWriter();
    CSwfFont font("Arial", 10, false, false, " ", CColor());
    font.WriteFont(w, CSwfFont::Form::Font);
    font.WriteFont(w, CSwfFont::Form::Font); // written once per export
    const std::vector<WrittenTag> tags = FinishAndList(w);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].code, 10);
    // id 1; offset table of one entry; the glyph: one fill and one line bit, end record.
    EXPECT_EQ(tags[0].body, Hex("0100 0200 11 00"));
    EXPECT_EQ(tags[1].code, 13);
    EXPECT_EQ(tags[1].body, Hex("0100 05 417269616C 00 20")); // "Arial", no flags, code 0x20
    EXPECT_EQ(font.GetFontId(), 1);
    EXPECT_EQ(font.GetGlyph(0).glyphIndex, 0);
}

TEST(SwfFontForm, GlyphsOnTheEmSquareInTextOrder) {
    CSwfWriter w = MovieWriter();
    CSwfFont font("Arial", 72, true, true, "aab", CColor());
    font.WriteFont(w, CSwfFont::Form::Font);
    const std::vector<WrittenTag> tags = FinishAndList(w);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].fields, "id=1 glyphs=2");
    // Bold italic faces still write no style flags; codes 0x61 0x62.
    EXPECT_EQ(tags[1].body, Hex("0100 05 417269616C 00 61 62"));
    EXPECT_EQ(font.GetGlyph(0).glyphIndex, 0);
    EXPECT_EQ(font.GetGlyph(1).glyphIndex, 1);
    // Metrics of the 1024-unit em font; no letter shapes in this form.
    EXPECT_GT(font.GetGlyph(0).metrics.cellIncX, 500);
    EXPECT_LT(font.GetGlyph(0).metrics.cellIncX, 700);
    EXPECT_FALSE(font.GetGlyph(0).HasShape());
    EXPECT_FALSE(font.AllGlyphsWritten());
}

TEST(SwfLetterForm, ShapesAreCentredOnTheBlackBoxAndInkLessGlyphsHaveNone) {
    CSwfWriter w = MovieWriter();
    CSwfFont font("Arial", 72, false, false, ". ", CColor(200, 100, 50));
    font.WriteFont(w, CSwfFont::Form::Letters);
    // Liberation Sans "." at 1440 units per em: box 138 x 154 at origin (131, 154); so the box
    // spans x 131..269, y -154..0 and its centre is (200, -77).
    const CSwfGlyph& dot = *font.FindGlyph('.');
    EXPECT_EQ(dot.shapeId, 1);
    EXPECT_EQ(dot.centreX, 200);
    EXPECT_EQ(dot.centreY, -77);
    EXPECT_EQ(dot.bounds, CDoubleRect(-69, -77, 69, 77));
    EXPECT_TRUE(dot.written);
    const CSwfGlyph& space = *font.FindGlyph(' ');
    EXPECT_EQ(space.shapeId, -1);
    EXPECT_TRUE(space.written);
    EXPECT_EQ(space.metrics.cellIncX, 400);
    EXPECT_TRUE(font.AllGlyphsWritten());

    // A glyph added later is written by the next letter-form write, and only it.
    const size_t cursor = font.AddGlyph('_');
    EXPECT_FALSE(font.AllGlyphsWritten());
    font.WriteFont(w, CSwfFont::Form::Letters);
    EXPECT_EQ(font.GetGlyph(cursor).shapeId, 2);
    EXPECT_TRUE(font.AllGlyphsWritten());

    const std::vector<WrittenTag> tags = FinishAndList(w);
    ASSERT_EQ(tags.size(), 2u); // no shape for the space
    EXPECT_EQ(tags[0].code, 2);
    EXPECT_EQ(tags[0].fields, "id=1 bounds x=-69..69 y=-77..77");
    EXPECT_EQ(tags[1].fields.substr(0, 5), "id=2 ");
    // After the RECT (5 + 4 x 8 bits = 5 bytes): one solid fill of the text colour as RGB, no
    // line styles, one fill bit and no line bit.
    EXPECT_EQ(Bytes(tags[0].body.begin() + 7, tags[0].body.begin() + 14),
              Hex("01 00 C86432 00 10"));
}

TEST(SwfLetterForm, SizesBeyondTheFontServiceGiveEmptyGlyphs) {
    CSwfWriter w = MovieWriter();
    CSwfFont huge("Arial", 0x7FFFFFFF, false, false, "A", CColor());
    CSwfFont negative("Arial", -5, false, false, "A", CColor());
    huge.WriteFont(w, CSwfFont::Form::Letters);
    negative.WriteFont(w, CSwfFont::Form::Letters);
    EXPECT_EQ(huge.GetGlyph(0).shapeId, -1);
    EXPECT_EQ(negative.GetGlyph(0).shapeId, -1);
    EXPECT_TRUE(FinishAndList(w).empty());
}

} // namespace
} // namespace tavro
