// What a field adds to the frame: glyph indices and placement, alignment, margins, clipping at
// the bounds, border, password text, advances taken from outlines, and device-font fields.
#include "EditTextTestSupport.h"

#include "player/edittext/EditTextField.h"
#include "player/edittext/FieldFont.h"

#include <gtest/gtest.h>

using namespace tavro::player;
using namespace tavro::player::test;

namespace {

constexpr int32_t kScale200 = 200 * 64; // glyph units to twips at a height of 200 twips
constexpr uint32_t kColor = 0xFF102030; // the field colour 0x102030FF as straight ARGB

// Places one field (depth 1) using the "abc -*" font (id 1), each glyph 100 twips wide.
EditTextField* PlaceOne(FieldHost& host, const FieldSpec& s, Bytes font = {}) {
    Bytes tags = font.empty() ? DefineFont2(1, "Test", "abc -*") : font;
    Append(tags, DefineEditText(10, s));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags);
    return host.Field(1);
}

std::vector<uint32_t> Indices(const RecordingOutput& out) {
    std::vector<uint32_t> v;
    for (const RecordedGlyph& g : out.glyphs)
        v.push_back(g.index);
    return v;
}

TEST(EditTextDraw, GlyphsAtTheirPositionsInTheFieldColour) {
    FieldHost host;
    FieldSpec s;
    s.bounds = Rect(100, 1180, 60, 340);
    s.layout = true;
    s.leftMargin = 20;
    s.initial = "ab c";
    ASSERT_NE(PlaceOne(host, s), nullptr);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);

    EXPECT_TRUE(out.rects.empty());
    ASSERT_EQ(Indices(out), (std::vector<uint32_t>{0, 1, 3, 2}));
    const int32_t xs[] = {160, 260, 360, 460}; // bounds + gutter 40 + margin 20, then 100 each
    for (size_t i = 0; i < 4; ++i) {
        const RecordedGlyph& g = out.glyphs[i];
        EXPECT_EQ(g.m, (Matrix16{kScale200, 0, 0, kScale200, xs[i], 60 + 40 + 156})) << i;
        EXPECT_EQ(g.argb, kColor);
    }
}

TEST(EditTextDraw, AlignmentIndentAndClippingAtTheBounds) {
    auto firstX = [](FieldSpec s) {
        FieldHost host;
        PlaceOne(host, s);
        RecordingOutput out;
        host.Fields().Draw(*host.At(1), out);
        return out.glyphs.empty() ? INT32_MIN : out.glyphs[0].m.tx;
    };
    FieldSpec s;
    s.layout = true;
    s.initial = "ab";
    s.align = 1; // right: the text ends at 1080 - 40 - 30
    s.rightMargin = 30;
    EXPECT_EQ(firstX(s), 1010 - 200);
    s.align = 2; // centre of 40..1010
    EXPECT_EQ(firstX(s), 40 + (970 - 200) / 2);
    s.align = 0;
    s.indent = 70;
    EXPECT_EQ(firstX(s), 40 + 70);

    // An unwrapped line longer than the field: glyphs past the right edge are left out.
    FieldHost host;
    FieldSpec wide;
    wide.initial = "abcabcabcabcab";
    PlaceOne(host, wide);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);
    ASSERT_EQ(out.glyphs.size(), 10u); // 40 + 10 * 100 = 1040 <= 1080, the 11th would end at 1140
    EXPECT_EQ(out.glyphs.back().m.tx, 940);
}

TEST(EditTextDraw, BorderBackgroundAndPassword) {
    FieldHost host;
    FieldSpec s;
    s.flags1 |= 0x10; // password
    s.flags2 |= 0x08; // border
    s.initial = "cab";
    PlaceOne(host, s);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);

    ASSERT_EQ(out.rects.size(), 5u);
    EXPECT_EQ(out.rects[0], std::make_pair(Rect(0, 1080, 0, 280), 0xFFFFFFFFu));
    EXPECT_EQ(out.rects[1], std::make_pair(Rect(0, 1080, 0, 20), 0xFF000000u));
    EXPECT_EQ(out.rects[4], std::make_pair(Rect(1060, 1080, 0, 280), 0xFF000000u));
    EXPECT_EQ(Indices(out), (std::vector<uint32_t>{5, 5, 5})); // every character as '*'
}

TEST(EditTextDraw, AdvancesFromOutlinesWhenTheFontHasNoLayout) {
    // DefineFont: glyph 0 is a line from x = 100 to x = 500, glyph 1 has no outline.
    BitPacker p;
    p.Bits(1, 4);                                  // fill bits
    p.Bits(0, 4);                                  // line bits
    p.Bits(0, 1), p.Bits(0x01, 5);                 // style change: move to
    p.Bits(10, 5), p.Bits(100, 10), p.Bits(0, 10); // (100, 0)
    p.Bits(1, 1), p.Bits(1, 1), p.Bits(8, 4);      // straight edge, 10 bits
    p.Bits(0, 1), p.Bits(0, 1), p.Bits(400, 10);   // horizontal, dx = 400
    p.Bits(0, 6);                                  // end
    Bytes line = p.Take();
    Bytes font;
    U16(font, 1);
    U16(font, 4);
    U16(font, uint32_t(4 + line.size()));
    Append(font, line);
    Append(font, {0x00, 0x00});
    Bytes tags = Tag(10, font);
    Bytes info;
    U16(info, 1);
    info.push_back(4);
    for (char c : std::string("Test"))
        info.push_back(uint8_t(c));
    info.push_back(0);   // flags
    info.push_back('a'); // codes
    info.push_back(' ');
    Append(tags, Tag(13, info));

    FieldHost host;
    FieldSpec s;
    s.bounds = Rect(0, 4000, 0, 2000);
    s.height = 1024; // one twip per glyph unit
    s.initial = "a a";
    PlaceOne(host, s, tags);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);
    ASSERT_EQ(Indices(out), (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(out.glyphs[0].m.a, 0x10000);
    EXPECT_EQ(out.glyphs[1].m.tx, 40 + 600);       // right edge 500 plus the left bearing 100
    EXPECT_EQ(out.glyphs[2].m.tx, 40 + 600 + 256); // a blank is a quarter em
}

TEST(EditTextDraw, DeviceFontFieldsWithoutTheDeviceMovieAreLaidOutButNotDrawn) {
    FieldHost host;
    FieldSpec s;
    s.flags2 = 0; // device font
    s.initial = "ab\rab";
    s.bounds = Rect(0, 1080, 0, 1000);
    EditTextField* f = PlaceOne(host, s, DefineFont2(1, "_sans", "ab"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Font().GlyphFont(), nullptr);
    EXPECT_EQ(f->Lines().size(), 2u);
    EXPECT_EQ(f->Font().Ascent(), (912 * 200 + 512) / 1024);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);
    EXPECT_TRUE(out.glyphs.empty());

    // The whole frame renders with the field in it.
    Renderer::Of(host).UpdateScreen();
}

} // namespace

namespace {

// Through the real renderer. The player's own action engine registered its field set before the
// test's replaced it; the replaced set going away must leave the test's set drawing.
TEST(EditTextDraw, FieldGlyphsReachThePixels) {
    // One glyph: a filled square of 1024 units above the baseline.
    BitPacker p;
    p.Bits(1, 4), p.Bits(0, 4);               // one fill bit, no line bits
    p.Bits(0, 1), p.Bits(0x03, 5);            // move to, fill 0
    p.Bits(1, 5), p.Bits(0, 1), p.Bits(0, 1); // (0, 0)
    p.Bits(1, 1);                             // fill 0 = 1
    for (auto [vertical, d] : {std::pair{0, 1024}, {1, -1024}, {0, -1024}, {1, 1024}}) {
        p.Bits(1, 1), p.Bits(1, 1), p.Bits(12 - 2, 4); // straight edge, 12 bits
        p.Bits(0, 1), p.Bits(vertical, 1), p.Bits(d, 12);
    }
    p.Bits(0, 6);
    FieldHost host;
    FieldSpec s;
    s.bounds = Rect(0, 2000, 0, 1000);
    s.height = 400; // a 20-pixel square; the baseline at 40 + 313 twips
    s.initial = "a";
    Bytes tags = DefineFont2(1, "Test", "a", 512, 0, p.Take());
    Append(tags, DefineEditText(10, s));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags);
    Renderer::Of(host).UpdateScreen();
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(host.Snapshot(rgba, w, h));
    auto at = [&](int x, int y) {
        const uint8_t* px = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
        return (uint32_t(px[0]) << 16) | (uint32_t(px[1]) << 8) | px[2];
    };
    EXPECT_EQ(at(10, 10), 0x102030u); // inside the square (x 2..22, y up to 17.6)
    EXPECT_EQ(at(30, 10), 0xFFFFFFu);
    EXPECT_EQ(at(10, 25), 0xFFFFFFu);
}

} // namespace
