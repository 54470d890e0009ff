// Converts decoded 16-bit samples to the output format in powers of two. Channels: mono to
// stereo by duplication, stereo to mono by averaging. Rate: down by averaging neighbouring
// sample frames, up by inserting the midpoint of neighbours, carrying the last frame of the
// previous block so that blocks join without a click. Bits: 16 to 8 by the top byte plus 128.
#pragma once

#include "player/sound/SoundFormat.h"

#include <cstddef>
#include <cstdint>

namespace tavro::player {

class SampleConverter {
public:
    static constexpr int kMaxSteps = 3; // 5512 Hz <-> 44100 Hz

    // Forgets the carried frames (a new sound starts).
    void Reset();

    // Channel conversion of `frames` frames; `in` and `out` may not overlap.
    static void ToChannels(const int16_t* in, size_t frames, int inChannels, int outChannels,
                           int16_t* out);

    // Rate conversion of `frames` frames of `channels` channels from rate shift `fromShift` to
    // `toShift`. When halving, `frames` must be a multiple of the factor. `work` needs room
    // for the output and `out` too (frames scaled by the factor, times channels); the result
    // is in `out`. Returns the frames written.
    size_t ChangeRate(const int16_t* in, size_t frames, int channels, int fromShift, int toShift,
                      int16_t* out, int16_t* work);

    // Writes `count` samples as 16-bit little-endian or 8-bit unsigned bytes.
    static void Pack(const int16_t* in, size_t count, bool sixteenBit, uint8_t* out);

private:
    int16_t carry_[kMaxSteps][2] = {};
    bool haveCarry_[kMaxSteps] = {};
};

} // namespace tavro::player
