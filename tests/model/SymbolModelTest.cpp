// Symbols and scenes as document objects: event order, archive form (bytes built by hand),
// version 0 levels and the timeline snapshot.
#include "ArchiveTestSupport.h"

#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "model/CSceneObj.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

namespace tavro {
namespace {

std::string Names(const CTavroObj& list) {
    std::string out;
    for (const auto& child : list.GetChildList())
        out += child->CTavroObj::GetName() + ".";
    return out;
}

std::unique_ptr<CEventObj> Named(std::unique_ptr<CEventObj> event, const char* name) {
    event->SetName(name);
    return event;
}

TEST(SymbolModel, EventsSortByFrameWithFramelessEventsAtTheEnd) {
    CSymbolObj s;
    s.InsertEvent(Named(std::make_unique<CEventAtFrame>(nullptr, 5), "f5"));
    s.InsertEvent(Named(std::make_unique<CEventObj>(), "b1"));
    s.InsertEvent(Named(std::make_unique<CEventAtFrame>(nullptr, 2), "f2"));
    s.InsertEvent(Named(std::make_unique<CEventAtFrame>(nullptr, 9), "f9")); // before b1
    s.InsertEvent(Named(std::make_unique<CEventAtFrame>(nullptr, 5), "g5")); // before f5
    s.InsertEvent(Named(std::make_unique<CEventObj>(), "b2"));
    CTavroObj& list = s.GetEventList();
    EXPECT_EQ(Names(list), "f2.g5.f5.f9.b1.b2.");
    EXPECT_EQ(list.GetChildList().front()->GetParent(), &s);

    auto pos = list.GetHeadPosition();
    static_cast<CEventObj*>(list.GetChildAt(pos))->SetFrame(7);
    list.SelectPosition(pos);
    pos = s.ReinsertSelectedEvent();
    EXPECT_EQ(Names(list), "g5.f5.f2.f9.b1.b2.");
    EXPECT_EQ(list.GetSelectedPosition(), pos);
    EXPECT_EQ(s.ReinsertEvent(list.GetTailPosition()), list.GetTailPosition()); // frameless
}

test::Bytes& Symbol(test::Bytes& b) { // symbol part: identity matrix, empty containers
    b.b({1, 1});
    for (double v : {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0})
        b.dw(static_cast<uint32_t>(std::bit_cast<uint64_t>(v)))
            .dw(static_cast<uint32_t>(std::bit_cast<uint64_t>(v) >> 32));
    return b.emptyBase().emptyBase();
}

TEST(SymbolModel, SceneBytesAndVersionZeroLevels) {
    CSceneObj scene;
    scene.SetName("Scene 1");
    test::Bytes fresh;
    fresh.b({1, 7}).chars("Scene 1").w(0).dw(0);
    Symbol(fresh).b({1}).dw(0).dw(0).dw(200).b({0, 0});
    EXPECT_EQ(SaveObjectToMemory(scene), fresh.v);

    scene.SetReservedA(1); // written in the order A, C, B
    scene.SetReservedB(2);
    scene.SetReservedC(3);
    scene.SetLink("u");
    test::Bytes changed;
    changed.b({1, 7}).chars("Scene 1").w(0).dw(0);
    Symbol(changed).b({1}).dw(1).dw(3).dw(2).b({1}).chars("u").b({0});
    EXPECT_EQ(SaveObjectToMemory(scene), changed.v);

    // Symbol level 0 reads no matrix and no containers; the scene level still follows.
    CSceneObj old;
    Archive ar(
        test::Bytes().emptyBase().b({0, 1}).dw(5).dw(6).dw(7).b({1}).chars("L").b({0}).take());
    old.Serialize(ar);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    EXPECT_EQ(old.GetReservedB(), 7);
    EXPECT_EQ(old.GetLink(), "L");
    // Scene level 0: the defaults stay.
    CSceneObj older;
    test::Bytes olderBytes;
    Symbol(olderBytes.emptyBase()).b({0});
    LoadObjectFromMemory(olderBytes.v, older);
    EXPECT_EQ(older.GetReservedB(), 200);
}

TEST(SymbolModel, LoadedEffectsAndEventsBelongToTheSymbol) {
    CSceneObj scene;
    auto child = std::make_unique<CSymbolObj>(&scene);
    child->SetStagePosition(12.5, -3.0);
    child->InsertEffect(std::make_unique<CTavroObj>());
    auto event = std::make_unique<CEventAtFrame>(nullptr, 4);
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    child->InsertEvent(std::move(event));
    scene.AddChild(std::move(child));

    CSceneObj loaded;
    LoadObjectFromMemory(SaveObjectToMemory(scene), loaded);
    auto* symbol = DynamicCast<CSymbolObj>(loaded.GetChildList().front().get());
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->GetStagePosition(), CDoublePoint(12.5, -3.0));
    EXPECT_EQ(symbol->GetEffectList().GetChildList().front()->GetParent(), symbol);
    EXPECT_EQ(symbol->GetEventList().GetChildList().front()->GetParent(), symbol);
    EXPECT_TRUE(symbol->HasEventActions());
}

TEST(SymbolModel, TimelineSnapshotReplacesTheEffects) {
    CSymbolObj s;
    EXPECT_FALSE(s.RestoreTimelineSnapshot()); // nothing saved yet
    CTavroObj& effects = s.GetEffectList();
    for (const char* name : {"a", "b", "c"}) {
        s.InsertEffect(std::make_unique<CTavroObj>());
        effects.GetChildList().back()->SetName(name);
    }
    effects.SelectPosition(effects.GetTailPosition());
    s.SaveTimelineSnapshot();
    effects.DeleteChildAt(effects.GetHeadPosition(), false);
    for (int round = 0; round < 2; ++round) { // restoring twice adds nothing
        ASSERT_TRUE(s.RestoreTimelineSnapshot());
        EXPECT_EQ(Names(effects), "a.b.c.");
        EXPECT_EQ(effects.GetSelectionIndexes(), std::vector<int>{2});
        EXPECT_EQ(effects.GetChildList().front()->GetParent(), &s);
    }
}

} // namespace
} // namespace tavro
