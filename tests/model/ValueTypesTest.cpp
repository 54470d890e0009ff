#include "ArchiveTestSupport.h"

#include "base/CDoubleRect.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CMatrix3.h"
#include "swf/CSwfWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavro;
using namespace tavro::test;

namespace {

// 1.0 and 0.0 as stored doubles.
const std::initializer_list<int> kOne = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
const std::initializer_list<int> kZero = {0, 0, 0, 0, 0, 0, 0, 0};

// The bytes a writer call appends after the file header.
template <class F> std::vector<uint8_t> Written(F&& write) {
    CSwfWriter w;
    const uint32_t start = w.GetPosition(true);
    write(w);
    const uint32_t end = w.GetPosition(true);
    return std::vector<uint8_t>(w.GetImage() + start, w.GetImage() + end);
}

void ExpectMatrix(const CMatrix3& m, std::initializer_list<double> expected) {
    int i = 0;
    for (double e : expected) {
        EXPECT_NEAR(m.m[i], e, 1e-12) << "m" << i;
        ++i;
    }
}

} // namespace

TEST(AngleRule, QuadrantsAndTheVerticalAxis) {
    EXPECT_EQ(CDoublePoint(1, 0).Angle(), 0.0);
    EXPECT_EQ(CDoublePoint(0, 1).Angle(), 90.0);
    EXPECT_EQ(CDoublePoint(0, -1).Angle(), 270.0);
    EXPECT_EQ(CDoublePoint(0, 0).Angle(), 270.0);
    EXPECT_EQ(CDoublePoint(1e-11, 5).Angle(), 90.0);
    EXPECT_DOUBLE_EQ(CDoublePoint(-1, 0).Angle(), 180.0);
    EXPECT_DOUBLE_EQ(CDoublePoint(-1, -1).Angle(), 225.0);
    EXPECT_DOUBLE_EQ(CDoublePoint(1, -1).Angle(), 315.0);
    EXPECT_DOUBLE_EQ(CDoublePoint(-1, 1).Angle(), 135.0);
}

TEST(Matrix, PartsAndAngles) {
    CMatrix3 m(0, 0, 1, 1, 0, 90);
    EXPECT_TRUE(m.IsEqual(CMatrix3()));
    EXPECT_EQ(CMatrix3().GetAxisAngles(), CDoublePoint(0, 90));

    CMatrix3 r(5, 6, 2, 3, 30, 120);
    ExpectMatrix(
        r, {2 * std::cos(M_PI / 6), 2 * 0.5, 0, 3 * -0.5, 3 * std::sin(2 * M_PI / 3), 0, 5, 6, 1});
    EXPECT_EQ(r.GetTranslation(), CDoublePoint(5, 6));
    EXPECT_EQ(r.GetScale(), CDoublePoint(2, 3));
    EXPECT_EQ(r.GetAxisAngles(), CDoublePoint(30, 120));

    CMatrix3 down;
    down.SetElements(0, -1, 0, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(down.GetAxisAngles().x, 270.0);
    CMatrix3 flat;
    flat.SetElements(0, 0, 0, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(flat.GetAxisAngles(), CDoublePoint(270, 270));

    EXPECT_TRUE(CMatrix3(static_cast<const CMatrix3*>(nullptr)).IsEqual(CMatrix3()));
    EXPECT_TRUE(CMatrix3(&r).IsEqual(r));
}

TEST(Matrix, MultiplyMapsByThisFirst) {
    CMatrix3 translate;
    translate.SetTranslation(10, 0);
    CMatrix3 scale(0, 0, 2, 2, 0, 90);
    // Translate first, then scale: (1, 0) -> (11, 0) -> (22, 0).
    CMatrix3 product = translate.Product(scale);
    EXPECT_EQ(product.TransformPoint({1, 0}), CDoublePoint(22, 0));
    EXPECT_EQ(translate.GetTranslation(), CDoublePoint(10, 0)); // Product leaves this alone
    // The other order: (1, 0) -> (2, 0) -> (12, 0).
    scale.Multiply(translate);
    EXPECT_EQ(scale.TransformPoint({1, 0}), CDoublePoint(12, 0));
    // Elements within 1e-10 are equal, beyond are not.
    CMatrix3 near = scale;
    near.m[4] += 5e-11;
    EXPECT_TRUE(near.IsEqual(scale));
    near.m[4] += 1e-10;
    EXPECT_FALSE(near.IsEqual(scale));
}

TEST(Matrix, TransformRectIsTheBoxOfTheCorners) {
    CMatrix3 rot(100, 0, 1, 1, 90, 180); // x axis -> (0, 1), y axis -> (-1, 0)
    const CDoubleRect r = rot.TransformRect(CDoubleRect(0, 0, 10, 20));
    EXPECT_EQ(r, CDoubleRect(80, 0, 100, 10));
}

TEST(Matrix, ArchiveFormAndVersionZero) {
    CMatrix3 m;
    m.SetTranslation(0, 1);
    Archive ar;
    m.Serialize(ar);
    Bytes expected;
    expected.b({1}).b(kOne).b(kZero).b(kZero).b(kZero).b(kOne).b(kZero).b(kZero).b(kOne).b(kOne);
    EXPECT_EQ(ar.GetBuffer(), expected.v);

    CMatrix3 loaded;
    Archive in(Bytes().b({0, 0xAA}).take());
    loaded.Serialize(in);
    EXPECT_TRUE(loaded.IsEqual(CMatrix3()));
    EXPECT_EQ(in.GetRemaining(), 1u);
}

TEST(Color, ColorRefBothWays) {
    const CColor c = CColor::FromColorRef(0x00FF8000);
    EXPECT_EQ(c, CColor(0, 128, 255, 255));
    EXPECT_EQ(CColor(0x12, 0x34, 0x56).ToColorRef(), 0x00563412u);
    EXPECT_NE(CColor(1, 2, 3, 4), CColor(1, 2, 3, 5));
}

TEST(Color, ArchiveFormAndVersionZero) {
    Archive ar;
    CColor(1, 2, 3).Serialize(ar);
    EXPECT_EQ(ar.GetBuffer(), Bytes().b({1}).dw(1).dw(2).dw(3).dw(255).v);

    CColor c(9, 9, 9, 9);
    c = CColor();
    Archive in(Bytes().b({0, 0x77}).take());
    c.Serialize(in);
    EXPECT_EQ(c, CColor(0, 0, 0, 255));
    EXPECT_EQ(in.GetRemaining(), 1u);
}

TEST(Rect, UnionTreatsThinRectanglesAsEmpty) {
    const CDoubleRect a(0, 0, 10, 10), b(5, -5, 20, 5), thin(100, 100, 100, 200);
    CDoubleRect u = a;
    u.Union(b);
    EXPECT_EQ(u, CDoubleRect(0, -5, 20, 10));
    u = a;
    u.Union(thin);
    EXPECT_EQ(u, a);
    u = thin;
    u.Union(a);
    EXPECT_EQ(u, a);
    u = CDoubleRect();
    u.Union(CDoubleRect(1, 1, 1 + 1e-11, 5));
    EXPECT_EQ(u, CDoubleRect());
}

TEST(Rect, IntersectTouchingAndApart) {
    CDoubleRect r(0, 0, 10, 10);
    r.Intersect(CDoubleRect(5, 5, 20, 20));
    EXPECT_EQ(r, CDoubleRect(5, 5, 10, 10));
    // Touching edges give a zero-width overlap, which does not count as intersecting.
    r = CDoubleRect(0, 0, 10, 10);
    r.Intersect(CDoubleRect(10, 2, 20, 8));
    EXPECT_EQ(r, CDoubleRect(10, 2, 10, 8));
    EXPECT_FALSE(CDoubleRect(0, 0, 10, 10).Intersects(CDoubleRect(10, 2, 20, 8)));
    EXPECT_TRUE(CDoubleRect(0, 0, 10, 10).Intersects(CDoubleRect(9, 2, 20, 8)));
    r = CDoubleRect(0, 0, 10, 10);
    r.Intersect(CDoubleRect(11, 0, 20, 10));
    EXPECT_EQ(r, CDoubleRect(0, 0, 0, 0));
}

TEST(Rect, BoundsOfNoPointsIsInverted) {
    EXPECT_EQ(CDoubleRect::BoundsOfPoints(nullptr, 0), CDoubleRect(1e30, 1e30, -1e30, -1e30));
    const CDoublePoint pts[] = {{3, -1}, {-2, 4}, {0, 0}};
    EXPECT_EQ(CDoubleRect::BoundsOfPoints(pts, 3), CDoubleRect(-2, -1, 3, 4));
    EXPECT_EQ(CDoubleRect(-0.5, 0.5, 2.49, -2.5).Round(), (IntRect{-1, 1, 2, -3}));
}

TEST(FillStyle, CloneEqualityAndTransparency) {
    CFillStyleColor red(CColor(255, 0, 0));
    auto clone = red.Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->IsEqual(red));
    red.color.green = 5; // the clone is independent
    EXPECT_FALSE(clone->IsEqual(red));

    CFillStyle none;
    EXPECT_EQ(none.Clone(), nullptr);
    EXPECT_TRUE(none.IsEqual(CFillStyle()));
    EXPECT_FALSE(none.IsEqual(red));
    EXPECT_FALSE(red.IsEqual(none));
    EXPECT_FALSE(red.IsTransparent());
    EXPECT_TRUE(CFillStyleColor(CColor(1, 2, 3, 0)).IsTransparent());

    // CopyFrom does nothing; CopyColorFrom copies.
    CFillStyleColor target;
    target.CopyFrom(red);
    EXPECT_EQ(target.color, CColor());
    target.CopyColorFrom(red);
    EXPECT_EQ(target.color, red.color);
}

TEST(FillStyle, ArchiveFormIgnoresTheVersionValue) {
    Archive ar;
    CFillStyleColor(CColor(1, 2, 3)).Serialize(ar);
    CFillStyle().Serialize(ar);
    EXPECT_EQ(ar.GetBuffer(), Bytes().b({1, 1}).dw(1).dw(2).dw(3).dw(255).v);

    CFillStyleColor loaded;
    Archive in(Bytes().b({0, 1}).dw(4).dw(5).dw(6).dw(7).take());
    loaded.Serialize(in);
    EXPECT_EQ(loaded.color, CColor(4, 5, 6, 7));
}

TEST(FillStyle, SwfRecords) {
    EXPECT_EQ(Written([](CSwfWriter& w) { CFillStyleColor(CColor(1, 2, 3, 0)).WriteFillStyle(w); }),
              (std::vector<uint8_t>{0x00, 1, 2, 3}));
    EXPECT_TRUE(Written([](CSwfWriter& w) { CFillStyle().WriteFillStyle(w); }).empty());
}

TEST(LineStyle, ArchiveRoundTripAndEquality) {
    CLineStyle s;
    s.style = 3;
    s.width = 2.5;
    s.color = CColor(7, 8, 9);
    s.pattern = {0xAA, 0x55};
    Archive ar;
    s.Serialize(ar);
    Bytes expected;
    expected.b({1}).dw(3).b({0, 0, 0, 0, 0, 0, 0x04, 0x40}); // version, style, width 2.5
    expected.b({1}).dw(7).dw(8).dw(9).dw(255).w(2).b({0xAA, 0x55});
    EXPECT_EQ(ar.GetBuffer(), expected.v);

    CLineStyle loaded;
    Archive in(ar.GetBuffer());
    loaded.Serialize(in);
    EXPECT_TRUE(loaded.IsEqual(s));
    auto clone = s.Clone();
    EXPECT_TRUE(clone->IsEqual(s));
    clone->pattern[1] = 0x56;
    EXPECT_FALSE(clone->IsEqual(s));
    clone = s.Clone();
    clone->width = std::nextafter(2.5, 3.0); // width compares exactly
    EXPECT_FALSE(clone->IsEqual(s));
}

TEST(LineStyle, SwfRecordRoundsAndClampsTheWidth) {
    CLineStyle s;
    s.color = CColor(1, 2, 3);
    s.width = 20.5;
    EXPECT_EQ(Written([&](CSwfWriter& w) { s.WriteLineStyle(w); }),
              (std::vector<uint8_t>{21, 0, 1, 2, 3}));
    s.width = 1e9;
    EXPECT_EQ(Written([&](CSwfWriter& w) { s.WriteLineStyle(w); }),
              (std::vector<uint8_t>{0xFF, 0xFF, 1, 2, 3}));
    s.width = -4;
    EXPECT_EQ(Written([&](CSwfWriter& w) { s.WriteLineStyle(w); }),
              (std::vector<uint8_t>{0, 0, 1, 2, 3}));
}
