// Stream intake: header checks, piecewise data, declared lengths, levels, control state, and
// damaged input.
#include "PlayerTestSupport.h"
#include "ReplayFiles.h"

#include "player/DisplayObject.h"

#include <gtest/gtest.h>

#include <random>

namespace tavro::player::test {
namespace {

Bytes ThreeFrameTags() {
    return Cat({Background(0x10, 0x20, 0x30), DefineShape(1), Place2(1, 1), ShowFrame(),
                Move2(1, 20, 20), ShowFrame(), Remove2(1), ShowFrame(), End()});
}

Bytes ThreeFrames() {
    return Movie(ThreeFrameTags(), 3);
}

TEST(Intake, DataHandedInOneByteAtATime) {
    Bytes movie = ThreeFrames();
    RecordingHost host;
    PlayerStream stream;
    host.StreamInReplacingLevel0(&stream, "pipe");

    // Offsets just past each ShowFrame tag: the header is 8 bytes, the 13-bit RECT 7 bytes,
    // rate and count 4 bytes; then background 5, shape 14, place 9, show 2, move 8, show 2,
    // remove 4, show 2, end 2.
    const std::vector<size_t> frameEnds{19 + 5 + 14 + 9 + 2, 19 + 5 + 14 + 9 + 2 + 8 + 2,
                                        19 + 5 + 14 + 9 + 2 + 8 + 2 + 4 + 2};
    ASSERT_EQ(movie.size(), frameEnds.back() + 2);

    MovieLevel& level = host.Level0();
    int sizeReports = 0;
    for (size_t i = 0; i < movie.size(); ++i) {
        EXPECT_EQ(host.StreamInWrite(&stream, &movie[i], 1), 1);
        size_t have = i + 1;
        int complete = 0;
        for (size_t e : frameEnds)
            complete += have >= e ? 1 : 0;
        if (have < movie.size()) {
            EXPECT_EQ(level.framesLoaded, complete - 1) << "after byte " << have;
        }
        // The first frame shows as soon as it is complete.
        EXPECT_EQ(host.Running(), complete >= 1) << "after byte " << have;
        if (host.movieWidth != 0)
            ++sizeReports;
    }
    EXPECT_EQ(level.framesLoaded, MovieLevel::kAllFramesLoaded);
    host.StreamInDestroy(&stream);
    EXPECT_EQ(host.movieWidth, 100);
    EXPECT_EQ(host.movieHeight, 50);
    EXPECT_GT(sizeReports, 0);
    EXPECT_EQ(level.currentFrame, 0);
    ASSERT_NE(level.rootObject->FindChild(1), nullptr);
    EXPECT_TRUE(host.GetDisplayList().hasBackground);
    EXPECT_EQ(host.GetDisplayList().backgroundColor, 0x102030u);
    // Writes after the stream is closed are refused.
    EXPECT_EQ(host.StreamInWrite(&stream, movie.data(), 1), -1);
}

TEST(Intake, BadHeadersLeaveThePlayerUsable) {
    RecordingHost host;
    Bytes notSwf = ThreeFrames();
    notSwf[0] = 'C';
    host.LoadBytes(notSwf);
    EXPECT_EQ(host.Level0().errorCode, Timeline::kBadHeader);
    EXPECT_FALSE(host.Running());
    EXPECT_FALSE(host.Loaded());
    EXPECT_FALSE(host.lastControls[0]);

    Bytes shortLength = ThreeFrames();
    shortLength[4] = 7;
    shortLength[5] = shortLength[6] = shortLength[7] = 0;
    host.LoadBytes(shortLength);
    EXPECT_EQ(host.Level0().errorCode, Timeline::kBadHeader);

    // Data that ends inside the header.
    host.LoadBytes(Bytes{0x46, 0x57, 0x53, 4, 30, 0, 0, 0, 0x50});
    EXPECT_EQ(host.Level0().errorCode, Timeline::kBadHeader);
    host.LoadBytes(Bytes{0x46, 0x57});
    EXPECT_FALSE(host.Running());

    host.LoadBytes(ThreeFrames());
    EXPECT_EQ(host.Level0().errorCode, 0);
    EXPECT_TRUE(host.Running());
    EXPECT_TRUE(host.lastControls[0]);
}

TEST(Intake, DeclaredLengthBoundsTheDataButNotMemory) {
    // Excess bytes beyond the declared length are ignored.
    Bytes movie = ThreeFrames();
    size_t real = movie.size();
    Bytes padded = movie;
    padded.insert(padded.end(), {0x3F, 0x03, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    RecordingHost host;
    host.LoadBytes(padded);
    EXPECT_EQ(host.Level0().received, real);
    EXPECT_EQ(host.Level0().framesLoaded, MovieLevel::kAllFramesLoaded);

    // A tiny file that declares 4 GB allocates only what arrives and ends where the data ends.
    Bytes huge =
        Movie(Cat({DefineShape(1), Place2(1, 1), ShowFrame()}), 1, 12 << 8, 100, 50, 0xFFFFFFFFu);
    RecordingHost big;
    big.LoadBytes(huge);
    ASSERT_TRUE(big.Running());
    EXPECT_LT(big.Level0().SharedBytes()->capacity(), size_t(1) << 20);
    EXPECT_NE(big.Level0().rootObject->FindChild(1), nullptr);
    big.StepFrame();
    EXPECT_FALSE(big.Level0().Playing());
}

TEST(Intake, TruncatedMovieEndsAtItsLastCompleteTag) {
    Bytes movie = ThreeFrames();
    // Cut inside the final RemoveObject2: frames 0 and 1 are whole.
    size_t cut = movie.size() - 6;
    Bytes truncated(movie.begin(), movie.begin() + long(cut));
    RecordingHost host;
    host.LoadBytes(truncated);
    MovieLevel& level = host.Level0();
    ASSERT_TRUE(host.Running());
    host.StepFrame();
    EXPECT_EQ(level.currentFrame, 1);
    host.StepFrame(); // the cut tag counts as the end: back to frame 0
    EXPECT_EQ(level.currentFrame, 0);
    EXPECT_TRUE(level.Playing());
}

TEST(Intake, ControlStateAndClose) {
    RecordingHost host;
    host.LoadBytes(ThreeFrames());
    ControlState s = host.lastControls;
    EXPECT_TRUE(s[0] && s[1] && s[2] && s[4] && s[6] && s[8] && s[10] && s[11] && s[12] && s[13]);
    EXPECT_FALSE(s[3] || s[5] || s[7] || s[9]);
    host.StepFrame();
    s = host.GetControlState();
    EXPECT_TRUE(s[5] && s[7]);
    host.TogglePlay();
    EXPECT_FALSE(host.lastControls[13]);

    int updates = host.updateControlsCount;
    host.Close();
    EXPECT_EQ(host.updateControlsCount, updates + 1);
    EXPECT_FALSE(host.lastControls[0]);
    EXPECT_FALSE(host.Running());
    EXPECT_FALSE(host.timersRunning);
    EXPECT_EQ(host.GetDisplayList().root.firstChild, nullptr);
    host.StepFrame(); // ticks after Close do nothing
    host.LoadBytes(ThreeFrames());
    EXPECT_TRUE(host.Running());
}

TEST(Intake, MoviesLoadIntoFurtherLevels) {
    RecordingHost host;
    host.LoadBytes(ThreeFrames());
    Bytes second = Movie(Cat({DefineShape(4), Place2(1, 4), ShowFrame(), End()}));
    PlayerStream stream;
    StreamTarget target;
    target.level = 2;
    host.StreamInNew(&stream, "file:///tmp/second.swf", &target);
    host.StreamInWrite(&stream, second.data(), second.size());
    host.StreamInDestroy(&stream);
    MovieLevel* level2 = host.FindLevel(2);
    ASSERT_NE(level2, nullptr);
    EXPECT_EQ(level2->url, "file:///tmp/second.swf");
    host.StepFrame(); // the level shows its first frame with the next tick
    ASSERT_NE(level2->rootObject, nullptr);
    EXPECT_EQ(host.GetDisplayList().root.firstChild, host.Level0().rootObject);
    EXPECT_EQ(host.Level0().rootObject->nextSibling, level2->rootObject);
    EXPECT_NE(level2->rootObject->FindChild(1), nullptr);
    EXPECT_EQ(level2->dictionary.Find(1), nullptr); // each level has its own characters

    host.UnloadLevel(2);
    EXPECT_EQ(host.FindLevel(2), nullptr);
    EXPECT_EQ(host.Level0().rootObject->nextSibling, nullptr);
}

// Every prefix and many damaged copies of a movie load, play and close without harm.
TEST(Intake, DamagedInputNeverBreaksThePlayer) {
    Bytes movie = Movie(
        Cat({Background(1, 2, 3), DefineShape(1), DefineSprite(2, 1, Cat({ShowFrame(), End()})),
             Place2(1, 1), Place2(2, 2, "s"), DoAction(Cat({ActGotoFrame(2), ActPlay()})),
             FrameLabel("x"), ShowFrame(), Move2(1, 5, 5), Move2(2, 6, 6, 1),
             DoAction(ActGoToLabel("x")), ShowFrame(), Remove2(1), ShowFrame(), End()}),
        3);
    auto play = [](const Bytes& b) {
        RecordingHost host;
        host.LoadBytes(b);
        for (int i = 0; i < 4; ++i)
            host.StepFrame();
        host.Level0().Goto(0);
        host.RunActions();
        host.Close();
    };
    for (size_t n = 0; n <= movie.size(); ++n)
        play(Bytes(movie.begin(), movie.begin() + long(n)));
    std::mt19937 rng(1234);
    for (int round = 0; round < 120; ++round) {
        Bytes damaged = movie;
        for (int k = 0; k < 3; ++k)
            damaged[8 + rng() % (damaged.size() - 8)] ^= uint8_t(1u << (rng() % 8));
        play(damaged);
    }
}

// The player_load seeds and the committed reproducers.
TEST(Intake, CommittedReproducersReplay) {
    int files = 0;
    for (const auto& file : tavro::test::ReplayFiles("player_load", "player")) {
        SCOPED_TRACE(file.path.string());
        RecordingHost host;
        host.LoadBytes(file.bytes);
        for (int i = 0; i < 3; ++i)
            host.StepFrame();
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        host.Snapshot(rgba, w, h);
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(HeadlessHost, SnapshotHasTheMovieSizeAndBackground) {
    RecordingHost host;
    host.LoadBytes(ThreeFrames());
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(host.Snapshot(rgba, w, h));
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    ASSERT_EQ(rgba.size(), size_t(100 * 50 * 4));
    EXPECT_EQ(rgba[0], 0x10);
    EXPECT_EQ(rgba[1], 0x20);
    EXPECT_EQ(rgba[2], 0x30);
    EXPECT_EQ(rgba[3], 0xFF);

    host.SetClientSize(40, 30);
    ASSERT_TRUE(host.Snapshot(rgba, w, h));
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
}

} // namespace
} // namespace tavro::player::test
