// The renderer driven by the player core: whole frames, incremental updates of moved objects,
// clip layers, scale modes, an 8-bit display, text and bitmaps from real tags, and a surface
// that cannot be made.
#include "RenderTestSupport.h"

#include "player/DisplayList.h"
#include "player/PlayerCore.h"
#include "player/host/HeadlessHost.h"
#include "player/render/Renderer.h"
#include "player/render/ViewTransform.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace tavro::player;
using namespace tavro::player::render;
using namespace tavro::player::render::test;

namespace {

class TestCore : public PlayerCore {
public:
    TestCore(int w, int h) : w_(w), h_(h) {}
    void GetClientRect(Rect& out) override { out = Rect(0, w_, 0, h_); }
    int StartTimers(int, int) override { return 1; }
    void InvalidateScreen() override { ++invalidations; }
    void Resize(int w, int h) {
        w_ = w;
        h_ = h;
    }
    int invalidations = 0;

private:
    int w_, h_;
};

std::vector<uint8_t> SolidBox(uint32_t rgb, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Bits b;
    b.U8(1).U8(0x00).Rgb(rgb).U8(0).StyleBits();
    Polygon(b, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, -1, 1);
    return b.EndShape().bytes;
}

struct Player {
    Player(const Movie& movie, int w, int h, bool highQuality = false) : core(w, h) {
        core.SetQuality(highQuality, false);
        std::vector<uint8_t> bytes = movie.Bytes();
        core.Load(bytes.data(), bytes.size());
        renderer = &Renderer::Of(core);
        renderer->SetBlit([this](const NativeBitmap* s, const Rect& r) {
            ++blits;
            lastBlit = r;
            blitSurface = s;
        });
        renderer->RebuildView();
        renderer->UpdateScreen();
    }
    uint32_t At(int x, int y) const { return renderer->Surface().PixelAt(x, y) & 0xFFFFFF; }
    int Count(uint32_t rgb) const {
        const NativeBitmap& s = renderer->Surface();
        int n = 0;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                n += (s.PixelAt(x, y) & 0xFFFFFF) == rgb;
        return n;
    }
    DisplayObject* Object(uint16_t depth) {
        DisplayObject* root = core.Level0().rootObject;
        return root ? root->FindChild(depth) : nullptr;
    }

    TestCore core;
    Renderer* renderer = nullptr;
    int blits = 0;
    Rect lastBlit;
    const NativeBitmap* blitSurface = nullptr;
};

} // namespace

TEST(RendererTest, DrawsTheFirstFrameOverTheBackground) {
    Movie m(4000, 2000); // 200 x 100 px
    m.Background(0x0000FF).Shape(1, Rect(0, 800, 0, 400), SolidBox(0xFF0000, 0, 0, 800, 400));
    m.Place(1, 1, 200, 200).ShowFrame();
    for (bool hq : {false, true}) {
        Player p(m, 200, 100, hq);
        ASSERT_TRUE(p.renderer->Surface().IsValid());
        EXPECT_EQ(p.Count(0xFF0000), 40 * 20) << hq;
        EXPECT_EQ(p.Count(0x0000FF), 200 * 100 - 40 * 20) << hq;
        EXPECT_EQ(p.At(10, 10), 0xFF0000u);
        EXPECT_EQ(p.At(49, 29), 0xFF0000u);
        EXPECT_EQ(p.At(50, 29), 0x0000FFu);
        EXPECT_GE(p.blits, 1);
        EXPECT_EQ(p.blitSurface, &p.renderer->Surface());
    }
}

TEST(RendererTest, MovingAnObjectRedrawsOnlyItsOldAndNewArea) {
    Movie m(4000, 2000);
    m.Background(0xFFFFFF).Shape(1, Rect(0, 200, 0, 200), SolidBox(0x000000, 0, 0, 200, 200));
    m.Shape(2, Rect(0, 4000, 0, 2000), SolidBox(0x00FF00, 2000, 0, 4000, 2000));
    m.Place(1, 2).Place(2, 1, 200, 200).ShowFrame();
    Player p(m, 200, 100);
    EXPECT_EQ(p.Count(0x000000), 100);
    EXPECT_EQ(p.renderer->LastFrame().pixels, 200 * 100);

    DisplayObject* box = p.Object(2);
    ASSERT_NE(box, nullptr);
    box->matrix.tx = 600;
    p.core.GetDisplayList().MarkDirty(box);
    p.renderer->UpdateScreen();
    EXPECT_EQ(p.Count(0x000000), 100);
    EXPECT_EQ(p.At(12, 12), 0xFFFFFFu) << "old place cleared";
    EXPECT_EQ(p.At(32, 12), 0x000000u);
    EXPECT_EQ(p.At(150, 50), 0x00FF00u) << "the unchanged object is still there";
    // Only the union of the old and new bounds (plus a margin) was drawn.
    EXPECT_LT(p.renderer->LastFrame().pixels, 40 * 20);
    EXPECT_LE(p.lastBlit.Width(), 40);

    // Nothing changed: nothing is drawn or shown.
    int blits = p.blits;
    p.renderer->UpdateScreen();
    EXPECT_EQ(p.blits, blits);
}

TEST(RendererTest, UnchangedObjectsAreRedrawnFromTheirCachedEdges) {
    // A gradient, a translucent shape with a line and a clip layer.
    const int32_t s = 1000 * 65536 / 32768;
    Bits grad;
    grad.U8(1).U8(0x10).Matrix(s, 0, 0, s, 500, 500).U8(2).U8(0).Rgba(0xFF000000);
    grad.U8(255).Rgba(0xFFFFFFFF).U8(0).StyleBits();
    Polygon(grad, {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, -1, 1);
    grad.EndShape();
    Bits shape;
    shape.U8(1).U8(0).Rgba(0x80FF0000).U8(1).U16(40).Rgba(0xFF0000FF).StyleBits();
    Polygon(shape, {{200, 200}, {1600, 300}, {900, 900}}, -1, 1, 1);
    shape.EndShape();
    Movie m(2000, 1000);
    m.Background(0xFFFFFF).Shape(1, Rect(0, 1000, 0, 1000), grad.bytes, 32);
    m.Shape(2, Rect(180, 1620, 180, 920), shape.bytes, 32);
    m.Shape(3, Rect(0, 1000, 0, 1000), SolidBox(0x000000, 0, 0, 1000, 1000));
    m.Place(1, 1).Place(2, 3, 800, 0, -1, 3).Place(3, 2).ShowFrame();
    for (bool hq : {false, true}) {
        Player p(m, 100, 50, hq);
        std::vector<uint8_t> first = p.renderer->Surface().ToRgba();
        p.renderer->InvalidateAll();
        p.renderer->UpdateScreen();
        EXPECT_EQ(p.renderer->LastFrame().objectsReplayed, 3) << hq;
        EXPECT_EQ(p.renderer->Surface().ToRgba(), first) << hq;

        // A change nobody marked: the cache notices its inputs differ.
        DisplayObject* tri = p.Object(3);
        ASSERT_NE(tri, nullptr);
        tri->matrix.ty = 100;
        p.renderer->InvalidateAll();
        p.renderer->UpdateScreen();
        EXPECT_EQ(p.renderer->LastFrame().objectsReplayed, 2) << hq;
        EXPECT_NE(p.renderer->Surface().ToRgba(), first) << hq;
    }
}

TEST(RendererTest, ClipLayerMasksTheDepthsUpToItsClipDepth) {
    Movie m(2000, 1000); // 100 x 50 px
    m.Background(0xFFFFFF);
    m.Shape(1, Rect(0, 1000, 0, 1000), SolidBox(0x000000, 0, 0, 1000, 1000)); // left half
    m.Shape(2, Rect(0, 2000, 0, 500), SolidBox(0xFF0000, 0, 0, 2000, 500));   // top band
    m.Shape(3, Rect(0, 2000, 500, 1000), SolidBox(0x0000FF, 0, 500, 2000, 1000));
    m.Place(1, 1, 0, 0, -1, 2).Place(2, 2).Place(3, 3).ShowFrame();
    Player p(m, 100, 50);
    EXPECT_EQ(p.At(10, 10), 0xFF0000u) << "inside the mask";
    EXPECT_EQ(p.At(80, 10), 0xFFFFFFu) << "masked away; the mask itself is not drawn";
    EXPECT_EQ(p.At(10, 40), 0x0000FFu) << "depth 3 is beyond the clip depth";
    EXPECT_EQ(p.At(80, 40), 0x0000FFu);
    EXPECT_EQ(p.Count(0x000000), 0);
}

TEST(RendererTest, ScaleModesPlaceTheFrame) {
    Movie m(2000, 2000); // 100 x 100 px, a black frame-filling square
    m.Background(0xFFFFFF).Shape(1, Rect(0, 2000, 0, 2000), SolidBox(0x000000, 0, 0, 2000, 2000));
    m.Place(1, 1).ShowFrame();
    Player p(m, 200, 100);
    EXPECT_EQ(p.Count(0x000000), 100 * 100) << "show all: letter-boxed";
    EXPECT_EQ(p.At(50, 50), 0x000000u);
    EXPECT_EQ(p.At(49, 50), 0xFFFFFFu);

    p.core.SetScaleMode(ViewTransform::kExactFit);
    p.renderer->RebuildView();
    p.renderer->UpdateScreen();
    EXPECT_EQ(p.Count(0x000000), 200 * 100) << "stretched";

    p.core.SetScaleMode(ViewTransform::kNoScale | ViewTransform::kAlignLeft);
    p.core.Resize(300, 300);
    p.renderer->DropSurface();
    p.renderer->RebuildView();
    p.renderer->UpdateScreen();
    EXPECT_EQ(p.Count(0x000000), 100 * 100) << "one pixel per 20 twips";
    EXPECT_EQ(p.At(0, 150), 0x000000u);
    EXPECT_EQ(p.At(100, 150), 0xFFFFFFu);
    EXPECT_EQ(p.At(50, 99), 0xFFFFFFu);
    EXPECT_EQ(p.At(50, 100), 0x000000u);
}

TEST(RendererTest, ResizeRedrawsAtTheNewScale) {
    // 100 x 50 px with a black square over its left half.
    Movie m(2000, 1000);
    m.Background(0xFFFFFF).Shape(1, Rect(0, 1000, 0, 1000), SolidBox(0x000000, 0, 0, 1000, 1000));
    m.Place(1, 1).ShowFrame();
    const std::vector<uint8_t> bytes = m.Bytes();
    for (bool antiAlias : {false, true}) {
        SCOPED_TRACE(antiAlias ? "anti-aliased" : "aliased");
        HeadlessHost host(100, 50);
        host.SetQuality(antiAlias, false);
        host.Load(bytes.data(), bytes.size());
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        auto black = [&](int x, int y) {
            const uint8_t* p = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            return p[0] == 0 && p[1] == 0 && p[2] == 0;
        };
        auto blackCount = [&] {
            int n = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    n += black(x, y);
            return n;
        };
        ASSERT_TRUE(host.Snapshot(rgba, w, h));
        EXPECT_EQ(blackCount(), 50 * 50);

        // Show all in 200 x 200: twice the size, letter-boxed to rows 50..149.
        host.SetClientSize(200, 200);
        ASSERT_TRUE(host.Snapshot(rgba, w, h));
        ASSERT_EQ(w, 200);
        ASSERT_EQ(h, 200);
        EXPECT_EQ(blackCount(), 100 * 100);
        EXPECT_TRUE(black(0, 50));
        EXPECT_TRUE(black(99, 149));
        EXPECT_FALSE(black(100, 100));
        EXPECT_FALSE(black(50, 49));
        EXPECT_FALSE(black(50, 150));

        // And back down, smaller than the movie.
        host.SetClientSize(50, 25);
        ASSERT_TRUE(host.Snapshot(rgba, w, h));
        EXPECT_EQ(blackCount(), 25 * 25);
    }
}

TEST(RendererTest, EightBitDisplayDithersAFlatGrey) {
    Movie m(400, 400);
    m.Background(0x787878).ShowFrame();
    Player p(m, 20, 20);
    p.renderer->SetDisplay(8);
    p.renderer->InvalidateAll();
    p.renderer->UpdateScreen();
    const NativeBitmap& s = p.renderer->Surface();
    ASSERT_EQ(s.DepthIndex(), 3);
    uint32_t light = s.PixelAt(6, 0), dark = s.PixelAt(0, 0); // offsets 15 and 0
    EXPECT_NE(light, dark);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(s.PixelAt(x, y), kDitherTable[y & 7][x & 7] >= 8 ? light : dark);
}

TEST(RendererTest, TextDrawsFontGlyphsAtTheirPlace) {
    // Font 1: glyph 0 is the square 0..512 x -512..0 of the 1024 em; glyph 1 is empty.
    Bits glyph;
    glyph.U8(0x40);
    Polygon(glyph, {{0, -512}, {512, -512}, {512, 0}, {0, 0}}, -1, 1);
    glyph.EndShape();
    Bits font;
    font.U16(1).U16(4).U16(uint32_t(4 + glyph.bytes.size())).Raw(glyph.bytes).U8(0x10).U8(0);
    // Text 2: height 400 twips (glyph 200 twips = 10 px), first glyph at x 200, baseline 600;
    // the second glyph record advances 400 twips first.
    Bits text;
    text.U16(2).Rect(0, 2000, 0, 1000).Identity().U8(1).U8(10);
    text.U8(0x8F).U16(1).Rgb(0xFF0000).U16(200).U16(600).U16(400);
    text.U8(2).Ub(0, 1).Sb(400, 10).Ub(0, 1).Sb(0, 10).Align();
    text.U8(0);
    Movie m(2000, 1000);
    m.Background(0xFFFFFF).Tag(10, font.bytes).Tag(11, text.bytes).Place(1, 2).ShowFrame();
    Player p(m, 100, 50);
    EXPECT_EQ(p.Count(0xFF0000), 2 * 10 * 10);
    EXPECT_EQ(p.At(10, 20), 0xFF0000u);
    EXPECT_EQ(p.At(19, 29), 0xFF0000u);
    EXPECT_EQ(p.At(20, 25), 0xFFFFFFu);
    EXPECT_EQ(p.At(30, 25), 0xFF0000u);
}

TEST(RendererTest, LosslessBitmapFillFromTheDictionary) {
    // A 2 x 1 32-bit bitmap (red, green), used as a clipped fill scaled to 10 px per pixel.
    const uint8_t raw[8] = {0xFF, 0xFF, 0, 0, 0xFF, 0, 0xFF, 0};
    uLongf n = compressBound(8);
    std::vector<uint8_t> z(n);
    ASSERT_EQ(compress(z.data(), &n, raw, 8), Z_OK);
    z.resize(n);
    Bits bm;
    bm.U16(5).U8(5).U16(2).U16(1).Raw(z);
    Bits shape;
    shape.U8(1).U8(0x41).U16(5).Matrix(200 << 16, 0, 0, 200 << 16, 0, 0).U8(0).StyleBits();
    Polygon(shape, {{0, 0}, {400, 0}, {400, 200}, {0, 200}}, -1, 1);
    shape.EndShape();
    Movie m(1000, 1000);
    m.Background(0xFFFFFF).Tag(20, bm.bytes).Shape(1, Rect(0, 400, 0, 200), shape.bytes);
    m.Place(1, 1).ShowFrame();
    Player p(m, 50, 50);
    EXPECT_EQ(p.At(5, 5), 0xFF0000u);
    EXPECT_EQ(p.At(15, 5), 0x00FF00u);
    EXPECT_EQ(p.Count(0xFF0000), 100);
    EXPECT_EQ(p.Count(0x00FF00), 100);
}

TEST(RendererTest, WithoutASurfaceTheHostIsAskedToFillWhite) {
    Movie m(400, 400);
    m.Background(0x000000).ShowFrame();
    Player p(m, NativeBitmap::kMaxSide + 10, 10);
    EXPECT_FALSE(p.renderer->Surface().IsValid());
    EXPECT_TRUE(p.renderer->SurfaceFailed());
    EXPECT_EQ(p.blitSurface, nullptr);
    EXPECT_GE(p.blits, 1);
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(p.renderer->CopyRgba(rgba, w, h));
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[size_t(w) * 4 + 2], 255);

    // A size that fits is tried again.
    p.core.Resize(30, 30);
    p.renderer->RebuildView();
    p.renderer->UpdateScreen();
    ASSERT_TRUE(p.renderer->Surface().IsValid());
    EXPECT_EQ(p.At(15, 15), 0x000000u);
}
