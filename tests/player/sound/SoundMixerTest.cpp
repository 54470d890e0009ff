// The mixer on a virtual device: output format choice, event-sound flags and points, mixing
// and saturation, conversions between rates, sizes and channel counts, and the sound thread.
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace tavro::player::test {
namespace {

constexpr SoundFormat k22Stereo16 = SoundFormat::Make(2, true, true);
constexpr SoundFormat k22Mono16 = SoundFormat::Make(2, true, false);
constexpr SoundFormat k11Mono8 = SoundFormat::Make(1, false, false);
constexpr SoundFormat k11Stereo8 = SoundFormat::Make(1, false, true);

// The mixer opens with two buffers of silence; the sounds follow them.
size_t Lead(const CapturedMixer& m) {
    return size_t(2 * m.mixer.SamplesPerBuffer() * m.mixer.Format().Channels());
}

TEST(SoundMixer, OutputFormatStepsDownToWhatTheDeviceTakes) {
    struct Case {
        uint32_t accepted;
        SoundFormat expected;
    };
    for (Case c : {Case{0xFFFF, k22Stereo16}, Case{Accept({k22Mono16}), k22Mono16},
                   Case{Accept({k22Stereo16}), SoundFormat::Make(1, false, true)},
                   Case{Accept({k11Mono8}), k11Mono8}}) {
        CapturedMixer m(c.accepted);
        EXPECT_EQ(m.mixer.GetFormat().word, c.expected.word) << c.accepted;
    }
}

TEST(SoundMixer, NoDeviceOrARefusedOpenMeansSilenceAndNoChannels) {
    SoundMixer bare;
    bare.Init();
    EXPECT_FALSE(bare.CanPlay());
    bare.StartSound(SoundChannel::MakeEvent(Constant16(1000, 100, 2), {}, nullptr));
    EXPECT_EQ(bare.LiveChannels(), 0u);
    bare.Term();

    CapturedMixer m;
    m.device->SetOpenFails(true);
    m.Start(Constant16(1000, 100, 2));
    EXPECT_FALSE(m.mixer.IsDeviceOpen());
    EXPECT_EQ(m.mixer.LiveChannels(), 0u);
    EXPECT_FALSE(m.mixer.CanPlay());
}

TEST(SoundMixer, NoMultipleStopAndPointsDecideWhatPlays) {
    CapturedMixer m(Accept({k22Mono16}));
    auto sound = Constant16(1000, 4000, 2);
    SoundInfo once;
    once.flags = SoundInfo::kNoMultiple;
    m.Start(sound, once);
    m.Start(sound, once);
    EXPECT_EQ(m.mixer.LiveChannels(), 1u);
    m.device->Advance(100);
    auto out = m.Samples16();
    ASSERT_GT(out.size(), Lead(m) + 10);
    EXPECT_EQ(out[Lead(m) + 5], 1000); // played once, not twice as loud

    SoundInfo stop;
    stop.flags = SoundInfo::kStop;
    m.Start(sound, stop);
    EXPECT_EQ(m.mixer.LiveChannels(), 0u);
    EXPECT_FALSE(m.mixer.IsPlaying(sound.get()));

    // An in-point beyond the sample count (44-kHz units, shifted to 22 kHz) plays nothing, and
    // so does an out-point at or before the in-point.
    SoundInfo late;
    late.flags = SoundInfo::kHasInPoint;
    late.inPoint = 2 * 4000;
    m.Start(sound, late);
    SoundInfo empty;
    empty.flags = SoundInfo::kHasInPoint | SoundInfo::kHasOutPoint;
    empty.inPoint = empty.outPoint = 200;
    m.Start(sound, empty);
    EXPECT_EQ(m.mixer.LiveChannels(), 0u);
}

TEST(SoundMixer, InOutPointsAndLoopsCutAndRepeatTheSound) {
    CapturedMixer m(Accept({k22Mono16}));
    std::vector<int16_t> ramp(300);
    for (int i = 0; i < 300; ++i)
        ramp[size_t(i)] = int16_t(i + 1);
    SoundInfo info;
    info.flags = SoundInfo::kHasInPoint | SoundInfo::kHasOutPoint | SoundInfo::kHasLoops;
    info.inPoint = 20;   // sample 10 at 22 kHz
    info.outPoint = 100; // sample 50
    info.loopCount = 3;
    m.Start(Pcm16(ramp, 2), info);
    m.device->Advance(200);
    auto out = m.Samples16();
    std::vector<int16_t> expected;
    for (int loop = 0; loop < 3; ++loop)
        for (int s = 10; s < 50; ++s)
            expected.push_back(int16_t(s + 1));
    ASSERT_GT(out.size(), Lead(m) + expected.size() + 10);
    std::vector<int16_t> got(out.begin() + ptrdiff_t(Lead(m)),
                             out.begin() + ptrdiff_t(Lead(m) + expected.size() + 10));
    expected.resize(expected.size() + 10, 0);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(m.mixer.LiveChannels(), 0u);
}

TEST(SoundMixer, SixteenBitMixSaturatesAndMixesAtMostEightChannels) {
    CapturedMixer m(Accept({k22Mono16}));
    m.Start(Constant16(30000, 50, 2));
    m.Start(Constant16(30000, 50, 2));
    m.Start(Constant16(-30000, 100, 2)); // alone after sample 50: 30000+30000-30000
    m.Start(Constant16(-30000, 100, 2));
    m.Start(Constant16(-30000, 100, 2));
    m.device->Advance(100);
    auto out = m.Samples16();
    size_t at = Lead(m);
    ASSERT_GT(out.size(), at + 60);
    EXPECT_EQ(out[at + 10], -30000); // 60000 - 90000
    EXPECT_EQ(out[at + 60], -32768); // -90000 clamps

    CapturedMixer nine(Accept({k22Mono16}));
    for (int i = 0; i < 9; ++i)
        nine.Start(Constant16(100, 3000, 2));
    nine.device->Advance(400);
    out = nine.Samples16();
    at = Lead(nine);
    // The ninth waits while eight play, then plays in full once they have ended.
    EXPECT_EQ(std::count(out.begin(), out.begin() + ptrdiff_t(at + 3000), 800), 3000);
    EXPECT_EQ(std::count(out.begin(), out.end(), 100), 3000);
}

TEST(SoundMixer, EightBitOutputSilenceAndClamping) {
    // Three channels at 0x00 sum to -384 around the midpoint: clamped at 0. Two at 0xFF sum to
    // +254: clamped at 255. Silence (before, between and after) is 0x80.
    CapturedMixer m(Accept({k11Mono8}));
    for (int i = 0; i < 3; ++i)
        m.Start(Pcm8(std::vector<uint8_t>(200, 0x00), 1));
    ASSERT_EQ(m.mixer.Format().word, k11Mono8.word);
    m.device->Advance(200);
    const auto& out = m.device->Captured();
    size_t at = Lead(m);
    ASSERT_GT(out.size(), at + 1000);
    for (size_t i = 0; i < at; ++i)
        ASSERT_EQ(out[i], 0x80) << i;
    EXPECT_EQ(out[at + 5], 0x00);
    EXPECT_EQ(out[at + 500], 0x80);

    CapturedMixer hi(Accept({k11Mono8}));
    hi.Start(Pcm8(std::vector<uint8_t>(200, 0xFF), 1));
    hi.Start(Pcm8(std::vector<uint8_t>(200, 0xFF), 1));
    hi.device->Advance(100);
    EXPECT_EQ(hi.device->Captured()[Lead(hi) + 5], 255);
}

TEST(SoundMixer, RatesConvertInPowersOfTwo) {
    // 5512 Hz ramp x[i] = 400 i into 22050 Hz: two doublings, each putting the midpoint of a
    // frame and the one before ahead of the frame (the first frame is its own predecessor):
    //   x      0 400 800 1200
    //   once   0 0 200 400 600 800 1000 1200
    //   twice  0 0 0 0 100 200 300 400 500 ...   i.e. 100 (j - 3) from j = 3 on
    {
        CapturedMixer m;
        ASSERT_EQ(m.mixer.GetFormat().word, k22Stereo16.word);
        std::vector<int16_t> ramp(256);
        for (int i = 0; i < 256; ++i)
            ramp[size_t(i)] = int16_t(400 * i);
        m.Start(Pcm16(ramp, 0));
        m.device->Advance(100);
        auto out = m.Samples16();
        size_t at = Lead(m);
        ASSERT_GT(out.size(), at + 80);
        for (int j = 0; j < 40; ++j) {
            int want = j < 3 ? 0 : 100 * (j - 3);
            ASSERT_EQ(out[at + 2 * size_t(j)], want) << j;     // left
            ASSERT_EQ(out[at + 2 * size_t(j) + 1], want) << j; // right, duplicated
        }
    }
    // 44100 Hz ramp x[i] = 8 i, halved once into 22050 Hz: 16 k + 4; halved twice into
    // 11025 Hz (8-bit output): 32 m + 12, of which the 8-bit output keeps the top byte.
    std::vector<int16_t> ramp(4096);
    for (int i = 0; i < 4096; ++i)
        ramp[size_t(i)] = int16_t(8 * i);
    {
        CapturedMixer m(Accept({k22Mono16}));
        m.Start(Pcm16(ramp, 3));
        m.device->Advance(250);
        auto out = m.Samples16();
        size_t at = Lead(m);
        ASSERT_GT(out.size(), at + 2048);
        for (int k = 0; k < 2048; ++k)
            ASSERT_EQ(out[at + size_t(k)], 16 * k + 4) << k;
    }
    {
        CapturedMixer m(Accept({k11Mono8}));
        m.Start(Pcm16(ramp, 3));
        m.device->Advance(300);
        const auto& out = m.device->Captured();
        size_t at = Lead(m);
        ASSERT_GT(out.size(), at + 1024);
        for (int j = 0; j < 1024; ++j)
            ASSERT_EQ(out[at + size_t(j)], ((32 * j + 12) >> 8) + 128) << j;
    }
}

TEST(SoundMixer, SampleSizesAndChannelCountsConvert) {
    // 8-bit 0xC0 is 64 above silence: 16384 in 16 bits. Stereo (1000, 3000) into mono: 2000.
    CapturedMixer m(Accept({k22Mono16}));
    m.Start(Pcm8(std::vector<uint8_t>(100, 0xC0), 2));
    std::vector<int16_t> stereo;
    for (int i = 0; i < 100; ++i) {
        stereo.push_back(1000);
        stereo.push_back(3000);
    }
    m.Start(Pcm16(stereo, 2, true));
    m.device->Advance(100);
    ASSERT_GT(m.Samples16().size(), Lead(m) + 3);
    EXPECT_EQ(m.Samples16()[Lead(m) + 3], 16384 + 2000);

    // 16-bit extremes into 8-bit: -32768 -> 0x00, 32767 -> 0xFF.
    CapturedMixer e(Accept({k11Mono8}));
    e.Start(Pcm16({-32768, -32768, 32767, 32767}, 1));
    e.device->Advance(100);
    const auto& out = e.device->Captured();
    ASSERT_GT(out.size(), Lead(e) + 2);
    EXPECT_EQ(out[Lead(e)], 0x00);
    EXPECT_EQ(out[Lead(e) + 2], 0xFF);
}

TEST(SoundMixer, EnvelopePointsScaleLeftAndRight) {
    CapturedMixer m;
    SoundInfo info;
    info.flags = SoundInfo::kHasEnvelope;
    info.envelopeCount = 2;
    info.envelope[0] = {0, 0, 32768};    // left silent, right full
    info.envelope[1] = {2000, 32768, 0}; // crossing over 1000 samples at 22 kHz
    m.Start(Constant16(8000, 2000, 2), info);
    m.device->Advance(200);
    auto out = m.Samples16();
    size_t at = Lead(m);
    ASSERT_GT(out.size(), at + 2 * 1500 + 1);
    EXPECT_EQ(out[at], 0);
    EXPECT_EQ(out[at + 1], 8000);
    EXPECT_EQ(out[at + 2 * 500], 4000); // halfway: position 1000 of 2000
    EXPECT_EQ(out[at + 2 * 500 + 1], 4000);
    EXPECT_EQ(out[at + 2 * 1500], 8000); // held after the last point
    EXPECT_EQ(out[at + 2 * 1500 + 1], 0);
}

TEST(SoundMixer, StopByOwnerAndStopAll) {
    CapturedMixer m;
    int a = 0, b = 0;
    m.Start(Constant16(1, 100000, 2), {}, &a);
    m.Start(Constant16(1, 100000, 2), {}, &a);
    m.Start(Constant16(1, 100000, 2), {}, &b);
    m.mixer.StopOwner(&a);
    EXPECT_EQ(m.mixer.LiveChannels(), 1u);
    m.mixer.StopAll();
    EXPECT_EQ(m.mixer.LiveChannels(), 0u);
}

TEST(SoundMixer, TheSoundThreadRefillsBuffersAsTheyFinish) {
    CapturedMixer m(Accept({k22Mono16}), /*servicesMixer=*/false);
    m.Start(Constant16(1234, 22050, 2));
    // Play in small steps, giving the thread time to refill after each finished buffer.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (m.device->Captured().size() < 2 * (22050 + 4096) &&
           std::chrono::steady_clock::now() < deadline) {
        if (m.device->QueuedBuffers() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        m.device->AdvanceFrames(256);
    }
    auto out = m.Samples16();
    ASSERT_GE(out.size(), size_t(22050));
    EXPECT_EQ(m.device->UnderrunFrames(), 0u);
    size_t sounding = std::count(out.begin(), out.end(), int16_t(1234));
    EXPECT_EQ(sounding, 22050u);
    EXPECT_GT(m.mixer.BufferCount(), 2);
    EXPECT_LE(m.mixer.BufferCount(), SoundMixer::kMaxBuffers);
    m.mixer.Term();
    m.mixer.Init(); // the fixture terminates once more
    EXPECT_FALSE(m.mixer.IsDeviceOpen());
}

} // namespace
} // namespace tavro::player::test
