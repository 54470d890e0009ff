// Damaged records never crash the renderer: shapes, morphs, texts and glyph tables with bytes
// flipped or cut, drawn with and without anti-aliasing and under extreme matrices.
#include "RenderTestSupport.h"

#include "player/render/CharacterSource.h"
#include "player/render/FontGlyphTable.h"
#include "player/render/TextDrawer.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavro::player;
using namespace tavro::player::render;
using namespace tavro::player::render::test;

namespace {

std::vector<uint8_t> SampleShape() {
    Bits b;
    b.U8(2)
        .U8(0x00)
        .Rgba(0x80FF0000)
        .U8(0x10)
        .Identity()
        .U8(2)
        .U8(0)
        .Rgba(0xFF000000)
        .U8(255)
        .Rgba(0xFF00FF00);
    b.U8(1).U16(60).Rgba(0xFF0000FF).StyleBits();
    Polygon(b, {{0, 0}, {800, 0}, {800, 800}, {0, 800}}, 1, 2, 1);
    b.Curve(300, 300, -200, 400);
    b.EndShape();
    return b.bytes;
}

std::vector<uint8_t> SampleFont() {
    Bits glyph;
    glyph.U8(0x40);
    Polygon(glyph, {{0, -512}, {512, -512}, {512, 0}}, -1, 1);
    glyph.EndShape();
    Bits font;
    font.U16(2).Raw(glyph.bytes);
    return font.bytes;
}

class FontSource : public CharacterSource {
public:
    std::vector<uint8_t> font = SampleFont();
    const DecodedBitmap* Bitmap(uint16_t) override { return nullptr; }
    bool Font(uint16_t id, std::span<const uint8_t>& data, uint8_t& tag) override {
        if (id != 1)
            return false;
        data = font;
        tag = 10;
        return true;
    }
};

template <class Draw> void Mutations(const std::vector<uint8_t>& good, Draw draw) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        int flips = 1 + round % 4;
        for (int f = 0; f < flips; ++f)
            bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
        if (round % 5 == 0)
            bytes.resize(rng() % bytes.size());
        draw(bytes, round % 2 == 0);
    }
}

} // namespace

TEST(RobustnessTest, DamagedShapesDrawWithoutFault) {
    Mutations(SampleShape(), [](const std::vector<uint8_t>& bytes, bool aa) {
        Canvas c(40, 40, aa);
        c.Shape(bytes, 3, c.State());
        DrawState huge = c.State(0x7FFFFFFF);
        c.Shape(bytes, 3, huge);
        c.Finish();
    });
}

TEST(RobustnessTest, DamagedMorphsAndTextsDrawWithoutFault) {
    Bits m;
    m.Rect(0, 400, 0, 400).Rect(0, 800, 0, 800);
    Bits rest;
    rest.U8(1)
        .U8(0x00)
        .Rgba(0xFFFF0000)
        .Rgba(0xFF0000FF)
        .U8(1)
        .U16(20)
        .U16(40)
        .Rgba(0xFF000000)
        .Rgba(0xFFFFFFFF);
    Bits start;
    start.StyleBits();
    Polygon(start, {{0, 0}, {400, 0}, {400, 400}}, -1, 1, 1);
    start.EndShape();
    Bits end;
    end.StyleBits();
    Polygon(end, {{0, 0}, {800, 0}, {800, 800}}, -1, -1);
    end.EndShape();
    m.U32(uint32_t(rest.bytes.size() + start.bytes.size()))
        .Raw(rest.bytes)
        .Raw(start.bytes)
        .Raw(end.bytes);
    Mutations(m.bytes, [](const std::vector<uint8_t>& bytes, bool aa) {
        Canvas c(40, 40, aa);
        DrawState st = c.State();
        st.ratio = 30000;
        ShapeDrawer d(c.Frame(), nullptr);
        d.DrawMorph(bytes, st);
        c.Finish();
    });

    Bits text;
    text.Rect(0, 2000, 0, 1000).Identity().U8(1).U8(10);
    text.U8(0x8F).U16(1).Rgb(0xFF0000).U16(200).U16(600).U16(400);
    text.U8(2).Ub(0, 1).Sb(400, 10).Ub(0, 1).Sb(0, 10).Align().U8(0);
    Mutations(text.bytes, [](const std::vector<uint8_t>& bytes, bool aa) {
        Canvas c(40, 40, aa);
        FontSource source;
        ShapeDrawer shapes(c.Frame(), &source);
        TextDrawer d(c.Frame(), shapes, &source);
        d.Draw(bytes, aa, c.State());
        c.Finish();
    });
}

TEST(RobustnessTest, GlyphTablesStayInsideTheirRecord) {
    // DefineFont2 with wide offsets pointing anywhere.
    std::mt19937 rng(5);
    for (int round = 0; round < 500; ++round) {
        std::vector<uint8_t> bytes(rng() % 40);
        for (uint8_t& b : bytes)
            b = uint8_t(rng());
        for (uint8_t tag : {uint8_t(10), uint8_t(48)}) {
            FontGlyphTable t(bytes, tag);
            for (uint32_t i = 0; i < std::min<uint32_t>(t.Count(), 64) + 2; ++i) {
                std::span<const uint8_t> g = t.Glyph(i);
                if (!g.empty()) {
                    ASSERT_GE(g.data(), bytes.data());
                    ASSERT_LE(g.data() + g.size(), bytes.data() + bytes.size());
                }
            }
        }
    }
}
