// Archive form of symbols and scenes (bytes built by hand), version 0 levels, damaged input, and
// the timeline snapshot pair.
#include "ArchiveTestSupport.h"

#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "model/Archive.h"
#include "model/CSceneObj.h"
#include "model/CSymbolObj.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bytes;

Bytes& Double(Bytes& b, double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        b.b({static_cast<int>((bits >> (8 * i)) & 0xFF)});
    return b;
}

// Symbol part of an object at the origin without effects or events.
Bytes& PlainSymbolPart(Bytes& b) {
    b.b({1, 1}); // symbol version, matrix version
    for (double v : {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0})
        Double(b, v);
    return b.emptyBase().emptyBase(); // effect and event containers
}

Bytes SceneBase(const std::string& name) {
    Bytes b;
    b.b({1, static_cast<int>(name.size())}).chars(name).w(0).dw(0);
    return b;
}

TEST(SymbolArchive, NewSceneHasTheseBytes) {
    CSceneObj scene;
    scene.SetName("Scene 1");
    Bytes expected = SceneBase("Scene 1");
    PlainSymbolPart(expected).b({1}).dw(0).dw(0).dw(200).b({0, 0});
    EXPECT_EQ(SaveObjectToMemory(scene), expected.v);

    // Reserved values go out in the order A, C, B.
    scene.SetReservedA(1);
    scene.SetReservedB(2);
    scene.SetReservedC(3);
    scene.SetLink("u");
    scene.SetTargetFrame("_top");
    Bytes changed = SceneBase("Scene 1");
    PlainSymbolPart(changed).b({1}).dw(1).dw(3).dw(2).b({1}).chars("u").b({4}).chars("_top");
    EXPECT_EQ(SaveObjectToMemory(scene), changed.v);
}

TEST(SymbolArchive, RoundTripKeepsTheTreeAndItsParents) {
    CSceneObj scene;
    scene.SetName("S");
    scene.SetLink("http://example.com/");
    scene.SetTargetFrame("_blank");
    scene.SetReservedA(7);
    scene.SetReservedB(8);
    scene.SetReservedC(9);
    auto child = std::make_unique<CSymbolObj>(&scene);
    child->SetStagePosition(12.5, -3.0);
    auto effect = std::make_unique<CTavroObj>();
    effect->SetName("fx");
    child->InsertEffect(std::move(effect));
    auto event = std::make_unique<CEventAtFrame>(nullptr, 4);
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    child->InsertEvent(std::move(event));
    scene.AddChild(std::move(child));
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 2));

    CSceneObj loaded;
    LoadObjectFromMemory(SaveObjectToMemory(scene), loaded);
    EXPECT_TRUE(loaded.IsEqualScene(scene));
    EXPECT_EQ(loaded.GetReservedA(), 7);
    EXPECT_EQ(loaded.GetReservedC(), 9);
    ASSERT_EQ(loaded.GetChildCount(), 1u);
    auto* symbol = DynamicCast<CSymbolObj>(loaded.GetChildList().front().get());
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->GetParent(), &loaded);
    EXPECT_EQ(symbol->GetStagePosition(), CDoublePoint(12.5, -3.0));

    ASSERT_EQ(symbol->GetEffectList().GetChildCount(), 1u);
    const CTavroObj& fx = *symbol->GetEffectList().GetChildList().front();
    EXPECT_EQ(fx.GetName(), "fx");
    EXPECT_EQ(fx.GetParent(), symbol);

    ASSERT_EQ(symbol->GetEventList().GetChildCount(), 1u);
    auto* frameEvent =
        DynamicCast<CEventAtFrame>(symbol->GetEventList().GetChildList().front().get());
    ASSERT_NE(frameEvent, nullptr);
    EXPECT_EQ(frameEvent->GetFrame(), 4);
    EXPECT_EQ(frameEvent->GetParent(), symbol);
    ASSERT_EQ(frameEvent->GetChildCount(), 1u);
    EXPECT_EQ(frameEvent->GetChildList().front()->GetParent(), frameEvent);
    EXPECT_TRUE(symbol->HasEventActions());

    ASSERT_EQ(loaded.GetEventList().GetChildCount(), 1u);
    EXPECT_EQ(loaded.GetEventList().GetChildList().front()->GetParent(), &loaded);
    EXPECT_EQ(loaded.GetFrameCount(), 3);
}

TEST(SymbolArchive, VersionZeroLevelsReadNothingMore) {
    {
        // Symbol level 0: no matrix or containers; the scene level still follows.
        Bytes b = SceneBase("A");
        b.b({0}).b({1}).dw(5).dw(6).dw(7).b({1}).chars("L").b({0});
        CSceneObj scene;
        Archive ar(b.take());
        scene.Serialize(ar);
        EXPECT_EQ(ar.GetRemaining(), 0u);
        EXPECT_TRUE(scene.GetMatrix().IsEqual(CMatrix3()));
        EXPECT_EQ(scene.GetReservedA(), 5);
        EXPECT_EQ(scene.GetReservedC(), 6);
        EXPECT_EQ(scene.GetReservedB(), 7);
        EXPECT_EQ(scene.GetLink(), "L");
    }
    {
        // Scene level 0: the defaults stay.
        Bytes b = SceneBase("B");
        PlainSymbolPart(b).b({0});
        CSceneObj scene;
        Archive ar(b.take());
        scene.Serialize(ar);
        EXPECT_EQ(ar.GetRemaining(), 0u);
        EXPECT_EQ(scene.GetReservedA(), 0);
        EXPECT_EQ(scene.GetReservedB(), 200);
        EXPECT_EQ(scene.GetReservedC(), 0);
        EXPECT_TRUE(scene.GetLink().empty());
    }
}

TEST(SymbolArchive, EveryTruncationIsAnArchiveError) {
    CSceneObj scene;
    scene.SetLink("link");
    auto child = std::make_unique<CSymbolObj>(&scene);
    child->InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 1));
    scene.AddChild(std::move(child));
    const std::vector<uint8_t> bytes = SaveObjectToMemory(scene);
    for (size_t n = 0; n < bytes.size(); ++n) {
        CSceneObj target;
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_THROW(LoadObjectFromMemory(cut, target), ArchiveError) << "cut at " << n;
    }
}

std::string Names(const CTavroObj& list) {
    std::string out;
    for (const auto& child : list.GetChildList())
        out += child->GetName();
    return out;
}

TEST(SymbolTimelineSnapshot, RestoreReplacesTheEffectsWithTheSavedCopy) {
    CSymbolObj s;
    EXPECT_FALSE(s.RestoreTimelineSnapshot()); // nothing saved yet
    for (const char* name : {"a", "b"}) {
        auto effect = std::make_unique<CTavroObj>();
        effect->SetName(name);
        s.InsertEffect(std::move(effect));
    }
    CTavroObj& effects = s.GetEffectList();
    effects.SelectPosition(effects.GetTailPosition());
    s.SaveTimelineSnapshot();

    effects.DeleteChildAt(effects.GetHeadPosition(), false);
    auto extra = std::make_unique<CTavroObj>();
    extra->SetName("c");
    s.InsertEffect(std::move(extra));
    ASSERT_EQ(Names(effects), "bc");

    for (int round = 0; round < 2; ++round) { // restoring twice adds nothing
        ASSERT_TRUE(s.RestoreTimelineSnapshot());
        EXPECT_EQ(Names(effects), "ab");
        EXPECT_EQ(effects.GetSelectionIndexes(), std::vector<int>{1});
        for (const auto& effect : effects.GetChildList())
            EXPECT_EQ(effect->GetParent(), &s);
    }
}

} // namespace
} // namespace tavro
