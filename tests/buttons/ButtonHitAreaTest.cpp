// Hit areas: filled outlines with notches, holes and curves, under object and view transforms.
#include "ButtonSwf.h"

#include "player/buttons/ButtonHitTest.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

// A 200 x 100 pixel movie with one button at depth 1, placed 400 twips (20 pixels) right and
// down, whose hit area is shape 13.
Bytes HitAreaMovie(const Bytes& hitShape) {
    return Movie(Cat({RectShape(10, 0, 0, 100, 100), hitShape,
                      Button2(20, {{0x01, 10, 1}, {0x08, 13, 2}}, {}), Place2(1, 20, {}, 400, 400),
                      ShowFrame(), End()}),
                 1, 12 << 8, 200, 100);
}

struct Probe {
    int x, y;
    bool hit;
};

void ExpectHits(ButtonHost& host, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(host.buttons->ButtonAt(p.x, p.y), p.hit) << "at " << p.x << "," << p.y;
}

TEST(ButtonHitArea, LShapeMissesItsNotch) {
    // Twips 0..800 square without its lower right quarter: pixels 20..60, notch 40..60.
    Bytes l = FilledShape(13, Rect(0, 800, 0, 800),
                          Outline()
                              .MoveTo(0, 0)
                              .LineTo(800, 0)
                              .LineTo(800, 400)
                              .LineTo(400, 400)
                              .LineTo(400, 800)
                              .LineTo(0, 800)
                              .LineTo(0, 0));
    ButtonHost host;
    host.LoadBytes(HitAreaMovie(l));
    ExpectHits(host, {{25, 25, true},
                      {55, 25, true},
                      {25, 55, true},
                      {50, 50, false},
                      {41, 41, false},
                      {65, 30, false},
                      {15, 30, false}});

    // The same area with the view scaled by 2: every pixel coordinate doubles.
    ButtonHost big;
    big.SetClientSize(400, 200);
    big.LoadBytes(HitAreaMovie(l));
    ExpectHits(big, {{50, 50, true}, {110, 50, true}, {100, 100, false}, {130, 60, false}});
}

TEST(ButtonHitArea, RingMissesItsHole) {
    // Outer square 0..800, inner 200..600 traced with the fill on its outer side.
    Bytes ring = FilledShape(13, Rect(0, 800, 0, 800),
                             Outline()
                                 .MoveTo(0, 0)
                                 .LineTo(800, 0)
                                 .LineTo(800, 800)
                                 .LineTo(0, 800)
                                 .LineTo(0, 0)
                                 .MoveTo(200, 200, 0)
                                 .LineTo(600, 200)
                                 .LineTo(600, 600)
                                 .LineTo(200, 600)
                                 .LineTo(200, 200));
    ButtonHost host;
    host.LoadBytes(HitAreaMovie(ring));
    ExpectHits(host,
               {{25, 40, true}, {40, 25, true}, {55, 40, true}, {40, 40, false}, {32, 48, false}});
    host.MouseMove(40, 40, false);
    EXPECT_FALSE(host.buttons->IsTracking());
    host.MouseMove(25, 40, false);
    EXPECT_TRUE(host.buttons->IsTracking());
}

TEST(ButtonHitArea, CurvedEdgesCountBeyondTheirChord) {
    // The right side bulges from x 800 to 1000 twips at mid height (pixel 70 after placement).
    Bytes d = FilledShape(13, Rect(0, 1000, 0, 800),
                          Outline()
                              .MoveTo(0, 0)
                              .LineTo(800, 0)
                              .CurveTo(1200, 400, 800, 800)
                              .LineTo(0, 800)
                              .LineTo(0, 0));
    ButtonHost host;
    host.LoadBytes(HitAreaMovie(d));
    ExpectHits(host, {{65, 40, true}, {68, 40, true}, {71, 40, false}, {65, 22, false}});
}

TEST(ButtonHitArea, HitAreaIsWhatTheRendererDraws) {
    // One shape as both the up state and the hit area: a square with a hole, a second square
    // overlapping it in the same direction, and a lens with a curved side.
    Bytes shape = FilledShape(13, Rect(0, 2000, 0, 1200),
                              Outline()
                                  .MoveTo(0, 0)
                                  .LineTo(1600, 0)
                                  .LineTo(1600, 1200)
                                  .LineTo(0, 1200)
                                  .LineTo(0, 0)
                                  .MoveTo(200, 200, 0)
                                  .LineTo(600, 200)
                                  .LineTo(600, 600)
                                  .LineTo(200, 600)
                                  .LineTo(200, 200)
                                  .MoveTo(800, 200)
                                  .LineTo(1400, 200)
                                  .LineTo(1400, 1000)
                                  .LineTo(800, 1000)
                                  .LineTo(800, 200)
                                  .MoveTo(1700, 100)
                                  .LineTo(1700, 1100)
                                  .CurveTo(2300, 600, 1700, 100));
    const Bytes movie = Movie(Cat({shape, Button2(20, {{0x09, 13, 1}}, {}),
                                   Place2(1, 20, {}, 400, 400), ShowFrame(), End()}),
                              1, 12 << 8, 200, 100);
    for (bool antiAlias : {false, true}) {
        SCOPED_TRACE(antiAlias ? "anti-aliased" : "aliased");
        ButtonHost host;
        host.SetQuality(antiAlias, false);
        host.LoadBytes(movie);
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        ASSERT_TRUE(host.Snapshot(rgba, w, h));
        ASSERT_EQ(w, 200);
        auto red = [&](int x, int y) {
            const uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
            return p[0] > 200 && p[1] < 60 && p[2] < 60;
        };
        int compared = 0, drawn = 0;
        for (int y = 1; y + 1 < h; ++y) {
            for (int x = 1; x + 1 < w; ++x) {
                // Pixels on an outline are partly covered; compare the clear cases only.
                bool uniform = true;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        uniform = uniform && red(x + dx, y + dy) == red(x, y);
                if (!uniform)
                    continue;
                ++compared;
                drawn += red(x, y);
                ASSERT_EQ(host.buttons->ButtonAt(x, y), red(x, y)) << "at " << x << "," << y;
            }
        }
        EXPECT_GT(compared, 15000);
        EXPECT_GT(drawn, 2500);
    }
}

TEST(ButtonHitArea, CharactersOtherThanShapesUseTheirBoundsOrNeverHit) {
    ButtonHost host;
    // A sprite as the hit area never hits; a damaged shape hits nowhere and does not crash.
    Bytes damaged = RectShape(13, 0, 0, 800, 800);
    damaged.resize(damaged.size() - 3);
    damaged[0] = uint8_t((2 << 6) | (damaged.size() - 2)); // shortened tag length
    host.LoadBytes(HitAreaMovie(damaged));
    EXPECT_FALSE(host.buttons->ButtonAt(22, 22));

    ButtonHost sprite;
    sprite.LoadBytes(HitAreaMovie(DefineSprite(13, 1, Cat({ShowFrame(), End()}))));
    EXPECT_FALSE(sprite.buttons->ButtonAt(22, 22));
}

} // namespace
} // namespace tavro::player::test
