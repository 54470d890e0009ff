// The event list of a symbol: frame order, button events at the end, re-sorting after a frame
// changed, and the effect list's parent rule.
#include "effects/CActionPlay.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/CEventObj.h"
#include "model/CSymbolObj.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavro {
namespace {

std::unique_ptr<CEventObj> AtFrame(int frame, const char* name) {
    auto event = std::make_unique<CEventAtFrame>(nullptr, frame);
    event->SetName(name);
    return event;
}

std::unique_ptr<CEventObj> Button(const char* name) {
    auto event = std::make_unique<CEventObj>(nullptr, CEventObj::kRelease);
    event->SetName(name);
    return event;
}

// The stored names of the events, head first, joined by spaces.
std::string Order(const CSymbolObj& s) {
    std::string out;
    for (const auto& child : s.GetEventList().GetChildList())
        out += (out.empty() ? "" : " ") + child->CTavroObj::GetName();
    return out;
}

TEST(SymbolEvents, InsertSortsByFrameAndKeepsFramelessEventsAtTheEnd) {
    CSymbolObj s;
    s.InsertEvent(AtFrame(5, "f5"));
    s.InsertEvent(Button("b1"));
    s.InsertEvent(AtFrame(2, "f2"));
    s.InsertEvent(AtFrame(9, "f9"));  // later than every frame: still before the button
    s.InsertEvent(AtFrame(5, "f5b")); // goes before the first event at the same frame
    s.InsertEvent(std::make_unique<CEventAtLabel>());
    s.InsertEvent(AtFrame(0, "f0"));
    s.InsertEvent(Button("b2"));
    EXPECT_EQ(Order(s), "f0 f2 f5b f5 f9 b1  b2");
    for (const auto& child : s.GetEventList().GetChildList())
        EXPECT_EQ(child->GetParent(), &s);
    EXPECT_FALSE(s.InsertEvent(nullptr));
}

TEST(SymbolEvents, ReinsertMovesAnEventAfterItsFrameChanged) {
    CSymbolObj s;
    s.InsertEvent(AtFrame(1, "a"));
    s.InsertEvent(AtFrame(3, "b"));
    s.InsertEvent(AtFrame(6, "c"));
    s.InsertEvent(Button("x"));
    CTavroObj& list = s.GetEventList();

    auto pos = list.GetPositionOfIndex(0);
    static_cast<CEventObj*>(list.GetChildAt(pos))->SetFrame(7);
    list.SelectPosition(pos);
    pos = s.ReinsertSelectedEvent();
    EXPECT_EQ(Order(s), "b c a x");
    EXPECT_EQ(list.GetSelectedPosition(), pos);
    EXPECT_EQ(list.GetIndexOfPosition(pos), 2);

    // A button event stays where it is.
    const auto buttonPos = list.GetTailPosition();
    EXPECT_EQ(s.ReinsertEvent(buttonPos), buttonPos);
    EXPECT_EQ(Order(s), "b c a x");
    // Nothing selected: nothing moves.
    list.SelectPosition({});
    EXPECT_FALSE(s.ReinsertSelectedEvent());
    EXPECT_EQ(Order(s), "b c a x");
}

TEST(SymbolEvents, OnlyAnEventWithAnActionMakesAButton) {
    CSymbolObj s;
    EXPECT_FALSE(s.HasEventActions());
    s.InsertEvent(Button("empty"));
    EXPECT_FALSE(s.HasEventActions());
    auto frameEvent = AtFrame(3, "f");
    frameEvent->AddChild(std::make_unique<CActionPlay>(frameEvent.get()));
    s.InsertEvent(std::move(frameEvent));
    EXPECT_TRUE(s.HasEventActions());
}

TEST(SymbolEffects, InsertedEffectsBelongToTheSymbol) {
    CSymbolObj s;
    EXPECT_FALSE(s.HasEffects());
    auto effect = std::make_unique<CTavroObj>();
    CTavroObj* raw = effect.get();
    const auto pos = s.InsertEffect(std::move(effect));
    EXPECT_TRUE(s.HasEffects());
    EXPECT_EQ(raw->GetParent(), &s);
    s.GetEffectList().SelectPosition(pos);
    EXPECT_EQ(s.GetSelectedEffect(), raw);
    EXPECT_FALSE(s.InsertEffect(nullptr));
}

} // namespace
} // namespace tavro
