// The view matrix by scale mode and alignment, with and without anti-aliasing, and the rule for
// tiny windows.
#include "player/render/ViewTransform.h"

#include <gtest/gtest.h>

using tavro::player::Matrix16;
using tavro::player::Rect;
using tavro::player::render::ViewTransform;

namespace {
// The device point of a twips point.
std::pair<int32_t, int32_t> At(const Matrix16& m, int32_t x, int32_t y) {
    auto p = m.Map(x, y);
    return {p.x, p.y};
}
using P = std::pair<int32_t, int32_t>;
} // namespace

TEST(ViewTransformTest, ShowAllLetterboxesAndCentres) {
    // A 100 x 100 px movie in a 200 x 100 window: scale 1/20, centred horizontally.
    Matrix16 m = ViewTransform::Compute(Rect(0, 2000, 0, 2000), Rect(0, 200, 0, 100), false, 0);
    EXPECT_EQ(m.a, 65536 / 20);
    EXPECT_EQ(m.d, m.a);
    EXPECT_EQ(At(m, 0, 0), P(50, 0));
    EXPECT_EQ(At(m, 2000, 2000), P(150, 100));
    // Aligned left and bottom.
    m = ViewTransform::Compute(Rect(0, 2000, 0, 2000), Rect(0, 200, 0, 300), false,
                               ViewTransform::kAlignLeft | ViewTransform::kAlignBottom);
    EXPECT_EQ(m.a, 65536 / 10);
    EXPECT_EQ(At(m, 0, 0), P(0, 100));
    EXPECT_EQ(At(m, 2000, 2000), P(200, 300));
    // With anti-aliasing everything is in quarter pixels.
    m = ViewTransform::Compute(Rect(0, 2000, 0, 2000), Rect(0, 200, 0, 100), true, 0);
    EXPECT_EQ(At(m, 0, 0), P(200, 0));
    EXPECT_EQ(At(m, 2000, 2000), P(600, 400));
}

TEST(ViewTransformTest, NoBorderAndExactFit) {
    Matrix16 m = ViewTransform::Compute(Rect(0, 2000, 0, 2000), Rect(0, 200, 0, 100), false,
                                        ViewTransform::kNoBorder);
    EXPECT_EQ(At(m, 0, 1000), P(0, 50));
    EXPECT_EQ(At(m, 2000, 1000), P(200, 50));
    EXPECT_EQ(At(m, 1000, 0), P(100, -50));
    m = ViewTransform::Compute(Rect(0, 2000, 0, 2000), Rect(0, 200, 0, 100), false,
                               ViewTransform::kExactFit);
    EXPECT_EQ(At(m, 2000, 2000), P(200, 100));
    EXPECT_EQ(At(m, 1000, 1000), P(100, 50));
}

TEST(ViewTransformTest, NoScaleIsTwentyTwipsPerPixelWhateverTheWindow) {
    for (int w : {50, 400, 1000}) {
        Matrix16 m = ViewTransform::Compute(Rect(0, 4000, 0, 2000), Rect(0, w, 0, 300), false,
                                            ViewTransform::kNoScale | ViewTransform::kAlignLeft |
                                                ViewTransform::kAlignTop);
        EXPECT_EQ(m.a, 3276);
        EXPECT_EQ(m.d, 3276);
        EXPECT_EQ(At(m, 2000, 2000), P(100, 100));
    }
    Matrix16 aa = ViewTransform::Compute(Rect(0, 4000, 0, 2000), Rect(0, 200, 0, 100), true,
                                         ViewTransform::kNoScale);
    EXPECT_EQ(aa.a, 13107);
    // Centred: the frame's centre on the window's centre.
    EXPECT_EQ(At(aa, 2000, 1000), P(400, 200));
}

TEST(ViewTransformTest, WindowsBelowSeventeenPixelsCountAsSixteen) {
    for (int side : {1, 5, 16}) {
        Matrix16 m = ViewTransform::Compute(Rect(0, 3200, 0, 3200), Rect(0, side, 0, side), false,
                                            ViewTransform::kExactFit);
        EXPECT_EQ(m.a, 16 * 65536 / 3200) << side;
    }
    Matrix16 m = ViewTransform::Compute(Rect(0, 3200, 0, 3200), Rect(0, 17, 0, 17), false,
                                        ViewTransform::kExactFit);
    EXPECT_EQ(m.a, 17 * 65536 / 3200);
    // An empty frame does not divide by zero.
    ViewTransform::Compute(Rect(0, 0, 0, 0), Rect(0, 100, 0, 100), false, 0);
}
