// Button states, transitions, their actions and sounds, driven through the player's mouse input.
#include "ButtonSwf.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/Timeline.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

using Log = std::vector<std::string>;

// Shapes 10 (up), 11 (over), 12 (down) and 13 (hit area), all covering twips 200..600, that is
// pixels 10..30 of a 200 x 100 pixel movie.
Bytes StateShapes() {
    return Cat({RectShape(10, 200, 200, 600, 600), RectShape(11, 200, 200, 600, 600),
                RectShape(12, 200, 200, 600, 600), RectShape(13, 200, 200, 600, 600)});
}

std::vector<ButtonRecordSpec> StateRecords() {
    return {{0x01, 10, 1}, {0x02, 11, 1}, {0x04, 12, 2}, {0x08, 13, 3}};
}

Bytes OneButtonMovie(const Bytes& button, const Bytes& extra = {}, uint16_t frames = 2) {
    return Movie(
        Cat({StateShapes(), button, extra, Place2(1, 20), ShowFrame(), ShowFrame(), End()}), frames,
        12 << 8, 200, 100);
}

TEST(ButtonTracking, EachStateShowsItsRecords) {
    ButtonHost host;
    host.LoadBytes(OneButtonMovie(Button2(20, StateRecords(), {})));
    DisplayObject* b = host.At(1);
    ASSERT_NE(b, nullptr);
    auto shown = [&] { return std::pair(ButtonHost::Shown(b, 1), ButtonHost::Shown(b, 2)); };
    EXPECT_EQ(shown(), std::pair(10, -1));
    EXPECT_EQ(ButtonHost::Shown(b, 3), -1); // the hit area is never shown
    EXPECT_FALSE(host.buttons->IsTracking());

    host.MouseMove(20, 20, false);
    EXPECT_EQ(shown(), std::pair(11, -1));
    EXPECT_TRUE(host.buttons->IsTracking());
    host.MouseDown(20, 20);
    EXPECT_EQ(shown(), std::pair(-1, 12));
    host.MouseMove(100, 80, true); // out-down shows the over records
    EXPECT_EQ(shown(), std::pair(11, -1));
    EXPECT_EQ(host.GetDisplayList().trackState, 4);
    host.MouseMove(20, 20, true);
    EXPECT_EQ(shown(), std::pair(-1, 12));
    host.MouseUp(20, 20);
    EXPECT_EQ(shown(), std::pair(11, -1));
    host.MouseMove(100, 80, false);
    EXPECT_EQ(shown(), std::pair(10, -1));
    EXPECT_FALSE(host.buttons->IsTracking());
    EXPECT_EQ(host.GetDisplayList().trackedButton, nullptr);
}

TEST(ButtonTracking, AButtonGivenAnotherButtonCharacterShowsTheNewOne) {
    // Frame 1 moves depth 1 onto button 21, whose up state is shape 12 and whose hit area
    // is shape 13: the old button's up shape goes and the new one's shows.
    ButtonHost host;
    const Bytes movie = Movie(Cat({StateShapes(), Button2(20, StateRecords(), {}),
                                   Button2(21, {{0x01, 12, 2}, {0x08, 13, 3}}, {}), Place2(1, 20),
                                   ShowFrame(), Move2(1, 0, 0, 21), ShowFrame(), End()}),
                              2, 12 << 8, 200, 100);
    host.LoadBytes(movie);
    DisplayObject* b = host.At(1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(ButtonHost::Shown(b, 1), 10);
    host.StepFrame();
    ASSERT_EQ(host.At(1), b);
    EXPECT_EQ(b->character->id, 21);
    EXPECT_EQ(ButtonHost::Shown(b, 1), -1);
    EXPECT_EQ(ButtonHost::Shown(b, 2), 12);
    host.MouseMove(20, 20, false); // the new hit area tracks
    EXPECT_TRUE(host.buttons->IsTracking());
}

TEST(ButtonTracking, PressAndReleaseInsideRunTheirActions) {
    ButtonHost host;
    host.LoadBytes(OneButtonMovie(Button2(20, StateRecords(),
                                          {{kRollOver, Marker("over")},
                                           {kPress | kRelease, Marker("press or release")},
                                           {kRelease, Cat({Marker("release"), ActStop()})},
                                           {kRollOut, Marker("out")}})));
    ASSERT_TRUE(host.Level0().Playing());

    // Track queues the lists with the button's timeline; the mouse input then runs them.
    EXPECT_TRUE(host.buttons->Track(20, 20, false));
    ActionQueue& queue = host.GetDisplayList().actions;
    ASSERT_EQ(queue.Size(), 1u);
    ActionQueue::Entry e;
    ASSERT_TRUE(queue.Pop(e));
    EXPECT_EQ(e.timeline, &host.Level0());
    EXPECT_EQ(e.Actions()[0], 0x96);
    EXPECT_FALSE(host.buttons->Track(21, 21, false)); // still over: nothing new

    host.MouseDown(20, 20);
    host.MouseUp(20, 20);
    EXPECT_EQ(host.log, (Log{"press or release", "press or release", "release"}));
    EXPECT_FALSE(host.Level0().Playing()); // the Stop after the release marker ran
    host.MouseMove(150, 80, false);
    EXPECT_EQ(host.log.back(), "out");
}

TEST(ButtonTracking, ReleaseOutsideFiresOutDownToIdleAndSoundSlotZero) {
    const Bytes buttonSound = Tag(swfformat::kTagDefineButtonSound,
                                  {20, 0, /*slot 0*/ 50, 0, 0, /*slot 1*/ 51, 0, 0, /*slot 2*/ 0, 0,
                                   /*slot 3*/ 53, 0, 0});
    const Bytes button = Button2(20, StateRecords(),
                                 {{kDragOut, Marker("drag out")},
                                  {kReleaseOutside, Marker("release outside")},
                                  {kRelease, Marker("release")}});
    for (bool moveFirst : {true, false}) {
        SCOPED_TRACE(moveFirst ? "moved out, then released" : "released outside at once");
        ButtonHost host;
        host.LoadBytes(OneButtonMovie(button, buttonSound));
        host.MouseMove(20, 20, false); // event 0: slot 1
        host.MouseDown(20, 20);        // event 2: slot 2 is empty
        if (moveFirst)
            host.MouseMove(120, 80, true);
        host.MouseUp(120, 80);
        EXPECT_EQ(host.log, (Log{"drag out", "release outside"}));
        EXPECT_FALSE(host.buttons->IsTracking());
        ASSERT_EQ(host.sound.started.size(), 2u);
        EXPECT_EQ(host.sound.started[0].first, &host.Level0());
        EXPECT_EQ(
            Bytes(host.sound.started[0].second.begin(), host.sound.started[0].second.begin() + 3),
            (Bytes{51, 0, 0}));
        EXPECT_EQ(host.sound.started[1].second,
                  (Bytes{50, 0, 0, 51, 0, 0, 0, 0, 53, 0, 0})); // slot 0 and what follows it
    }
}

TEST(ButtonTracking, TrackAsMenuButtonsHandOverWhilePressed) {
    auto menu = [](uint16_t id, const std::string& n) {
        return Button2(id, {{0x01, 10, 1}, {0x04, 12, 1}, {0x08, 13, 2}},
                       {{kMenuPress, Marker(n + "7")},
                        {kMenuLeave, Marker(n + "8")},
                        {kRelease, Marker(n + "3")},
                        {kDragOut, Marker(n + "4")}},
                       true);
    };
    ButtonHost host;
    host.LoadBytes(Movie(Cat({StateShapes(), menu(20, "A"), menu(21, "B"), Place2(1, 20),
                              Place2(2, 21, {}, 600, 0), ShowFrame(), End()}),
                         1, 12 << 8, 200, 100));
    DisplayObject* a = host.At(1);
    DisplayObject* b = host.At(2);

    host.MouseDown(20, 20); // pressed over a menu button while idle
    EXPECT_EQ(host.log, (Log{"A7"}));
    EXPECT_EQ(ButtonHost::Shown(a, 1), 12);
    host.MouseMove(50, 20, true); // dragged onto the next menu button
    EXPECT_EQ(host.log, (Log{"A7", "A8", "B7"}));
    EXPECT_EQ(ButtonHost::Shown(a, 1), 10);
    EXPECT_EQ(ButtonHost::Shown(b, 1), 12);
    EXPECT_EQ(host.GetDisplayList().trackedButton, b);
    host.MouseUp(50, 20);
    EXPECT_EQ(host.log.back(), "B3");
}

TEST(ButtonTracking, PressThatBeganOffANormalButtonActivatesNothing) {
    ButtonHost host;
    host.LoadBytes(OneButtonMovie(
        Button2(20, StateRecords(), {{kRollOver, Marker("over")}, {kPress, Marker("press")}})));
    host.MouseDown(120, 80);
    host.MouseMove(20, 20, true);
    EXPECT_TRUE(host.log.empty());
    EXPECT_FALSE(host.buttons->IsTracking());
    host.MouseUp(20, 20); // released over it: now it is rolled over
    EXPECT_EQ(host.log, (Log{"over"}));
}

TEST(ButtonTracking, FrontButtonWinsAndHiddenButtonsAreSkipped) {
    auto button = [](uint16_t id, const std::string& n) {
        return Button2(id, {{0x01, 10, 1}, {0x08, 13, 2}}, {{kRollOver, Marker(n)}});
    };
    // A at pixels 10..30, B at 20..40, C inside a sprite at 30..50.
    const Bytes sprite = DefineSprite(30, 1, Cat({Place2(1, 22), ShowFrame(), End()}));
    ButtonHost host;
    host.LoadBytes(Movie(Cat({StateShapes(), button(20, "A"), button(21, "B"), button(22, "C"),
                              sprite, Place2(1, 20), Place2(2, 21, {}, 200, 0),
                              Place2(3, 30, {}, 400, 0), ShowFrame(), End()}),
                         1, 12 << 8, 200, 100));
    DisplayList& dl = host.GetDisplayList();
    host.MouseMove(25, 20, false);
    EXPECT_EQ(dl.trackedButton, host.At(2));
    host.MouseMove(35, 20, false);
    ASSERT_NE(dl.trackedButton, nullptr);
    EXPECT_EQ(dl.trackedButton->parent, host.At(3)); // the button inside the sprite
    host.At(2)->visible = false;
    host.MouseMove(25, 20, false);
    EXPECT_EQ(dl.trackedButton, host.At(1));
    EXPECT_EQ(host.log, (Log{"B", "C", "A"}));
    host.At(3)->visible = false; // hiding a sprite hides the buttons inside it
    EXPECT_FALSE(host.buttons->ButtonAt(45, 20));
}

TEST(ButtonTracking, RemovalWhileTrackedClearsTrackingUnlessTheButtonIsPlacedAgain) {
    const Bytes button =
        Button2(20, StateRecords(), {{kRollOver, Marker("over")}, {kRollOut, Marker("out")}});
    auto movie = [&](const Bytes& secondFrame) {
        return Movie(Cat({StateShapes(), button, Place2(1, 20), ShowFrame(), secondFrame,
                          DoAction(ActStop()), ShowFrame(), End()}),
                     2, 12 << 8, 200, 100);
    };
    {
        ButtonHost host;
        host.LoadBytes(movie(Remove2(1)));
        host.MouseMove(20, 20, false);
        ASSERT_TRUE(host.buttons->IsTracking());
        host.StepFrame();
        EXPECT_EQ(host.At(1), nullptr);
        EXPECT_FALSE(host.buttons->IsTracking());
        EXPECT_EQ(host.GetDisplayList().trackState, 1);
        host.MouseMove(21, 21, false);
        EXPECT_EQ(host.log, (Log{"over"})); // no roll-out for a button that is gone
    }
    {
        ButtonHost host;
        host.LoadBytes(movie(Cat({Remove2(1), Place2(1, 20)})));
        host.MouseMove(20, 20, false);
        host.StepFrame();
        ASSERT_NE(host.At(1), nullptr);
        EXPECT_EQ(host.GetDisplayList().trackedButton, host.At(1));
        EXPECT_EQ(ButtonHost::Shown(host.At(1), 1), 11); // the replacement shows the over state
        host.MouseMove(120, 80, false);
        EXPECT_EQ(host.log, (Log{"over", "out"}));
    }
    {
        // The button goes with its sprite.
        const Bytes sprite = DefineSprite(30, 1, Cat({Place2(1, 20), ShowFrame(), End()}));
        ButtonHost host;
        host.LoadBytes(
            Movie(Cat({StateShapes(), button, sprite, Place2(1, 30), ShowFrame(), Remove2(1),
                       Place2(1, 30), DoAction(ActStop()), ShowFrame(), End()}),
                  2, 12 << 8, 200, 100));
        host.MouseMove(20, 20, false);
        ASSERT_TRUE(host.buttons->IsTracking());
        host.StepFrame();
        // A new sprite in the same place holds a new button: it is rolled over anew.
        EXPECT_EQ(host.log, (Log{"over", "over"}));
        ASSERT_NE(host.GetDisplayList().trackedButton, nullptr);
        EXPECT_EQ(host.GetDisplayList().trackedButton->parent, host.At(1));
    }
}

TEST(ButtonTracking, ButtonMovingUnderAStillMouseReactsAfterTheFrame) {
    ButtonHost host;
    host.LoadBytes(
        Movie(Cat({StateShapes(), Button2(20, StateRecords(), {{kRollOver, Marker("over")}}),
                   Place2(1, 20, {}, 2000, 0), ShowFrame(), Move2(1, 0, 0), DoAction(ActStop()),
                   ShowFrame(), End()}),
              2, 12 << 8, 200, 100));
    host.MouseMove(20, 20, false);
    EXPECT_TRUE(host.log.empty());
    host.StepFrame();
    EXPECT_EQ(host.log, (Log{"over"}));
    EXPECT_TRUE(host.buttons->IsTracking());
}

TEST(ButtonTracking, DefineButtonRunsItsListOnReleaseWithItsColourTransform) {
    // CXFORM with additions only: 1 (add), 0 (mult), 6 bits each, red 10, green 20, blue 30.
    BitPacker p;
    p.Bits(1, 1);
    p.Bits(0, 1);
    p.Bits(6, 4);
    for (int v : {10, 20, 30})
        p.Bits(v, 6);
    Bytes cx{20, 0};
    Append(cx, p.Take());
    ButtonHost host;
    host.LoadBytes(OneButtonMovie(Button1(20, StateRecords(), Cat({Marker("v1"), ActStop()})),
                                  Tag(swfformat::kTagDefineButtonCxform, cx)));
    const DisplayObject* up = host.At(1)->FindChild(1);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->cxform.rAdd, 10);
    EXPECT_EQ(up->cxform.gAdd, 20);
    EXPECT_EQ(up->cxform.bAdd, 30);
    host.MouseMove(20, 20, false);
    host.MouseDown(20, 20);
    EXPECT_TRUE(host.log.empty());
    host.MouseUp(20, 20);
    EXPECT_EQ(host.log, (Log{"v1"}));
    EXPECT_FALSE(host.Level0().Playing());
}

} // namespace
} // namespace tavro::player::test
