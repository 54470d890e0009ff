// Stream sound: the stream position that paces the frame clock, starving when data runs out,
// event sounds met in the stream, and a whole movie whose timeline follows its stream.
#include "SoundTestSupport.h"

#include "../PlayerTestSupport.h"
#include "player/sound/PlayerSoundSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tavro::player::test {
namespace {

constexpr SoundFormat k22Mono16 = SoundFormat::Make(2, true, false);
const uint8_t kStream22 = FormatByte(0x30, 2, true, false); // 22050 Hz 16-bit mono PCM

void PushBlocks(SoundMixer& mixer, SoundChannel& ch, int count, int16_t value, uint32_t frames,
                int32_t seek = 0) {
    mixer.Lock();
    for (int i = 0; i < count; ++i) {
        auto block = Constant16(value, frames, 2);
        ch.PushBlock(block, seek);
    }
    mixer.Unlock();
}

TEST(SoundStream, ARunDryStreamHoldsItsFrameUntilMoreDataComes) {
    CapturedMixer m(Accept({k22Mono16}));
    int owner = 0;
    auto ch = SoundChannel::MakeStream(kStream22, 1024, 0, false, &owner);
    ASSERT_TRUE(ch);
    PushBlocks(m.mixer, *ch, 4, 700, 1024);
    m.mixer.StartSound(ch);
    EXPECT_EQ(m.mixer.StreamFrame(*ch), 0);

    // Four frames of data, then nothing: the position stops at frame 4 however long the
    // clock runs, and the time since the last buffer no longer counts.
    m.device->Advance(1000);
    EXPECT_TRUE(ch->Starved());
    EXPECT_EQ(m.mixer.StreamFrame(*ch), 4);
    m.device->Advance(1000);
    EXPECT_EQ(m.mixer.StreamFrame(*ch), 4);

    // More data: playing resumes where it stopped.
    PushBlocks(m.mixer, *ch, 2, 900, 1024);
    m.device->Advance(500);
    EXPECT_EQ(m.mixer.StreamFrame(*ch), 6);
    auto out = m.Samples16();
    EXPECT_EQ(std::count(out.begin(), out.end(), int16_t(700)), 4 * 1024);
    EXPECT_EQ(std::count(out.begin(), out.end(), int16_t(900)), 2 * 1024);
    // The second part follows the first after a gap of silence, never mixed into it.
    auto last700 = std::find(out.rbegin(), out.rend(), int16_t(700));
    auto first900 = std::find(out.begin(), out.end(), int16_t(900));
    EXPECT_LT(out.rend() - last700, first900 - out.begin());
}

TEST(SoundStream, PositionCountsFromTheStartFrameAndInsertedSilence) {
    CapturedMixer m(Accept({k22Mono16}));
    int owner = 0;
    // A stream starting at frame 5 with 100 samples per frame; one block of 1024 samples that
    // asks for 300 samples of silence first (as an MP3 block's negative seek does).
    auto ch = SoundChannel::MakeStream(kStream22, 100, 5, false, &owner);
    PushBlocks(m.mixer, *ch, 1, 321, 1024, -300);
    m.mixer.StartSound(ch);
    m.device->Advance(1000);
    ASSERT_TRUE(ch->Starved());
    // (50 + 500 + 300 + 1024) / 100
    EXPECT_EQ(m.mixer.StreamFrame(*ch), 18);
    auto out = m.Samples16();
    auto first = std::find(out.begin(), out.end(), int16_t(321)) - out.begin();
    EXPECT_EQ(size_t(first), 2 * 1024u + 300u); // after the opening silence and the seek
}

TEST(SoundStream, EventSoundsMetInTheStreamStartWhenTheStreamReachesThem) {
    CapturedMixer m(Accept({k22Mono16}));
    int owner = 0;
    auto ch = SoundChannel::MakeStream(kStream22, 1024, 0, false, &owner);
    PushBlocks(m.mixer, *ch, 3, 0, 1024);
    m.mixer.Lock();
    ch->PushStartSound(SoundChannel::MakeEvent(Constant16(55, 100, 2), {}, &owner));
    ch->PushEnd();
    m.mixer.Unlock();
    m.mixer.StartSound(ch);
    m.device->Advance(500);
    auto out = m.Samples16();
    auto first = std::find(out.begin(), out.end(), int16_t(55)) - out.begin();
    EXPECT_GE(size_t(first), 2 * 1024u + 3 * 1024u);
    EXPECT_EQ(std::count(out.begin(), out.end(), int16_t(55)), 100);
    EXPECT_TRUE(ch->StreamEnded());
    EXPECT_EQ(m.mixer.StreamFrame(*ch) >= 3, true);
}

// A 12 fps movie of `frames` frames, each with a 5512-Hz stream block of 459 samples; with
// `spriteFrames`, an empty sprite of that many frames is placed at depth 1 on the first frame.
Bytes StreamMovie(int frames, uint16_t spriteFrames = 0) {
    Bytes head{0x00, FormatByte(0x30, 0, true, false)};
    U16(head, 459);
    Bytes tags = Tag(18, head);
    if (spriteFrames > 0) {
        Bytes spriteTags;
        for (int f = 0; f < spriteFrames; ++f)
            Append(spriteTags, ShowFrame());
        Append(spriteTags, End());
        Append(tags, DefineSprite(1, spriteFrames, spriteTags));
        Append(tags, Place2(1, 1, "clip"));
    }
    for (int f = 0; f < frames; ++f) {
        Bytes block;
        for (int s = 0; s < 459; ++s)
            U16(block, uint32_t(uint16_t(int16_t(1000 + f))));
        Append(tags, Tag(19, block));
        Append(tags, ShowFrame());
    }
    Append(tags, End());
    return Movie(tags, uint16_t(frames));
}

struct StreamPlayer {
    CapturedMixer m{Accept({k22Mono16})};
    PlayerSoundSink sink{m.mixer};
    HeadlessHost host;
    StreamPlayer() { host.SetSoundSink(&sink); }
    // Runs the clocks for `ms` in 8-ms timer ticks, as the view window's frame timer does.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 8) {
            host.AdvanceClock(8);
            m.device->Advance(8);
            host.Tick(true);
        }
    }
};

TEST(SoundStream, TheTimelineFollowsItsStreamAndWaitsForSlowData) {
    Bytes movie = StreamMovie(120);
    {
        // All of the movie at once: about 12 frames a second, led by the sound.
        StreamPlayer p;
        p.host.Load(movie.data(), movie.size());
        p.Run(2000);
        int frame = p.host.Level0().currentFrame;
        EXPECT_GE(frame, 20);
        EXPECT_LE(frame, 26);
        EXPECT_GE(p.sink.StreamFrame(p.host.Level0()), 0);
        auto out = p.m.Samples16();
        EXPECT_GT(std::count_if(out.begin(), out.end(), [](int16_t s) { return s >= 1000; }),
                  18 * 459 * 4); // 4 output samples per 5512-Hz sample
    }
    {
        // Only the first 20 frames arrive: less than the 5 seconds the stream wants ahead, so
        // the sound waits, and the timeline with it, instead of running ahead.
        StreamPlayer p;
        PlayerStream stream;
        p.host.StreamInReplacingLevel0(&stream, "pipe");
        size_t cut = movie.size() * 20 / 120;
        p.host.StreamInWrite(&stream, movie.data(), cut);
        p.Run(3000);
        EXPECT_LE(p.host.Level0().currentFrame, 2);
        EXPECT_TRUE(p.sink.StreamStarved(p.host.Level0()));

        // The rest arrives: sound and frames move on together.
        p.host.StreamInWrite(&stream, movie.data() + cut, movie.size() - cut);
        p.host.StreamInDestroy(&stream);
        p.Run(2000);
        int frame = p.host.Level0().currentFrame;
        EXPECT_GE(frame, 18);
        EXPECT_LE(frame, 28);
        EXPECT_FALSE(p.sink.StreamStarved(p.host.Level0()));
    }
}

TEST(SoundStream, AStarvedStreamHoldsOnlyItsOwnTimeline) {
    // The level's stream runs dry after 20 frames of data; the sprite inside it has no sound and
    // keeps the movie's rate while the level waits.
    Bytes movie = StreamMovie(120, 200);
    StreamPlayer p;
    PlayerStream stream;
    p.host.StreamInReplacingLevel0(&stream, "pipe");
    p.host.StreamInWrite(&stream, movie.data(), movie.size() * 20 / 120);
    p.Run(3000);
    ASSERT_TRUE(p.sink.StreamStarved(p.host.Level0()));
    EXPECT_LE(p.host.Level0().currentFrame, 2);
    const DisplayObject* clip = p.host.Level0().rootObject->FindChild(1);
    ASSERT_NE(clip, nullptr);
    ASSERT_NE(clip->timeline, nullptr);
    EXPECT_GE(clip->timeline->currentFrame, 25); // about 12 frames a second for 3 seconds
    EXPECT_LE(clip->timeline->currentFrame, 40);
    p.host.StreamInDestroy(&stream);
}

TEST(SoundStream, GoingBackRestartsTheStreamFromThatFrame) {
    Bytes movie = StreamMovie(120);
    StreamPlayer p;
    p.host.Load(movie.data(), movie.size());
    p.Run(2000);
    MovieLevel& level = p.host.Level0();
    ASSERT_GE(level.currentFrame, 20);
    level.Goto(3);
    level.Play(false);
    EXPECT_EQ(p.sink.StreamFrame(level), -1); // the old stream stopped with the goto
    p.Run(300);
    // A new stream from the block after frame 3, counting from that frame, leads again.
    int32_t soundFrame = p.sink.StreamFrame(level);
    EXPECT_GE(soundFrame, 4);
    EXPECT_LE(soundFrame, 9);
    EXPECT_LE(std::abs(level.currentFrame - soundFrame), 1);
    // Its samples are those of the frames after 3 (each block holds 1000 + its frame).
    auto out = p.m.Samples16();
    ASSERT_GT(out.size(), 2000u);
    EXPECT_GT(std::count_if(out.end() - 2000, out.end(),
                            [](int16_t s) { return s >= 1003 && s <= 1012; }),
              1500);
}

TEST(SoundStream, StopAndRemovalEndTheStreamAndItsSounds) {
    Bytes movie = StreamMovie(40);
    StreamPlayer p;
    p.host.Load(movie.data(), movie.size());
    p.Run(300);
    ASSERT_GE(p.sink.StreamFrame(p.host.Level0()), 0);
    EXPECT_TRUE(p.host.Level0().StreamActive());
    p.host.Level0().Stop();
    EXPECT_FALSE(p.host.Level0().StreamActive());
    EXPECT_EQ(p.sink.StreamFrame(p.host.Level0()), -1);
    p.host.Close();
    EXPECT_EQ(p.m.mixer.LiveChannels(), 0u);
}

} // namespace
} // namespace tavro::player::test
