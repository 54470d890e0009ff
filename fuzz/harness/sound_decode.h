// The sound_decode fuzz target, shared with the test that replays its corpus. Decodes
// arbitrary bytes as sound data of every codec. Input: the SWF sound format byte, a control
// byte (bit 0 streaming, bits 1-4 the output format, bits 5-7 a seek), then the data.
// Damage must end the sound or stop the channel: never a crash, a hang or a read outside the
// input.
#pragma once

#include "player/BitReader.h"
#include "player/sound/Mp3FrameHeader.h"
#include "player/sound/SoundChannel.h"
#include "player/sound/SoundDecoder.h"
#include "player/sound/SoundInfo.h"
#include "player/sound/SoundMixer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavro::fuzz {

inline void RunSoundDecode(const uint8_t* data, size_t size) {
    using namespace tavro::player;
    if (size < 2)
        return;
    const uint8_t format = data[0];
    const uint8_t control = data[1];
    std::span<const uint8_t> body(data + 2, size - 2);
    auto sound = SoundRecord::Make(format, 1u << 20, body);

    // The decoder alone, with a bounded number of calls.
    if (auto d = SoundDecoder::Create(format, control & 1)) {
        d->Start(*sound, true);
        d->Seek(uint32_t(control >> 5) * 1000);
        std::vector<int16_t> out(2 * 1500);
        for (int i = 0; i < 64 && d->Decode(out.data(), 1500) == 1500; ++i) {
        }
        // A second block on the same decoder, as a stream would give it.
        d->Start(*sound, false);
        d->Decode(out.data(), 1500);
    }

    // Through a channel: rate, size and channel conversion into the chosen output format.
    SoundInfo info;
    BitReader r(body.data(), body.size());
    if (SoundInfo::Read(r, info)) {
        info.flags &= ~(SoundInfo::kStop | SoundInfo::kNoMultiple);
        info.loopCount = uint16_t(info.loopCount % 4);
    }
    (void)SoundInfo::ButtonSlot(body, control % 9);
    if (auto ch = SoundChannel::MakeEvent(sound, info, nullptr)) {
        ch->SetRange(0, sound->sampleCount);
        SoundMixer mixer; // no device: only its lock is used
        SoundFormat out{uint8_t((control >> 1) & 0x0F)};
        std::vector<uint8_t> buffer(8192);
        uint32_t frames = uint32_t(2048 >> out.RateShift());
        for (int i = 0; i < 16 && !ch->StopRequested(); ++i)
            ch->Render(buffer.data(), out, frames, mixer);
    }

    Mp3FrameHeader h;
    for (size_t pos = 0;
         pos < body.size() && Mp3FrameHeader::Parse(body.data() + pos, body.size() - pos, h);) {
        pos += h.frameBytes;
    }
}

} // namespace tavro::fuzz
