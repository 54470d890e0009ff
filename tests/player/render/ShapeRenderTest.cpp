// Picture tests of shapes drawn from hand-built records: exact coverage of solid fills, the
// compositing of translucent colours, anti-aliased edges, gradients, bitmap fills, lines and
// strokes, curves, morphs and the coordinate-range rules.
#include "RenderTestSupport.h"

#include "player/render/CharacterSource.h"
#include "player/render/DecodedBitmap.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavro::player;
using namespace tavro::player::render;
using namespace tavro::player::render::test;

namespace {

// A DefineShape record (after the bounds) with one solid fill and a polygon.
std::vector<uint8_t> SolidPolygon(uint32_t rgb,
                                  const std::vector<std::pair<int32_t, int32_t>>& pts) {
    Bits b;
    b.U8(1).U8(0x00).Rgb(rgb).U8(0).StyleBits();
    Polygon(b, pts, -1, 1);
    return b.EndShape().bytes;
}

std::vector<std::pair<int32_t, int32_t>> Box(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

int Channel(uint32_t rgb, int shift) {
    return int((rgb >> shift) & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tol) {
    for (int s : {0, 8, 16})
        if (std::abs(Channel(a, s) - Channel(b, s)) > tol)
            return false;
    return true;
}

class OneBitmap : public CharacterSource {
public:
    explicit OneBitmap(DecodedBitmap* bm) : bm_(bm) {}
    const DecodedBitmap* Bitmap(uint16_t id) override { return id == 7 ? bm_ : nullptr; }
    bool Font(uint16_t, std::span<const uint8_t>&, uint8_t&) override { return false; }

private:
    DecodedBitmap* bm_;
};

} // namespace

TEST(ShapeRenderTest, SolidRectangleCoversExactlyItsPixels) {
    Canvas c(120, 80);
    // Twips 400..2000 x 400..1200 are pixels 20..99 x 20..59.
    c.Shape(SolidPolygon(0xFF0000, Box(400, 400, 2000, 1200)), 1, c.State());
    c.Finish();
    EXPECT_EQ(c.Count(0xFF0000), 80 * 40);
    EXPECT_EQ(c.At(20, 20), 0xFF0000u);
    EXPECT_EQ(c.At(99, 59), 0xFF0000u);
    EXPECT_EQ(c.At(19, 20), 0xFFFFFFu);
    EXPECT_EQ(c.At(100, 59), 0xFFFFFFu);
    EXPECT_EQ(c.At(99, 60), 0xFFFFFFu);
}

TEST(ShapeRenderTest, HoleOfTheSameFillStaysOpen) {
    // An outer square and an inner square in the opposite direction, both with fill 1.
    Bits b;
    b.U8(1).U8(0x00).Rgb(0x0000FF).U8(0).StyleBits();
    Polygon(b, Box(0, 0, 1200, 1200), -1, 1);
    Polygon(b, {{400, 400}, {400, 800}, {800, 800}, {800, 400}}, -1, -1);
    Canvas c(60, 60);
    c.Shape(b.EndShape().bytes, 1, c.State());
    c.Finish();
    EXPECT_EQ(c.At(5, 5), 0x0000FFu);
    EXPECT_EQ(c.At(30, 30), 0xFFFFFFu);
    EXPECT_EQ(c.Count(0x0000FF), 60 * 60 - 20 * 20);
}

TEST(ShapeRenderTest, TranslucentColoursCompositeBackToFront) {
    // Opaque blue, then red at alpha 128 over half of it (DefineShape3 colours carry alpha).
    Canvas c(40, 20);
    Bits blue;
    blue.U8(1).U8(0x00).Rgba(0xFF0000FF).U8(0).StyleBits();
    Polygon(blue, Box(0, 0, 400, 400), -1, 1);
    c.Shape(blue.EndShape().bytes, 3, c.State());
    Bits red;
    red.U8(1).U8(0x00).Rgba(0x80FF0000).U8(0).StyleBits();
    Polygon(red, Box(200, 0, 600, 400), -1, 1);
    c.Shape(red.EndShape().bytes, 3, c.State());
    c.Finish();
    // Red premultiplied: 255 * 129 / 256 = 128. Over blue: blue * 127 / 255 + 0.
    EXPECT_EQ(c.At(5, 5), 0x0000FFu);
    EXPECT_TRUE(Near(c.At(15, 5), 0x80007F, 1)) << std::hex << c.At(15, 5);
    // Over the white background.
    EXPECT_TRUE(Near(c.At(25, 5), 0xFF7F7F, 1)) << std::hex << c.At(25, 5);
}

TEST(ShapeRenderTest, AntiAliasedEdgesBlendByCoverage) {
    Canvas c(20, 10, true);
    // Black square from x = 2.5 px to 7.5 px (50 to 150 twips), full rows 2..7.
    c.Shape(SolidPolygon(0x000000, Box(50, 40, 150, 160)), 1, c.State());
    c.Finish();
    EXPECT_EQ(c.At(4, 4), 0x000000u);
    EXPECT_EQ(c.At(9, 4), 0xFFFFFFu);
    // Half-covered columns: 8 of 16 samples.
    EXPECT_TRUE(Near(c.At(2, 4), 0x808080, 2)) << std::hex << c.At(2, 4);
    EXPECT_TRUE(Near(c.At(7, 4), 0x808080, 2)) << std::hex << c.At(7, 4);

    // Nothing opaque underneath: partly covered pixels blend with what the surface holds.
    Canvas d(20, 10, true, 0);
    d.Prefill(0x0000FF);
    d.Shape(SolidPolygon(0xFF0000, Box(50, 40, 150, 160)), 1, d.State());
    d.Finish();
    EXPECT_EQ(d.At(4, 4), 0xFF0000u);
    EXPECT_EQ(d.At(12, 4), 0x0000FFu);
    EXPECT_TRUE(Near(d.At(2, 4), 0x80007F, 2)) << std::hex << d.At(2, 4);
}

TEST(ShapeRenderTest, AntiAliasingKeepsInteriorColours) {
    // A gradient and a bitmap under translucent solids (and a gradient over a solid): away from
    // the edges, the anti-aliased picture has the colours of the aliased one.
    DecodedBitmap bm;
    bm.width = bm.height = 2;
    bm.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    OneBitmap source(&bm);
    const int32_t s = 1600 * 65536 / 32768;
    auto scene = [&](Canvas& c) {
        Bits g;
        g.U8(1).U8(0x10).Matrix(s, 0, 0, s, 800, 400).U8(2).U8(0).Rgba(0xFF000000);
        g.U8(255).Rgba(0xFFFFFF00).U8(0).StyleBits();
        Polygon(g, Box(0, 0, 1600, 800), -1, 1);
        c.Shape(g.EndShape().bytes, 3, c.State());
        Bits b;
        b.U8(1).U8(0x40).U16(7).Matrix(200 << 16, 0, 0, 200 << 16, 0, 0).U8(0).StyleBits();
        Polygon(b, Box(0, 800, 1600, 1600), -1, 1);
        c.Shape(b.EndShape().bytes, 3, c.State(), &source);
        Bits t;
        t.U8(2).U8(0).Rgba(0x800000FF).U8(0).Rgba(0x40FF0000).U8(0).StyleBits();
        Polygon(t, Box(400, 200, 1200, 1400), -1, 1);
        Polygon(t, Box(600, 400, 1000, 1200), -1, 2);
        c.Shape(t.EndShape().bytes, 3, c.State());
        Bits h;
        h.U8(1).U8(0x10).Matrix(s, 0, 0, s, 800, 400).U8(2).U8(0).Rgba(0x00000000);
        h.U8(255).Rgba(0x80FFFFFF).U8(0).StyleBits();
        Polygon(h, Box(1300, 100, 1500, 700), -1, 1);
        c.Shape(h.EndShape().bytes, 3, c.State());
    };
    Canvas plain(80, 80), aa(80, 80, true);
    scene(plain);
    scene(aa);
    plain.Finish();
    aa.Finish();
    const int xs[] = {5, 25, 35, 45, 70, 10, 40, 66, 73};
    const int ys[] = {5, 15, 25, 35, 48, 55, 66, 75};
    for (int y : ys)
        for (int x : xs)
            EXPECT_TRUE(Near(aa.At(x, y), plain.At(x, y), 3))
                << x << "," << y << std::hex << " " << aa.At(x, y) << " " << plain.At(x, y);
}

TEST(ShapeRenderTest, LinearAndRadialGradientsFollowTheirMatrix) {
    // A linear gradient from black (ratio 0) to white (255) across 0..2560 twips (128 px):
    // the gradient square (-16384..16384) scaled by 2560 / 32768 and moved to the centre.
    const int32_t s = 2560 * 65536 / 32768;
    Bits b;
    b.U8(1).U8(0x10).Matrix(s, 0, 0, s, 1280, 200).U8(2).U8(0).Rgb(0x000000).U8(255).Rgb(0xFFFFFF);
    b.U8(0).StyleBits();
    Polygon(b, Box(0, 0, 2560, 400), -1, 1);
    Canvas c(128, 20);
    c.Shape(b.EndShape().bytes, 1, c.State());
    c.Finish();
    EXPECT_LE(Channel(c.At(0, 5), 0), 3);
    EXPECT_GE(Channel(c.At(127, 5), 0), 252);
    EXPECT_TRUE(Near(c.At(64, 5), 0x808080, 3)) << std::hex << c.At(64, 5);
    for (int x = 1; x < 128; ++x)
        ASSERT_GE(Channel(c.At(x, 5), 0), Channel(c.At(x - 1, 5), 0));

    // Radial: red at the centre, blue at radius 1280 twips (64 px).
    Bits r;
    r.U8(1).U8(0x12).Matrix(s, 0, 0, s, 1280, 1280).U8(2).U8(0).Rgb(0xFF0000).U8(255).Rgb(0x0000FF);
    r.U8(0).StyleBits();
    Polygon(r, Box(0, 0, 2560, 2560), -1, 1);
    Canvas d(128, 128);
    d.Shape(r.EndShape().bytes, 1, d.State());
    d.Finish();
    EXPECT_TRUE(Near(d.At(64, 64), 0xFF0000, 4)) << std::hex << d.At(64, 64);
    EXPECT_TRUE(Near(d.At(0, 0), 0x0000FF, 1));
    // Same distance, same colour.
    EXPECT_TRUE(Near(d.At(64 + 30, 64), d.At(64, 64 - 31), 2));
    EXPECT_TRUE(Near(d.At(96, 64), 0x7F0080, 6)) << std::hex << d.At(96, 64);
}

TEST(ShapeRenderTest, BitmapFillsTileOrClampTheirSource) {
    DecodedBitmap bm;
    bm.width = bm.height = 2;
    bm.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    OneBitmap source(&bm);
    // 20 twips per bitmap pixel times 4: every bitmap pixel is 4x4 screen pixels.
    for (uint32_t type : {0x40u, 0x41u}) {
        Bits b;
        b.U8(1).U8(type).U16(7).Matrix(80 << 16, 0, 0, 80 << 16, 0, 0).U8(0).StyleBits();
        Polygon(b, Box(0, 0, 320, 320), -1, 1);
        Canvas c(16, 16);
        c.Shape(b.EndShape().bytes, 1, c.State(), &source);
        c.Finish();
        EXPECT_EQ(c.At(1, 1), 0xFF0000u);
        EXPECT_EQ(c.At(5, 1), 0x00FF00u);
        EXPECT_EQ(c.At(1, 5), 0x0000FFu);
        EXPECT_EQ(c.At(6, 6), 0xFFFFFFu);
        if (type == 0x40) {
            EXPECT_EQ(c.At(9, 9), 0xFF0000u) << "tiled repeats";
            EXPECT_EQ(c.At(13, 9), 0x00FF00u);
        } else {
            EXPECT_EQ(c.At(9, 9), 0xFFFFFFu) << "clipped repeats the edge";
            EXPECT_EQ(c.At(13, 1), 0x00FF00u);
        }
    }
    // An unknown bitmap id draws opaque white.
    Bits b;
    b.U8(1).U8(0x40).U16(99).Identity().U8(0).StyleBits();
    Polygon(b, Box(0, 0, 160, 160), -1, 1);
    Canvas c(16, 16, false, 0xFF000000);
    c.Shape(b.EndShape().bytes, 1, c.State(), &source);
    c.Finish();
    EXPECT_EQ(c.At(3, 3), 0xFFFFFFu);
    EXPECT_EQ(c.At(3, 3 + 10), 0x000000u);
}

TEST(ShapeRenderTest, SmoothingBlendsMagnifiedBitmapsOnly) {
    DecodedBitmap bm;
    bm.width = 2;
    bm.height = 1;
    bm.pixels = {0xFFFF0000, 0xFF0000FF};
    OneBitmap source(&bm);
    auto draw = [&](bool smooth, int32_t scale, int w, uint32_t type = 0x41) {
        Bits b;
        b.U8(1).U8(type).U16(7).Matrix(scale, 0, 0, scale, 0, 0).U8(0).StyleBits();
        Polygon(b, Box(0, 0, w * 20, 80), -1, 1);
        auto c = std::make_unique<Canvas>(w, 4, true, 0xFFFFFFFF, smooth);
        c->Shape(b.EndShape().bytes, 1, c->State(), &source);
        c->Finish();
        return c;
    };
    // Magnified 20 times: smoothing gives a ramp between the two pixel centres.
    auto sharp = draw(false, 400 << 16, 40);
    auto smooth = draw(true, 400 << 16, 40);
    EXPECT_EQ(sharp->At(19, 1), 0xFF0000u);
    EXPECT_EQ(sharp->At(20, 1), 0x0000FFu);
    EXPECT_EQ(smooth->At(5, 1), 0xFF0000u);
    EXPECT_EQ(smooth->At(34, 1), 0x0000FFu);
    uint32_t mid = smooth->At(20, 1);
    EXPECT_GT(Channel(mid, 16), 64);
    EXPECT_GT(Channel(mid, 0), 64);
    // Shrunk to 2.5 bitmap pixels per screen pixel (tiled): nearest sampling, no blend.
    auto small = draw(true, 8 << 16, 4, 0x40);
    for (int x = 0; x < 4; ++x) {
        uint32_t c = small->At(x, 1);
        EXPECT_TRUE(c == 0xFF0000u || c == 0x0000FFu || c == 0xFFFFFFu) << std::hex << c;
    }
}

TEST(ShapeRenderTest, OneUnitVerticalLineIsAOnePixelBar) {
    // Line style of 20 twips (one pixel), a vertical line at x = 10 px from y = 5 to 25.
    Bits b;
    b.U8(0).U8(1).U16(20).Rgb(0x000000).StyleBits();
    b.Move(200, 100, -1, -1, 1).Line(0, 400);
    Canvas c(30, 30);
    c.Shape(b.EndShape().bytes, 1, c.State());
    c.Finish();
    int black = c.Count(0x000000);
    EXPECT_GE(black, 20);
    EXPECT_LE(black, 21);
    for (int y = 6; y < 25; ++y) {
        EXPECT_EQ(c.At(10, y), 0x000000u) << y;
        EXPECT_EQ(c.At(9, y), 0xFFFFFFu) << y;
        EXPECT_EQ(c.At(11, y), 0xFFFFFFu) << y;
    }
    // A hairline (width 0) is one pixel as well.
    Bits h;
    h.U8(0).U8(1).U16(0).Rgb(0x000000).StyleBits();
    h.Move(100, 200, -1, -1, 1).Line(400, 0);
    Canvas d(30, 30);
    d.Shape(h.EndShape().bytes, 1, d.State());
    d.Finish();
    EXPECT_GE(d.Count(0x000000), 20);
    EXPECT_LE(d.Count(0x000000), 21);
}

TEST(ShapeRenderTest, WideStrokesHaveRoundJoinsAndNoHoles) {
    // A 10-pixel wide red polyline with a sharp turn, drawn translucent: the overlapping join
    // pieces must not be blended twice or cancel each other.
    Bits b;
    b.U8(0).U8(1).U16(200).Rgba(0x80FF0000).StyleBits();
    b.Move(400, 400, -1, -1, 1).Line(1200, 0).Line(-1000, 600);
    Canvas c(100, 80);
    c.Shape(b.EndShape().bytes, 3, c.State());
    c.Finish();
    const uint32_t expect = c.At(40, 20);
    EXPECT_TRUE(Near(expect, 0xFF7F7F, 2)) << std::hex << expect;
    // The whole join region carries exactly one layer of red.
    for (int y = 16; y <= 24; ++y)
        for (int x = 74; x <= 84; ++x)
            if (c.At(x, y) != 0xFFFFFFu) {
                ASSERT_TRUE(Near(c.At(x, y), expect, 2))
                    << x << "," << y << std::hex << " " << c.At(x, y);
            }
    EXPECT_EQ(c.At(80, 20), expect);
    // Round cap: a point 4 px beyond the start along the line is covered, the corner of a
    // square cap is not.
    EXPECT_EQ(c.At(17, 20), expect);
    EXPECT_EQ(c.At(15, 15), 0xFFFFFFu);
}

TEST(ShapeRenderTest, CurvedOutlineAreaMatchesTheCircle) {
    // A circle of radius 40 px from eight quadratic arcs.
    const double r = 800, cx = 1000, cy = 1000;
    Bits b;
    b.U8(1).U8(0x00).Rgb(0x000000).U8(0).StyleBits();
    b.Move(int32_t(cx + r), int32_t(cy), -1, 1);
    int32_t px = int32_t(cx + r), py = int32_t(cy);
    for (int i = 0; i < 8; ++i) {
        double a0 = i * M_PI / 4, a1 = (i + 1) * M_PI / 4, am = (a0 + a1) / 2;
        double k = r / std::cos(M_PI / 8);
        int32_t qx = int32_t(std::lround(cx + k * std::cos(am))),
                qy = int32_t(std::lround(cy + k * std::sin(am)));
        int32_t ex = int32_t(std::lround(cx + r * std::cos(a1))),
                ey = int32_t(std::lround(cy + r * std::sin(a1)));
        b.Curve(qx - px, qy - py, ex - qx, ey - qy);
        px = ex, py = ey;
    }
    Canvas c(100, 100);
    c.Shape(b.EndShape().bytes, 1, c.State());
    c.Finish();
    double area = c.Count(0x000000), expected = M_PI * 40 * 40;
    EXPECT_NEAR(area / expected, 1.0, 0.02);
    EXPECT_EQ(c.At(50, 50), 0x000000u);
    EXPECT_EQ(c.At(50, 8), 0xFFFFFFu);
    EXPECT_EQ(c.At(50, 11), 0x000000u);
}

TEST(ShapeRenderTest, OutlinesFarBeyondTheRangeAreClampedOrDropped) {
    // A shape entirely below y = 16000 device units draws nothing and leaves the rest intact;
    // a huge rectangle reaching beyond +-32000 still covers the visible area.
    Canvas c(50, 50);
    DrawState st = c.State(0x10000); // one twip per device unit
    c.Shape(SolidPolygon(0xFF0000, Box(0, 20000, 50, 40000)), 1, st);
    c.Shape(SolidPolygon(0x00FF00, Box(10, 10, 20, 20)), 1, st);
    DrawState wide = st;
    wide.toDevice = Matrix16::Scale(100 << 16, 1 << 16); // x from -900000 to 900000
    c.Shape(SolidPolygon(0x0000FF, Box(-9000, 30, 9000, 60000)), 1, wide);
    c.Finish();
    EXPECT_EQ(c.Count(0xFF0000), 0);
    EXPECT_EQ(c.Count(0x00FF00), 100);
    EXPECT_EQ(c.Count(0x0000FF), 50 * 20);
    EXPECT_EQ(c.At(0, 49), 0x0000FFu);
    EXPECT_EQ(c.At(49, 30), 0x0000FFu);
}

TEST(ShapeRenderTest, MorphInterpolatesPointsAndColours) {
    // Start: red square at 0..400 twips; end: blue square at 400..800; same records.
    Bits m;
    m.Rect(0, 400, 0, 400).Rect(400, 800, 0, 400);
    Bits styles;
    styles.U8(1).U8(0x00).Rgba(0xFFFF0000).Rgba(0xFF0000FF).U8(0);
    Bits start;
    start.StyleBits();
    Polygon(start, Box(0, 0, 400, 400), -1, 1);
    start.EndShape();
    Bits end;
    end.StyleBits();
    end.Move(400, 0);
    for (auto d : std::vector<std::pair<int, int>>{{400, 0}, {0, 400}, {-400, 0}, {0, -400}})
        end.Line(d.first, d.second);
    end.EndShape();
    m.U32(uint32_t(styles.bytes.size() + start.bytes.size()))
        .Raw(styles.bytes)
        .Raw(start.bytes)
        .Raw(end.bytes);

    for (uint16_t ratio : {uint16_t(0), uint16_t(32768), uint16_t(65535)}) {
        Canvas c(40, 20);
        DrawState st = c.State();
        st.ratio = ratio;
        ShapeDrawer d(c.Frame(), nullptr);
        d.DrawMorph(m.bytes, st);
        c.Finish();
        if (ratio == 0) {
            EXPECT_EQ(c.Count(0xFF0000), 400);
            EXPECT_EQ(c.At(5, 5), 0xFF0000u);
        } else if (ratio == 65535) {
            EXPECT_EQ(c.Count(0x0000FF), 400);
            EXPECT_EQ(c.At(25, 5), 0x0000FFu);
        } else {
            EXPECT_EQ(c.At(9, 5), 0xFFFFFFu);
            EXPECT_TRUE(Near(c.At(15, 5), 0x7F0080, 1)) << std::hex << c.At(15, 5);
            EXPECT_EQ(c.At(30, 5), 0xFFFFFFu);
        }
    }
}

TEST(ShapeRenderTest, DamagedRecordsDrawWhatIsComplete) {
    std::vector<uint8_t> rec = SolidPolygon(0xFF0000, Box(0, 0, 400, 400));
    for (size_t n = 0; n < rec.size(); ++n) {
        Canvas c(30, 30);
        std::vector<uint8_t> cut(rec.begin(), rec.begin() + long(n));
        c.Shape(cut, 3, c.State());
        c.Finish();
        EXPECT_LE(c.Count(0xFF0000), 400);
    }
    // Counts that promise far more styles than there are bytes.
    Bits b;
    b.U8(255).U16(60000).U8(0);
    Canvas c(10, 10);
    c.Shape(b.bytes, 3, c.State());
    c.Finish();
    EXPECT_EQ(c.Count(0xFFFFFF), 100);
}
