// The SDL wave output without a sound card: SDL's "dummy" driver (a device that takes any
// format), its "disk" driver writing to a file that cannot be created (SDL reports a device, but
// it never opens), and a driver that does not exist.
#if TAVRO_HAVE_SDL_AUDIO

#include "player/host/SdlWaveOutput.h"
#include "player/sound/SoundMixer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace tavro::player {
namespace {

class NoListener : public WaveOutput::Listener {
public:
    void BufferDone(WaveHeader&) override {}
    void Service() override {}
};

// Sets an environment variable for the lifetime of the object (SDL reads the driver name when
// its audio subsystem starts, and each SdlWaveOutput starts and stops it).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::vector<SoundFormat> AllFormats() {
    std::vector<SoundFormat> all;
    for (int rate = 0; rate < 4; ++rate)
        for (bool sixteen : {false, true})
            for (bool stereo : {false, true})
                all.push_back(SoundFormat::Make(rate, sixteen, stereo));
    return all;
}

TEST(SdlWaveOutput, ADeviceThatNeverOpensSupportsNoFormat) {
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", "/nonexistent-folder/tavro-sound.raw");
    auto started = std::chrono::steady_clock::now();
    auto out = std::make_shared<SdlWaveOutput>();
    for (SoundFormat f : AllFormats())
        EXPECT_FALSE(out->Supports(f)) << int(f.word);
    NoListener listener;
    EXPECT_FALSE(out->Open(SoundFormat::Make(2, true, true), listener));

    // The mixer then steps down to its last choice, and stays silent.
    SoundMixer mixer;
    mixer.SetDevice(out);
    EXPECT_EQ(mixer.GetFormat().word, SoundFormat::Make(1, false, false).word);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(SdlWaveOutput, NoDriverSupportsNoFormat) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SdlWaveOutput out;
    EXPECT_FALSE(out.Supports(SoundFormat::Make(2, true, true)));
    EXPECT_FALSE(out.Supports(SoundFormat::Make(1, false, false)));
    NoListener listener;
    EXPECT_FALSE(out.Open(SoundFormat::Make(2, true, true), listener));
}

TEST(SdlWaveOutput, ADeviceThatTakesEveryFormatSupportsEachAndStillOpens) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    auto out = std::make_shared<SdlWaveOutput>();
    for (SoundFormat f : AllFormats())
        EXPECT_TRUE(out->Supports(f)) << int(f.word);
    SoundMixer mixer;
    mixer.SetDevice(out);
    EXPECT_EQ(mixer.GetFormat().word, SoundFormat::Make(2, true, true).word);

    // The probes closed their devices: the real open succeeds, and the open device answers for
    // its own format.
    NoListener listener;
    SoundFormat mono8 = SoundFormat::Make(1, false, false);
    ASSERT_TRUE(out->Open(mono8, listener));
    EXPECT_TRUE(out->Supports(mono8));
    out->Close();
}

} // namespace
} // namespace tavro::player

#endif // TAVRO_HAVE_SDL_AUDIO
