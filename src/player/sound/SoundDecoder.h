// Turns the coded data of a sound into 16-bit samples of the sound's own rate and channel count
// (interleaved when stereo). The channel converts them to the output format afterwards.
//
// An event sound gives its whole data to Start(); a stream gives one block at a time, each by
// a Start() of its own, and its decoder carries state from block to block unless restarted.
#pragma once

#include "player/sound/SoundRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavro::player {

class SoundDecoder {
public:
    virtual ~SoundDecoder() = default;

    // A decoder for the compression in bits 4-7 of `formatByte` (PCM 0x00 and 0x30, ADPCM 0x10,
    // MP3 0x20), or nullptr when there is none. A `streaming` decoder never treats the end of
    // its current data as the end of the sound.
    static std::unique_ptr<SoundDecoder> Create(uint8_t formatByte, bool streaming);

    // Starts on `sound`'s data. `restart` drops what earlier data left behind.
    virtual void Start(const SoundRecord& sound, bool restart) = 0;
    // Skips `samples` sample frames.
    virtual void Seek(uint32_t samples);
    // Decodes up to `frames` sample frames into `out` (Channels() values per frame). Fewer
    // frames mean the current data is used up, or Failed().
    virtual size_t Decode(int16_t* out, size_t frames) = 0;

    int Channels() const { return format_.Channels(); }
    SoundFormat Format() const { return format_; }
    // Damaged data the decoder cannot go on with: the channel stops.
    bool Failed() const { return failed_; }

protected:
    explicit SoundDecoder(uint8_t formatByte) : format_(SoundFormat::FromSwf(formatByte)) {}

    SoundFormat format_;
    bool failed_ = false;
};

} // namespace tavro::player
