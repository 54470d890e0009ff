// Gotos run by actions: several gotos of one list seek once, and the work that gotos cause in one
// run is limited, so that a movie whose actions jump back and forth stays cheap.
#include "ActionTestSupport.h"

#include "player/DisplayObject.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

constexpr int kShapes = 300;

// Shape 1 placed at depths 1..kShapes.
Bytes ManyShapes() {
    Bytes b = DefineShape(1);
    for (int i = 0; i < kShapes; ++i)
        Append(b, Place2(uint16_t(i + 1), 1, {}, (i * 37) % 2000, (i * 11) % 1000));
    return b;
}

int ChildCount(const DisplayObject* parent) {
    int n = 0;
    for (const DisplayObject* c = parent->firstChild; c; c = c->nextSibling)
        ++n;
    return n;
}

Bytes Increment(const std::string& name) {
    return Set(name, Cat({PushS(name), Op(0x1C), PushS("1"), Op(0x0A)}));
}

TEST(ActionGotos, GotosOfOneListSeekOnceWithoutReplayingTheFrame) {
    // Frame 0: count, then PreviousFrame, NextFrame, PreviousFrame, NextFrame. Going back to
    // frame 0 at once would queue frame 0's actions again and loop until the action limit,
    // replaying all placements each time.
    const Bytes prevNext{0x05, 0x04, 0x05, 0x04};
    Bytes movie = Movie(Cat({ManyShapes(), DoAction(Cat({Increment("zero"), prevNext})),
                             ShowFrame(), DoAction(Increment("one")), ShowFrame(), End()}),
                        2);
    EngineHost host;
    uint64_t before = host.GetDisplayList().tagsExecuted;
    host.LoadBytes(movie);
    uint64_t tags = host.GetDisplayList().tagsExecuted - before;

    EXPECT_FALSE(host.engine->Aborted());
    EXPECT_EQ(host.Level0().currentFrame, 1);
    EXPECT_FALSE(host.Level0().Playing());
    EXPECT_EQ(host.Var("zero"), "1");
    EXPECT_EQ(host.Var("one"), "1");
    EXPECT_EQ(ChildCount(host.Level0().rootObject), kShapes);
    // The first frame once and the second once: no replay.
    EXPECT_LT(tags, uint64_t(kShapes + 20));
}

TEST(ActionGotos, GotoLoopAcrossFramesStopsAtTheTagLimit) {
    // Frame 0 goes on to frame 1, whose actions go back to frame 0: an endless loop in which
    // every step back replays all placements.
    Bytes movie = Movie(
        Cat({ManyShapes(), DoAction({0x04}), ShowFrame(), DoAction({0x05}), ShowFrame(), End()}),
        2);
    EngineHost host;
    uint64_t before = host.GetDisplayList().tagsExecuted;
    host.LoadBytes(movie);
    uint64_t tags = host.GetDisplayList().tagsExecuted - before;

    EXPECT_TRUE(host.engine->Aborted());
    EXPECT_LE(tags, ActionEngine::kMaxTagsPerRun + 2 * (kShapes + 10));
    EXPECT_EQ(ChildCount(host.Level0().rootObject), kShapes);
}

// Frames 0..2; frame 1 places sprite "Box" and frame 2 counts its visits.
Bytes ThreeFrames(const Bytes& frame0Actions) {
    return Movie(
        Cat({DefineShape(2), DefineSprite(3, 1, Cat({Place2(1, 2), ShowFrame(), End()})),
             DoAction(frame0Actions), ShowFrame(), Place2(5, 3, "Box"), DoAction(Increment("one")),
             ShowFrame(), DoAction(Increment("two")), ShowFrame(), End()}),
        3);
}

TEST(ActionGotos, ActionsAfterAGotoSeeTheFrameItReached) {
    // A property read and a property write right after a goto see frame 1 and the sprite it
    // places; its actions run once.
    Bytes getFrame = Set("at", Cat({PushS(""), PushS("4"), Op(0x22)}));
    Bytes moveBox = Cat({PushS("Box"), PushS("0"), PushS("50"), Op(0x23)});
    EngineHost host;
    host.LoadBytes(ThreeFrames(Cat({ActGotoFrame(1), getFrame, moveBox})));
    EXPECT_EQ(host.Var("at"), "2");
    DisplayObject* box = host.Level0().rootObject->FindChild(5);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->matrix.tx, 50 * 20);
    EXPECT_EQ(host.Var("one"), "1");
}

TEST(ActionGotos, AFramePassedWithinOneListRunsNoActions) {
    // Frame 2, then back to frame 1 (by GotoFrame2, frames counted from 1): only frame 1 runs.
    EngineHost host;
    host.LoadBytes(ThreeFrames(Cat({ActGotoFrame(2), PushS("2"), Record(0x9F, {0})})));
    EXPECT_EQ(host.Level0().currentFrame, 1);
    EXPECT_EQ(host.Var("one"), "1");
    EXPECT_EQ(host.Var("two"), "<unset>");
    ASSERT_NE(host.Level0().rootObject->FindChild(5), nullptr);
    EXPECT_FALSE(host.engine->Aborted());

    // Gotos in separate lists each take effect: frame 1's actions go on to frame 2.
    EngineHost two;
    two.LoadBytes(Movie(Cat({DoAction(ActGotoFrame(1)), ShowFrame(),
                             DoAction(Cat({Increment("one"), ActGotoFrame(2)})), ShowFrame(),
                             DoAction(Increment("two")), ShowFrame(), End()}),
                        3));
    EXPECT_EQ(two.Level0().currentFrame, 2);
    EXPECT_EQ(two.Var("one"), "1");
    EXPECT_EQ(two.Var("two"), "1");
}

} // namespace
} // namespace tavro::player::test
