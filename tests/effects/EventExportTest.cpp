// Button condition records, frame DoAction tags, display names and the stop-at-rest query.
#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/CEventObj.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::Hex;

namespace {

struct Written {
    bool result = true;
    std::vector<uint8_t> bytes;
};

// The bytes appended by `write` to a fresh writer.
template <class F> Written Capture(F&& write) {
    CSwfWriter w;
    const uint32_t start = w.GetPosition(true);
    Written out;
    out.result = write(w);
    const uint32_t end = w.GetPosition(true);
    w.Finish();
    const auto image = w.GetImageBytes();
    out.bytes.assign(image.begin() + start, image.begin() + end);
    return out;
}

Written ExportAt(const CEventObj& event, int frame) {
    return Capture([&](CSwfWriter& w) { return event.ExportEvent(w, frame); });
}

template <class T> T& Add(CTavroObj& parent, std::unique_ptr<T> child) {
    T& ref = *child;
    child->SetParent(&parent);
    parent.AddChild(std::move(child));
    return ref;
}

std::unique_ptr<CActionGotoURL> Url(std::string url) {
    auto a = std::make_unique<CActionGotoURL>();
    a->SetURL(url);
    return a;
}

} // namespace

TEST(EventNames, ConditionWordsInTheirFixedOrder) {
    EXPECT_EQ(CEventObj(nullptr, 12).GetDisplayName(), "On (Press,Release)");
    EXPECT_EQ(CEventObj(nullptr, 0x13F).GetDisplayName(),
              "On (Roll Over,Roll Out,Press,Release,Drag Out,Drag Over,Release Outside)");
    EXPECT_EQ(CEventObj(nullptr, 256 | 1).GetDisplayName(), "On (Roll Over,Release Outside)");
    // Bits that name no condition add nothing.
    EXPECT_EQ(CEventObj(nullptr, 64 | 128 | 2).GetDisplayName(), "On (Roll Out)");
    EXPECT_EQ(CEventObj().GetDisplayName(), "On ()");
    EXPECT_EQ(CEventAtFrame(nullptr, 7).GetDisplayName(), "At Frame 7");
    EXPECT_EQ(CEventAtLabel().GetDisplayName(), "At Label");
}

TEST(EventButtonRecord, WithoutActionsWritesNothing) {
    CEventObj event(nullptr, 8);
    const Written out = ExportAt(event, CEventObj::kButtonFrame);
    EXPECT_TRUE(out.result);
    EXPECT_TRUE(out.bytes.empty());

    // Children that are not actions do not make a record either.
    Add(event, std::make_unique<CTavroObj>());
    EXPECT_FALSE(event.HasActions());
    EXPECT_TRUE(ExportAt(event, CEventObj::kButtonFrame).bytes.empty());
}

TEST(EventButtonRecord, OffsetConditionWordActionsAndEndByte) {
    CEventObj event(nullptr, CEventObj::kPress | CEventObj::kReleaseOutside);
    Add(event, std::make_unique<CActionStop>());
    Add(event, Url("a"));
    Add(event, std::make_unique<CActionObj>()); // writes nothing of its own
    Add(event, std::make_unique<CActionPlay>());
    // offset 13 = 2 + 2 + (1 + 6 + 1) + 1, condition word 0x0144: press (4), release outside
    // of a menu button (256) and of a normal button (64).
    EXPECT_EQ(ExportAt(event, CEventObj::kButtonFrame).bytes,
              Hex("0D00 4401 07 83 0300 61 00 00 06 00"));
}

TEST(EventButtonRecord, ReleaseOutsideFiresForNormalButtonsToo) {
    EXPECT_EQ(CEventObj::WrittenConditions(CEventObj::kReleaseOutside), 256 | 64);
    EXPECT_EQ(CEventObj::WrittenConditions(CEventObj::kRelease | CEventObj::kDragOut), 8 | 16);
    // Bits beyond the 16-bit word are dropped, as before.
    EXPECT_EQ(CEventObj::WrittenConditions(0x10001), 1);
}

TEST(EventButtonRecord, PatchedOffsetLeavesTheCursorAtTheEnd) {
    CEventObj first(nullptr, 8);
    Add(first, std::make_unique<CActionPlay>());
    CEventObj second(nullptr, 1);
    Add(second, std::make_unique<CActionStop>());
    const Written out = Capture([&](CSwfWriter& w) {
        first.ExportEvent(w, CEventObj::kButtonFrame);
        second.ExportEvent(w, CEventObj::kButtonFrame);
        w.WriteUI8(0xEE);
        return true;
    });
    EXPECT_EQ(out.bytes, Hex("0600 0800 06 00  0600 0100 07 00  EE"));
}

TEST(EventButtonRecord, ActionsBeyondTheSixteenBitOffsetAreLeftOut) {
    CEventObj event(nullptr, 8);
    Add(event, Url(std::string(40000, 'a')));
    Add(event, Url(std::string(40000, 'b'))); // would take the record past 0xFFFF bytes
    Add(event, std::make_unique<CActionStop>());
    const Written out = ExportAt(event, CEventObj::kButtonFrame);
    EXPECT_FALSE(out.result);
    const size_t size = 4 + (3 + 40002) + 1 + 1;
    ASSERT_EQ(out.bytes.size(), size);
    EXPECT_EQ(out.bytes[0] | out.bytes[1] << 8, static_cast<int>(size));
    EXPECT_EQ(out.bytes[4 + 3], 'a');
    EXPECT_EQ(out.bytes[size - 2], 0x07);
    EXPECT_EQ(out.bytes[size - 1], 0x00);
}

TEST(EventButtonRecord, ButtonEventInAFrameLoopWritesNothing) {
    // A button event kept in a scene's list must not put a condition record between tags.
    CEventObj event(nullptr, 8);
    Add(event, std::make_unique<CActionPlay>());
    for (int f : {0, 1, 5})
        EXPECT_TRUE(ExportAt(event, f).bytes.empty());
}

TEST(EventFrameTag, WrittenOnlyInItsOwnFrame) {
    CEventAtFrame event(nullptr, 5);
    Add(event, std::make_unique<CActionStop>());
    auto& go = Add(event, std::make_unique<CActionGotoFrame>());
    go.SetFrame(2);
    go.SetPlay(0);
    for (int f = 0; f < 10; ++f) {
        SCOPED_TRACE(f);
        const Written out = ExportAt(event, f);
        EXPECT_TRUE(out.result);
        if (f == 5) // DoAction: code 12, length 7
            EXPECT_EQ(out.bytes, Hex("0703 07 81 0200 0200 00"));
        else
            EXPECT_TRUE(out.bytes.empty());
    }
    // The button definition's call never writes a frame event.
    EXPECT_TRUE(ExportAt(event, CEventObj::kButtonFrame).bytes.empty());
}

TEST(EventFrameTag, NoTagWithoutActionsOrAtANegativeFrame) {
    CEventAtFrame empty(nullptr, 5);
    EXPECT_TRUE(ExportAt(empty, 5).bytes.empty());
    CEventAtFrame negative(nullptr, -1);
    Add(negative, std::make_unique<CActionPlay>());
    EXPECT_TRUE(ExportAt(negative, -1).bytes.empty());
}

TEST(EventAtLabel, WritesNothing) {
    CEventAtLabel event;
    Add(event, std::make_unique<CActionPlay>());
    for (int f : {CEventObj::kButtonFrame, 0, 3}) {
        const Written out = ExportAt(event, f);
        EXPECT_TRUE(out.result);
        EXPECT_TRUE(out.bytes.empty());
    }
}

TEST(EventStopAtRest, FindsAStopInAnEventOfThatFrame) {
    CTavroObj events;
    Add(Add(events, std::make_unique<CEventAtFrame>(nullptr, 3)), std::make_unique<CActionPlay>());
    auto& atFive = Add(events, std::make_unique<CEventAtFrame>(nullptr, 5));
    Add(atFive, std::make_unique<CActionPlay>());
    Add(atFive, std::make_unique<CActionStop>());
    Add(Add(events, std::make_unique<CEventObj>(nullptr, 8)), std::make_unique<CActionStop>());
    Add(Add(events, std::make_unique<CEventAtLabel>()), std::make_unique<CActionStop>());

    EXPECT_TRUE(CEventObj::HasStopAtFrame(events, 5));
    EXPECT_FALSE(CEventObj::HasStopAtFrame(events, 3)); // play only
    EXPECT_FALSE(CEventObj::HasStopAtFrame(events, 4));
    // Events without a frame (button, at label) never count, even when asked for -1.
    EXPECT_FALSE(CEventObj::HasStopAtFrame(events, -1));
}
