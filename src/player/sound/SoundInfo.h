// The sound-info record that starts an event sound (StartSound, button sound slots): sync
// flags, in and out points (44-kHz units), loop count and up to 8 envelope points.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tavro::player {

class BitReader;

struct SoundInfo {
    static constexpr uint8_t kHasInPoint = 0x01;
    static constexpr uint8_t kHasOutPoint = 0x02;
    static constexpr uint8_t kHasLoops = 0x04;
    static constexpr uint8_t kHasEnvelope = 0x08;
    static constexpr uint8_t kNoMultiple = 0x10;
    static constexpr uint8_t kStop = 0x20;
    static constexpr int kMaxEnvelopePoints = 8;
    static constexpr uint16_t kFullLevel = 32768;

    struct EnvelopePoint {
        uint32_t position44 = 0; // in 44-kHz samples from the start of the sound
        uint16_t left = kFullLevel;
        uint16_t right = kFullLevel;
    };

    uint8_t flags = 0;
    uint32_t inPoint = 0;
    uint32_t outPoint = 0;
    uint16_t loopCount = 0;
    uint8_t envelopeCount = 0; // points kept (at most 8; further points are read and dropped)
    std::array<EnvelopePoint, kMaxEnvelopePoints> envelope{};

    bool Stop() const { return flags & kStop; }
    bool NoMultiple() const { return flags & kNoMultiple; }
    // Times the sound is played: the loop count, at least once.
    int Plays() const { return (flags & kHasLoops) && loopCount > 1 ? loopCount : 1; }

    // Reads the record at the reader's position; false (and the reader not ok) when it is
    // truncated.
    static bool Read(BitReader& r, SoundInfo& out);

    // Envelope level (0..65535, 32768 = unchanged) of channel 0 (left) or 1 (right) at a
    // position in 44-kHz samples: linear between points, held before the first and after the
    // last. Without points the level is 32768.
    int Level(uint64_t position44, int channel) const;

    // The slot of a DefineButtonSound body (after the button id) that a button transition
    // event (0..8) plays: the bytes from the slot's sound id on, or an empty span when the
    // event has no slot, the slot's id is 0 or the body is damaged.
    static std::span<const uint8_t> ButtonSlot(std::span<const uint8_t> body, int event);
};

} // namespace tavro::player
