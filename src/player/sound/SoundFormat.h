// A PCM sample format packed in one byte, the same layout as the low four bits of an SWF sound
// format byte: bit 0 stereo, bit 1 16-bit samples, bits 2-3 the rate index (0: 5512 Hz,
// 1: 11025 Hz, 2: 22050 Hz, 3: 44100 Hz). Rates are 44100 >> shift, so every conversion between
// two of them is a power of two.
#pragma once

#include <cstdint>

namespace tavro::player {

struct SoundFormat {
    static constexpr uint8_t kStereo = 0x01;
    static constexpr uint8_t kSixteenBit = 0x02;

    uint8_t word = 0;

    static constexpr SoundFormat Make(int rateIndex, bool sixteenBit, bool stereo) {
        return SoundFormat{uint8_t(((rateIndex & 3) << 2) | (sixteenBit ? kSixteenBit : 0) |
                                   (stereo ? kStereo : 0))};
    }
    // The low nibble of an SWF sound format byte (compression in the high nibble is dropped).
    static constexpr SoundFormat FromSwf(uint8_t formatByte) {
        return SoundFormat{uint8_t(formatByte & 0x0F)};
    }

    constexpr bool Stereo() const { return word & kStereo; }
    constexpr bool SixteenBit() const { return word & kSixteenBit; }
    constexpr int RateIndex() const { return (word >> 2) & 3; }
    // 3, 2, 1, 0 for 5512, 11025, 22050, 44100 Hz.
    constexpr int RateShift() const { return 3 - RateIndex(); }
    constexpr int Rate() const { return RateIndex() == 0 ? 5512 : 44100 >> RateShift(); }
    constexpr int Channels() const { return Stereo() ? 2 : 1; }
    constexpr int BytesPerSample() const { return SixteenBit() ? 2 : 1; }
    constexpr int BlockAlign() const { return Channels() * BytesPerSample(); }

    constexpr bool operator==(const SoundFormat&) const = default;
};

} // namespace tavro::player
