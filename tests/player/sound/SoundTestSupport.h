// Shared pieces of the sound tests: fixture files, sounds built from sample values, and a mixer
// on a virtual device whose output is captured.
#pragma once

#include "player/sound/SoundChannel.h"
#include "player/sound/SoundInfo.h"
#include "player/sound/SoundMixer.h"
#include "player/sound/SoundRecord.h"
#include "player/sound/VirtualWaveOutput.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tavro::player::test {

inline std::vector<uint8_t> ReadSoundFixture(const std::string& name) {
    std::ifstream f(std::string(TAVRO_TEST_DATA_DIR) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    return s;
}

// An SWF format byte: compression (0x00, 0x10, 0x20, 0x30), rate index, 16-bit, stereo.
inline uint8_t FormatByte(uint8_t compression, int rateIndex, bool sixteen, bool stereo) {
    return uint8_t(compression | SoundFormat::Make(rateIndex, sixteen, stereo).word);
}

// A 16-bit PCM sound from sample values (interleaved when stereo).
inline std::shared_ptr<const SoundRecord> Pcm16(const std::vector<int16_t>& samples, int rateIndex,
                                                bool stereo = false) {
    std::vector<uint8_t> data;
    for (int16_t s : samples) {
        data.push_back(uint8_t(uint16_t(s)));
        data.push_back(uint8_t(uint16_t(s) >> 8));
    }
    uint32_t frames = uint32_t(samples.size() / (stereo ? 2 : 1));
    return SoundRecord::Make(FormatByte(0x30, rateIndex, true, stereo), frames, data);
}

inline std::shared_ptr<const SoundRecord> Pcm8(const std::vector<uint8_t>& samples, int rateIndex) {
    return SoundRecord::Make(FormatByte(0x00, rateIndex, false, false), uint32_t(samples.size()),
                             samples);
}

inline std::shared_ptr<const SoundRecord> Constant16(int16_t value, size_t frames, int rateIndex) {
    return Pcm16(std::vector<int16_t>(frames, value), rateIndex);
}

// A mixer on a virtual device that accepts the formats in `accepted` and captures its output.
struct CapturedMixer {
    explicit CapturedMixer(uint32_t accepted = 0xFFFF, bool servicesMixer = true)
        : device(std::make_shared<VirtualWaveOutput>(servicesMixer)) {
        device->SetAcceptedFormats(accepted);
        device->SetCapture(true);
        mixer.SetDevice(device);
        mixer.Init();
    }
    ~CapturedMixer() { mixer.Term(); }

    void Start(std::shared_ptr<const SoundRecord> sound, const SoundInfo& info = {},
               const void* owner = nullptr) {
        mixer.StartSound(SoundChannel::MakeEvent(std::move(sound), info, owner));
    }
    // The 16-bit output captured so far, as sample values.
    std::vector<int16_t> Samples16() const { return ToSamples(device->Captured()); }

    std::shared_ptr<VirtualWaveOutput> device;
    SoundMixer mixer;
};

// Format-word bits for VirtualWaveOutput::SetAcceptedFormats.
inline uint32_t Accept(std::initializer_list<SoundFormat> formats) {
    uint32_t mask = 0;
    for (SoundFormat f : formats)
        mask |= 1u << f.word;
    return mask;
}

} // namespace tavro::player::test
