// Archive forms of events and actions, against hand-built bytes, and the creating commands.
#include "effects/ActionCommands.h"
#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/CEventObj.h"
#include "model/Archive.h"

#include <gtest/gtest.h>

#include <set>

using namespace tavro;

namespace {

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& b(std::initializer_list<int> list) {
        for (int x : list)
            v.push_back(static_cast<uint8_t>(x));
        return *this;
    }
    Bytes& w(uint16_t x) { return b({x & 0xFF, x >> 8}); }
    Bytes& i32(int32_t x) {
        const auto u = static_cast<uint32_t>(x);
        return b({static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF),
                  static_cast<int>((u >> 16) & 0xFF), static_cast<int>(u >> 24)});
    }
    Bytes& str(std::string_view s) {
        b({static_cast<int>(s.size())});
        v.insert(v.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& newClass(std::string_view name) {
        w(0xFFFF).w(1).w(static_cast<uint16_t>(name.size()));
        v.insert(v.end(), name.begin(), name.end());
        return *this;
    }
    // The CTavroObj part of an object without name, children or selection.
    Bytes& emptyBase() { return b({1, 0}).w(0).i32(0); }
};

// An at-frame event (conditions 8, frame 5) holding a stop and a go-to-label action.
Bytes AtFrameWithTwoActions() {
    Bytes bytes;
    bytes.b({1}).str("ev").w(2);
    bytes.newClass("CActionStop").emptyBase().b({1, 1});      // class 1, object 2
    bytes.newClass("CActionGotoFrame").emptyBase().b({1, 1}); // class 3, object 4
    bytes.str("Scene 2").i32(1).i32(7).str("end").i32(0);
    bytes.i32(1).i32(1); // selection: the go-to action
    bytes.b({1}).i32(8); // CEventObj level
    bytes.b({1}).i32(5); // CEventAtFrame level
    return bytes;
}

} // namespace

TEST(EventArchive, AtFrameEventWithActionsMatchesHandBuiltBytes) {
    CEventAtFrame event(nullptr, 5);
    event.SetName("ev");
    event.SetConditions(8);
    event.AddChild(std::make_unique<CActionStop>(&event));
    auto go = std::make_unique<CActionGotoFrame>(&event);
    go->SetScene("Scene 2");
    go->SetMode(CActionGotoFrame::kLabel);
    go->SetFrame(7);
    go->SetLabel("end");
    go->SetPlay(0);
    event.SelectPosition(event.AddChild(std::move(go)));

    const Bytes expected = AtFrameWithTwoActions();
    EXPECT_EQ(SaveObjectToMemory(event), expected.v);

    CEventAtFrame loaded;
    LoadObjectFromMemory(expected.v, loaded);
    EXPECT_EQ(loaded.GetName(), "ev");
    EXPECT_EQ(loaded.GetConditions(), 8);
    EXPECT_EQ(loaded.GetFrame(), 5);
    ASSERT_EQ(loaded.GetChildCount(), 2u);
    const auto& children = loaded.GetChildList();
    EXPECT_NE(DynamicCast<CActionStop>(children.front().get()), nullptr);
    const auto* back = DynamicCast<CActionGotoFrame>(children.back().get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetParent(), &loaded);
    EXPECT_EQ(back->GetScene(), "Scene 2");
    EXPECT_EQ(back->GetMode(), CActionGotoFrame::kLabel);
    EXPECT_EQ(back->GetFrame(), 7);
    EXPECT_EQ(back->GetLabel(), "end");
    EXPECT_EQ(back->GetPlay(), 0);
    EXPECT_EQ(back->GetPageId(), CActionGotoFrame::kPage); // set by the constructor
    EXPECT_EQ(loaded.GetSelectedChild(), back);
    EXPECT_TRUE(loaded.HasStopAction());
    EXPECT_EQ(SaveObjectToMemory(loaded), expected.v);
}

TEST(EventArchive, GotoURLAndTheFieldlessClasses) {
    CActionGotoURL url;
    url.SetURL("http://a");
    url.SetTarget("_top");
    Bytes urlBytes;
    urlBytes.emptyBase().b({1, 1}).str("http://a").str("_top");
    EXPECT_EQ(SaveObjectToMemory(url), urlBytes.v);
    CActionGotoURL urlBack;
    LoadObjectFromMemory(urlBytes.v, urlBack);
    EXPECT_EQ(urlBack.GetURL(), "http://a");
    EXPECT_EQ(urlBack.GetTarget(), "_top");

    Bytes twoLevels;
    twoLevels.emptyBase().b({1, 1});
    EXPECT_EQ(SaveObjectToMemory(CActionPlay()), twoLevels.v);
    EXPECT_EQ(SaveObjectToMemory(CActionStop()), twoLevels.v);
    Bytes label;
    label.emptyBase().b({1}).i32(0).b({1});
    EXPECT_EQ(SaveObjectToMemory(CEventAtLabel()), label.v);
}

TEST(EventArchive, VersionZeroLevelKeepsDefaultsAndReadsOn) {
    // An event holding a go-to action whose own level is absent (version 0): the action keeps
    // its defaults and the event's fields after it are still read.
    Bytes bytes;
    bytes.emptyBase().v.resize(2); // version 1, empty name; the list follows
    bytes.w(1).newClass("CActionGotoFrame").emptyBase().b({1, 0});
    bytes.i32(0).b({1}).i32(4);
    CEventObj event;
    LoadObjectFromMemory(bytes.v, event);
    EXPECT_EQ(event.GetConditions(), 4);
    ASSERT_EQ(event.GetChildCount(), 1u);
    const auto* go = DynamicCast<CActionGotoFrame>(event.GetChildList().front().get());
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->GetMode(), CActionGotoFrame::kNumber);
    EXPECT_EQ(go->GetPlay(), 1);
}

TEST(EventCommands, EachCommandCreatesItsObject) {
    std::set<int> ids;
    for (const ActionCommand& c : GetActionCommands())
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
    EXPECT_EQ(ids.size(), 13u);

    const std::pair<int, int32_t> buttons[] = {{32828, 8},  {32829, 4},  {32832, 1},  {32833, 2},
                                               {32834, 32}, {32835, 16}, {32836, 256}};
    for (const auto& [id, conditions] : buttons) {
        auto obj = CreateFromCommand(id);
        auto* event = DynamicCast<CEventObj>(obj.get());
        ASSERT_NE(event, nullptr) << id;
        EXPECT_EQ(event->GetRuntimeClass(), &CEventObj::classInfo);
        EXPECT_EQ(event->GetConditions(), conditions);
    }

    auto atFrame = CreateFromCommand(command_id::kAtFrame, 12);
    ASSERT_NE(DynamicCast<CEventAtFrame>(atFrame.get()), nullptr);
    EXPECT_EQ(DynamicCast<CEventAtFrame>(atFrame.get())->GetFrame(), 12);
    for (int id : {32867, 32870, 32871, 32831, 32830}) {
        const auto obj = CreateFromCommand(id);
        ASSERT_NE(obj, nullptr) << id;
        EXPECT_EQ(obj->GetRuntimeClass(), FindActionCommand(id)->cls);
    }
    EXPECT_EQ(CreateFromCommand(32837), nullptr);
}
