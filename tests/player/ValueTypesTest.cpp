// Fixed-point matrix, colour transform, rectangle, pool, queue and bounded reader.
#include "player/ActionQueue.h"
#include "player/BitReader.h"
#include "player/BlockPool.h"
#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/Rect.h"

#include <gtest/gtest.h>

#include <set>

namespace tavro::player {
namespace {

TEST(Matrix16, ConcatAppliesInnerThenOuter) {
    Matrix16 scale2 = Matrix16::Scale(0x20000, 0x20000);
    Matrix16 move = Matrix16::Translate(100, 50);
    // Move, then scale: (10,10) -> (110,60) -> (220,120).
    EXPECT_EQ(Matrix16::Concat(move, scale2).Map(10, 10), (Point16{220, 120}));
    // Scale, then move: (10,10) -> (20,20) -> (120,70).
    EXPECT_EQ(Matrix16::Concat(scale2, move).Map(10, 10), (Point16{120, 70}));

    // A quarter turn: x' = -y, y' = x.
    Matrix16 rot{0, 0x10000, -0x10000, 0, 0, 0};
    EXPECT_EQ(rot.Map(10, 0), (Point16{0, 10}));
    EXPECT_EQ(Matrix16::Concat(rot, rot).Map(10, 0), (Point16{-10, 0}));
}

TEST(Matrix16, InvertAndBounds) {
    Matrix16 m{0x20000, 0, 0, 0x8000, 100, -40};
    Matrix16 inv;
    ASSERT_TRUE(m.Invert(inv));
    EXPECT_EQ(inv.a, 0x8000);
    EXPECT_EQ(inv.d, 0x20000);
    EXPECT_EQ(inv.Map(120, -35), (Point16{10, 10}));
    EXPECT_FALSE((Matrix16{0x10000, 0x10000, 0x10000, 0x10000, 0, 0}).Invert(inv));

    Matrix16 rot{0, 0x10000, -0x10000, 0, 0, 0};
    EXPECT_EQ(rot.MapRect(Rect(0, 100, 0, 50)), Rect(-50, 0, 0, 100));
    EXPECT_TRUE(rot.MapRect(Rect()).IsEmpty());
    EXPECT_EQ(Matrix16::Scale(0x20000, 0x20000).ScaleLength(10), 20);
    EXPECT_EQ(rot.ScaleLength(10), 10);

    // Huge terms saturate instead of wrapping around.
    Matrix16 big{INT32_MAX, 0, 0, INT32_MAX, INT32_MAX, 0};
    EXPECT_EQ(big.Map(INT32_MAX, 0).x, INT32_MAX);
}

TEST(ColorXform, ConcatMatchesApplyingBothAndClamps) {
    ColorXform inner;
    inner.rMul = 128;
    inner.rAdd = 20;
    ColorXform outer;
    outer.rMul = 512;
    outer.rAdd = -10;
    ColorXform both = ColorXform::Concat(inner, outer);
    EXPECT_EQ(both.rMul, 256);
    EXPECT_EQ(both.rAdd, 30);
    // inner(100) = 70, outer(70) = 130.
    EXPECT_EQ(both.ApplyArgb(0xFF640000) >> 16 & 0xFF, 130u);
    EXPECT_EQ(both.flags, ColorXform::kHasAdd);

    EXPECT_EQ(ColorXform::ApplyChannel(200, 512, 0), 255);
    EXPECT_EQ(ColorXform::ApplyChannel(10, 256, -50), 0);
    EXPECT_TRUE(ColorXform().IsIdentity());
}

TEST(Rect, EmptyUnionIntersectInflate) {
    Rect r;
    EXPECT_TRUE(r.IsEmpty());
    r.Union(Rect());
    EXPECT_TRUE(r.IsEmpty());
    r.Union(Rect(0, 10, 0, 10));
    r.Union(Rect(20, 30, -5, 5));
    EXPECT_EQ(r, Rect(0, 30, -5, 10));
    Rect i = r;
    i.Intersect(Rect(40, 50, 0, 1));
    EXPECT_TRUE(i.IsEmpty());
    i = r;
    i.Intersect(Rect(25, 50, 0, 1));
    EXPECT_EQ(i, Rect(25, 30, 0, 1));
    EXPECT_FALSE(Rect(0, 10, 0, 10).Overlaps(Rect(10, 20, 0, 10))); // touching only
    Rect s(0, 4, 0, 4);
    s.Inflate(-3);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(BlockPool, GrowsByBlocksAndReusesFreedItems) {
    BlockPool pool(40, 32);
    EXPECT_GE(pool.ItemSize(), 40u);
    std::set<void*> items;
    for (int i = 0; i < 33; ++i)
        items.insert(pool.Alloc());
    EXPECT_EQ(items.size(), 33u);
    EXPECT_EQ(pool.BlockCount(), 2u);
    void* one = *items.begin();
    pool.Free(one);
    EXPECT_EQ(pool.Alloc(), one);
    EXPECT_EQ(pool.LiveCount(), 33u);
    pool.FreeAll();
    EXPECT_EQ(pool.LiveCount(), 0u);
    EXPECT_EQ(pool.BlockCount(), 0u);
}

TEST(ActionQueue, KeepsOrderAcrossGrowthAndStopsAtLimit) {
    ActionQueue q;
    auto buf = std::make_shared<const std::vector<uint8_t>>(8, 0);
    auto* t1 = reinterpret_cast<Timeline*>(0x10);
    auto* t2 = reinterpret_cast<Timeline*>(0x20);
    ActionQueue::Entry e;
    // Wrap the ring around before it grows.
    for (uint32_t i = 0; i < 20; ++i)
        ASSERT_TRUE(q.Push(buf, i, 1, t1));
    for (uint32_t i = 0; i < 20; ++i)
        ASSERT_TRUE(q.Pop(e));
    for (uint32_t i = 0; i < 100; ++i)
        ASSERT_TRUE(q.Push(buf, i, 1, (i % 2) ? t2 : t1));
    EXPECT_EQ(q.Capacity(), 128u);
    q.Cancel(t2);
    for (uint32_t i = 0; i < 100; i += 2) {
        ASSERT_TRUE(q.Pop(e));
        EXPECT_EQ(e.offset, i);
        EXPECT_EQ(e.timeline, t1);
    }
    EXPECT_FALSE(q.Pop(e));

    int accepted = 0;
    for (int i = 0; i < 5000; ++i)
        accepted += q.Push(buf, 0, 1, t1) ? 1 : 0;
    EXPECT_EQ(q.Capacity(), ActionQueue::kMaxCapacity);
    EXPECT_EQ(accepted, int(ActionQueue::kMaxCapacity) - 1);
    // An entry whose range lies outside its buffer reads as empty.
    q.Clear();
    q.Push(buf, 6, 5, t1);
    ASSERT_TRUE(q.Pop(e));
    EXPECT_TRUE(e.Actions().empty());
}

TEST(BitReader, ValueRecordsFromKnownBytes) {
    // Identity MATRIX: no scale, no rotation, 1-bit translation 0, 0.
    const uint8_t identity[] = {0x02, 0x00};
    BitReader m(identity, sizeof identity);
    EXPECT_TRUE(m.ReadMatrix().IsIdentity());
    EXPECT_TRUE(m.ok());

    // CXFORMWITHALPHA with only the alpha multiplier at 128: 10-bit multipliers.
    const uint8_t cx[] = {0x69, 0x00, 0x40, 0x10, 0x02, 0x00};
    BitReader c(cx, sizeof cx);
    ColorXform x = c.ReadCxform(true);
    EXPECT_TRUE(c.ok());
    EXPECT_EQ(x.rMul, 256);
    EXPECT_EQ(x.bMul, 256);
    EXPECT_EQ(x.aMul, 128);
    EXPECT_EQ(x.aAdd, 0);

    // RECT 0..2000 x 0..1000 twips: 12-bit fields.
    const uint8_t rect[] = {0x60, 0x00, 0x3E, 0x80, 0x00, 0x1F, 0x40};
    BitReader r(rect, sizeof rect);
    EXPECT_EQ(r.ReadRect(), Rect(0, 2000, 0, 1000));
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, ReadingPastTheEndYieldsZerosAndFlagsIt) {
    const uint8_t data[] = {0x34, 0x12, 0xFF};
    BitReader r(data, sizeof data);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.U16(), 0);
    EXPECT_FALSE(r.ok());
    BitReader s(data, sizeof data, 2);
    EXPECT_EQ(s.ReadString(), std::string_view("\xFF"));
    EXPECT_FALSE(s.ok()); // no terminator
    BitReader big(data, 1);
    big.ReadRect(); // the 5-bit width asks for 4 x 31 bits that are not there
    EXPECT_FALSE(big.ok());
    BitReader far(data, sizeof data, 99);
    EXPECT_FALSE(far.ok());
    EXPECT_EQ(far.U8(), 0);
}

} // namespace
} // namespace tavro::player
