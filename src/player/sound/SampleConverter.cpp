#include "player/sound/SampleConverter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavro::player {

void SampleConverter::Reset() {
    for (int i = 0; i < kMaxSteps; ++i)
        haveCarry_[i] = false;
}

void SampleConverter::ToChannels(const int16_t* in, size_t frames, int inChannels, int outChannels,
                                 int16_t* out) {
    if (inChannels == outChannels) {
        std::memcpy(out, in, frames * size_t(inChannels) * sizeof(int16_t));
    } else if (inChannels == 1) {
        for (size_t i = 0; i < frames; ++i)
            out[2 * i] = out[2 * i + 1] = in[i];
    } else {
        for (size_t i = 0; i < frames; ++i)
            out[i] = int16_t((int(in[2 * i]) + int(in[2 * i + 1])) >> 1);
    }
}

size_t SampleConverter::ChangeRate(const int16_t* in, size_t frames, int channels, int fromShift,
                                   int toShift, int16_t* out, int16_t* work) {
    const size_t ch = size_t(channels);
    if (fromShift == toShift) {
        std::memcpy(out, in, frames * ch * sizeof(int16_t));
        return frames;
    }
    int steps = std::abs(fromShift - toShift);
    steps = std::min(steps, kMaxSteps);
    // Each step reads from `src` and writes to the buffer that is not `src`, ending in `out`.
    const int16_t* src = in;
    int16_t* dst = (steps % 2 == 1) ? out : work;
    size_t n = frames;
    for (int s = 0; s < steps; ++s) {
        if (fromShift > toShift) {
            // Doubling: before each frame, the midpoint of it and the frame before.
            for (size_t c = 0; c < ch; ++c) {
                int prev = haveCarry_[s] ? carry_[s][c] : (n > 0 ? src[c] : 0);
                for (size_t i = 0; i < n; ++i) {
                    int cur = src[i * ch + c];
                    dst[(2 * i) * ch + c] = int16_t((prev + cur) >> 1);
                    dst[(2 * i + 1) * ch + c] = int16_t(cur);
                    prev = cur;
                }
                if (n > 0)
                    carry_[s][c] = int16_t(prev);
            }
            if (n > 0)
                haveCarry_[s] = true;
            n *= 2;
        } else {
            // Halving: the average of each pair (a lone last frame is kept as it is).
            size_t pairs = n / 2;
            for (size_t c = 0; c < ch; ++c) {
                for (size_t i = 0; i < pairs; ++i)
                    dst[i * ch + c] =
                        int16_t((int(src[(2 * i) * ch + c]) + int(src[(2 * i + 1) * ch + c])) >> 1);
                if (n % 2)
                    dst[pairs * ch + c] = src[(n - 1) * ch + c];
            }
            n = pairs + n % 2;
        }
        src = dst;
        dst = (dst == out) ? work : out;
    }
    return n;
}

void SampleConverter::Pack(const int16_t* in, size_t count, bool sixteenBit, uint8_t* out) {
    if (sixteenBit) {
        for (size_t i = 0; i < count; ++i) {
            uint16_t v = uint16_t(in[i]);
            out[2 * i] = uint8_t(v);
            out[2 * i + 1] = uint8_t(v >> 8);
        }
    } else {
        for (size_t i = 0; i < count; ++i)
            out[i] = uint8_t((in[i] >> 8) + 128);
    }
}

} // namespace tavro::player
