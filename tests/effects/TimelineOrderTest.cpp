// The order of an object's effect list: insertion with the overlap rules, re-insertion after a
// move, normalising, and the frame and depth counts the effects give their object.
#include "effects/CEffectShow.h"
#include "effects/CEffectTransform.h"
#include "model/CSymbolObj.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace tavro {
namespace {

std::unique_ptr<CEffectObj> Effect(int start, int frames) {
    auto e = std::make_unique<CEffectTransform>();
    e->SetStartFrame(start);
    e->SetNumFrames(frames);
    return e;
}

// (start, frames) of every effect in list order.
std::vector<std::pair<int, int>> Runs(const CSymbolObj& s) {
    std::vector<std::pair<int, int>> runs;
    for (const auto& child : s.GetEffectList().GetChildList()) {
        const auto* e = DynamicCast<CEffectObj>(child.get());
        runs.emplace_back(e ? e->GetStartFrame() : -99, e ? e->GetNumFrames() : -99);
    }
    return runs;
}

using Runs_ = std::vector<std::pair<int, int>>;

TEST(TimelineOrder, InsertionKeepsTheNewRunAndMovesItsNeighbours) {
    CSymbolObj s;
    s.InsertEffect(Effect(20, 5));
    s.InsertEffect(Effect(0, 10));
    EXPECT_EQ(Runs(s), (Runs_{{0, 10}, {20, 5}})); // sorted, the gap kept

    // Overlapping the first one's end: it moves back as far as it can, not before 0, and the
    // effects after the new one move forward just enough.
    const CTavroObj::Position pos = s.InsertEffect(Effect(4, 18));
    EXPECT_EQ(s.GetEffectList().GetIndexOfPosition(pos), 1);
    EXPECT_EQ(Runs(s), (Runs_{{0, 10}, {10, 18}, {28, 5}}));
    EXPECT_EQ(s.GetEffectList().GetChildAt(pos)->GetParent(), &s);

    // Room enough before it: the earlier effect moves back only.
    CSymbolObj t;
    t.InsertEffect(Effect(10, 5));
    t.InsertEffect(Effect(12, 3));
    EXPECT_EQ(Runs(t), (Runs_{{7, 5}, {12, 3}}));
    // The same start frame goes in front of the one already there, which moves forward.
    t.InsertEffect(Effect(12, 2));
    EXPECT_EQ(Runs(t), (Runs_{{7, 5}, {12, 2}, {14, 3}}));
    // An earlier chain moves back one after the other.
    t.InsertEffect(Effect(8, 1));
    EXPECT_EQ(Runs(t), (Runs_{{3, 5}, {8, 1}, {12, 2}, {14, 3}}));
}

TEST(TimelineOrder, ReinsertAndNormaliseSortAndKeepTheSelection) {
    CSymbolObj s;
    s.InsertEffect(Effect(0, 2));
    s.InsertEffect(Effect(5, 2));
    const CTavroObj::Position moved = s.InsertEffect(Effect(10, 2));
    CTavroObj& list = s.GetEffectList();
    list.SelectPosition(moved);
    // Dragged on the timeline to frame 1: it goes second (the first cannot move before 0) and
    // starts right after the first.
    DynamicCast<CEffectObj>(list.GetChildAt(moved))->SetStartFrame(1);
    const CTavroObj::Position now = s.ReinsertEffectAt(moved);
    EXPECT_EQ(list.GetIndexOfPosition(now), 1);
    EXPECT_EQ(list.GetSelectedPosition(), now);
    EXPECT_EQ(Runs(s), (Runs_{{0, 2}, {2, 2}, {5, 2}}));

    // A list read from a file may be in any order; normalising re-inserts until nothing moves,
    // resolving the overlaps on the way, and keeps the selection.
    CSymbolObj loaded;
    for (auto [start, frames] : {std::pair{30, 5}, {0, 5}, {12, 4}, {2, 5}})
        loaded.GetEffectList().AddChild(Effect(start, frames));
    CTavroObj& l = loaded.GetEffectList();
    const CTavroObj* selected = l.GetChildAt(l.GetPositionOfIndex(2));
    l.SelectChild(selected);
    loaded.NormaliseTimeline();
    EXPECT_EQ(Runs(loaded), (Runs_{{0, 5}, {5, 4}, {9, 5}, {30, 5}}));
    EXPECT_EQ(l.GetSelectedChild(), selected);

    // Zero-length effects at one frame would swap places for ever: normalising still ends.
    CSymbolObj zero;
    zero.GetEffectList().AddChild(Effect(3, 0));
    zero.GetEffectList().AddChild(Effect(3, 0));
    zero.NormaliseTimeline();
    EXPECT_EQ(Runs(zero), (Runs_{{3, 0}, {3, 0}}));
}

TEST(TimelineOrder, FrameAndDepthCountsOfTheEffects) {
    CSymbolObj s;
    EXPECT_EQ(s.GetFrameCount(), 0);
    EXPECT_EQ(s.GetDepthCount(), 1);
    s.InsertEffect(Effect(4, 6));
    s.InsertEffect(std::make_unique<CEffectShow>());
    EXPECT_EQ(s.GetFrameCount(), 10);
    EXPECT_EQ(s.GetDepthCount(), 1); // a plain symbol needs one depth whatever its effects
    EXPECT_EQ(s.GetDepthOffset(), 0);

    // Damaged runs neither overflow nor count: a negative end gives nothing, a huge one stops
    // at the largest frame number; children that are not effects are passed over.
    CSymbolObj d;
    d.GetEffectList().AddChild(Effect(std::numeric_limits<int32_t>::max(), 100));
    d.GetEffectList().AddChild(Effect(-50, 3));
    d.GetEffectList().AddChild(std::make_unique<CTavroObj>());
    EXPECT_EQ(d.GetFrameCount(), std::numeric_limits<int32_t>::max());
    constexpr int kMax = std::numeric_limits<int32_t>::max();
    d.InsertEffect(Effect(kMax - 1, 5)); // pushes the others up to the last frame number
    EXPECT_EQ(Runs(d), (Runs_{{kMax - 1, 5}, {kMax, 100}, {kMax, 3}, {-99, -99}}));
}

} // namespace
} // namespace tavro
