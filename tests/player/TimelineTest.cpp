// Frame execution: looping and stopping at the end, gotos in both directions, timeline actions
// and the frame clock.
#include "PlayerTestSupport.h"

#include "player/DisplayObject.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

using Log = std::vector<std::string>;

TEST(Timeline, OneFrameMovieStopsInsteadOfLooping) {
    RecordingHost host;
    host.LoadBytes(
        Movie(Cat({DoAction(Marker("a")), DefineShape(1), Place2(1, 1), ShowFrame(), End()})));
    ASSERT_TRUE(host.Running());
    EXPECT_EQ(host.log, (Log{"a"}));
    host.StepFrame();
    host.StepFrame();
    EXPECT_FALSE(host.Level0().Playing());
    EXPECT_EQ(host.Level0().currentFrame, 0);
    EXPECT_EQ(host.log, (Log{"a"})); // frame 0 is not replayed
}

TEST(Timeline, EndWithoutShowFrameEndsTheLoopAndRestarts) {
    RecordingHost host;
    host.LoadBytes(Movie(Cat({DoAction(Marker("a")), ShowFrame(), DoAction(Marker("b")),
                              ShowFrame(), DoAction(Marker("c")), End()}),
                         3));
    host.StepFrame(); // frame 1
    EXPECT_EQ(host.Level0().currentFrame, 1);
    host.StepFrame(); // runs the trailing tags, meets End, loops to frame 0
    EXPECT_EQ(host.Level0().currentFrame, 0);
    EXPECT_TRUE(host.Level0().Playing());
    host.StepFrame();
    EXPECT_EQ(host.log, (Log{"a", "b", "c", "a", "b"}));

    // With looping off the movie stops at the end instead.
    host.Level0().SetLooping(false);
    host.StepFrame();
    EXPECT_FALSE(host.Level0().Playing());
    EXPECT_EQ(host.Level0().currentFrame, 1);
}

// Frame 0: a sprite (unnamed) at depth 1 and marker a; frame 1: a shape at depth 2, marker b;
// frame 2: the sprite moves, marker c.
Bytes ThreeFrameMovie() {
    return Movie(Cat({DefineShape(1), DefineSprite(2, 2, Cat({ShowFrame(), ShowFrame(), End()})),
                      Place2(1, 2), DoAction(Marker("a")), ShowFrame(), Place2(2, 1, "box"),
                      DoAction(Marker("b")), ShowFrame(), Move2(1, 100, 60), DoAction(Marker("c")),
                      ShowFrame(), End()}),
                 3);
}

TEST(Timeline, GoingBackRunsOnlyTheTargetFrameAndKeepsObjects) {
    RecordingHost host;
    host.LoadBytes(ThreeFrameMovie());
    host.StepFrame();
    host.StepFrame();
    MovieLevel& level = host.Level0();
    ASSERT_EQ(level.currentFrame, 2);
    DisplayObject* sprite = level.rootObject->FindChild(1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->name, "instance1");
    EXPECT_EQ(sprite->matrix.tx, 100);
    Timeline* spriteTimeline = sprite->timeline;
    int32_t spriteFrame = spriteTimeline->currentFrame;

    level.Goto(1);
    host.RunActions();
    EXPECT_EQ(host.log, (Log{"a", "b", "c", "b"}));
    EXPECT_FALSE(level.Playing());
    // The sprite is the same object with the same name and timeline, moved back by the replay.
    EXPECT_EQ(level.rootObject->FindChild(1), sprite);
    EXPECT_EQ(sprite->name, "instance1");
    EXPECT_EQ(sprite->timeline, spriteTimeline);
    EXPECT_EQ(spriteTimeline->currentFrame, spriteFrame);
    EXPECT_EQ(sprite->matrix.tx, 0);
    ASSERT_NE(level.rootObject->FindChild(2), nullptr);

    level.Goto(0);
    host.RunActions();
    EXPECT_EQ(host.log.back(), "a");
    EXPECT_EQ(level.rootObject->FindChild(2), nullptr); // placed only from frame 1 on
    EXPECT_EQ(level.rootObject->FindChild(1), sprite);

    // Forward in goto mode skips the actions of the frames in between.
    host.log.clear();
    level.Goto(2);
    host.RunActions();
    EXPECT_EQ(host.log, (Log{"c"}));
    EXPECT_EQ(level.rootObject->FindChild(1), sprite);
}

TEST(Timeline, ScriptDepthObjectsSurviveGoingBack) {
    RecordingHost host;
    host.LoadBytes(ThreeFrameMovie());
    host.StepFrame();
    MovieLevel& level = host.Level0();
    PlaceInfo info;
    info.character = level.dictionary.Find(2);
    info.depth = 16384;
    DisplayObject* clone = host.GetDisplayList().Place(level.rootObject, info, &level);
    info.depth = 300;
    host.GetDisplayList().Place(level.rootObject, info, &level);
    level.Goto(0);
    EXPECT_EQ(level.rootObject->FindChild(16384), clone);
    EXPECT_EQ(level.rootObject->FindChild(300), nullptr);
}

TEST(Timeline, TimelineActionsMoveThePlayhead) {
    RecordingHost host;
    // Frame 0 jumps to the label "end" (frame 2), which stops; frame 1 is never shown.
    host.LoadBytes(Movie(Cat({DoAction(ActGoToLabel("END")), ShowFrame(), DoAction(Marker("b")),
                              ShowFrame(), FrameLabel("end"), DoAction(Marker("c")), ShowFrame(),
                              DoAction(Cat({ActGotoFrame(0), ActPlay()})), ShowFrame(), End()}),
                         4));
    MovieLevel& level = host.Level0();
    EXPECT_EQ(level.currentFrame, 2);
    EXPECT_FALSE(level.Playing());
    EXPECT_EQ(level.CurrentLabel(), "end");
    EXPECT_EQ(level.FindLabel("End"), 2);
    EXPECT_EQ(level.FindLabel("missing"), -1);
    EXPECT_EQ(host.log, (Log{"c"}));
    host.StepFrame(); // stopped: nothing happens
    EXPECT_EQ(level.currentFrame, 2);

    level.Play(true);
    host.StepFrame(); // frame 3: back to frame 0 and play, which jumps to "end" again
    EXPECT_EQ(level.currentFrame, 2);
    EXPECT_EQ(host.log, (Log{"c", "c"}));
}

TEST(Timeline, StopActionHoldsTheFrame) {
    RecordingHost host;
    host.LoadBytes(
        Movie(Cat({ShowFrame(), DoAction(ActStop()), ShowFrame(), ShowFrame(), End()}), 3));
    host.StepFrame();
    host.StepFrame();
    EXPECT_EQ(host.Level0().currentFrame, 1);
    EXPECT_FALSE(host.Level0().Playing());
    host.TogglePlay();
    EXPECT_TRUE(host.Level0().Playing());
    host.StepFrame();
    EXPECT_EQ(host.Level0().currentFrame, 2);
}

TEST(Timeline, SpritesAdvanceAndLoopOnTheirOwn) {
    RecordingHost host;
    host.LoadBytes(
        Movie(Cat({DefineSprite(2, 3,
                                Cat({DoAction(Marker("s0")), ShowFrame(), DoAction(Marker("s1")),
                                     ShowFrame(), DoAction(Marker("s2")), ShowFrame(), End()})),
                   Place2(1, 2, "spr"), ShowFrame(), End()})));
    Timeline* t = host.Level0().rootObject->FindChild(1)->timeline;
    EXPECT_EQ(t->currentFrame, 0);
    for (int i = 0; i < 4; ++i)
        host.StepFrame();
    // The root stopped after its single frame; the sprite went 1, 2, (end) 0, 1.
    EXPECT_EQ(t->currentFrame, 1);
    EXPECT_EQ(host.log, (Log{"s0", "s1", "s2", "s0", "s1"}));
}

TEST(Timeline, FrameClockFollowsTheFrameRate) {
    RecordingHost host;
    // 12.5 frames per second: 80 ms per frame, the frame timer at 8 ms.
    host.LoadBytes(Movie(Cat({ShowFrame(), ShowFrame(), ShowFrame(), End()}), 3, 0x0C80));
    EXPECT_EQ(host.Level0().frameMs, 80);
    EXPECT_TRUE(host.timersRunning);
    EXPECT_EQ(host.framePeriodMs, 8);
    EXPECT_EQ(host.caretPeriodMs, 400);
    host.AdvanceClock(79);
    host.Tick(true);
    EXPECT_EQ(host.Level0().currentFrame, 0);
    host.AdvanceClock(1);
    host.Tick(true);
    EXPECT_EQ(host.Level0().currentFrame, 1);
    host.Tick(false); // not from the timer: a frame now
    EXPECT_EQ(host.Level0().currentFrame, 2);

    // A rate of 0 plays at one frame per second.
    RecordingHost zero;
    zero.LoadBytes(Movie(Cat({ShowFrame(), ShowFrame(), End()}), 2, 0));
    EXPECT_EQ(zero.Level0().frameMs, 1000);
    zero.AdvanceClock(999);
    zero.Tick(true);
    EXPECT_EQ(zero.Level0().currentFrame, 0);
    zero.AdvanceClock(1);
    zero.Tick(true);
    EXPECT_EQ(zero.Level0().currentFrame, 1);
}

} // namespace
} // namespace tavro::player::test
