// The SWF ADPCM format: a 2-bit code size (2 to 5 bits per code), then packets of 4096 sample
// frames. Each packet starts, per channel, with a 16-bit sample (the packet's first output) and
// a 6-bit step index; each following code moves the predictor by the step scaled by the code's
// magnitude bits (sign in the top bit) and moves the index through the table of its code size.
// Codes of a stereo packet alternate left, right. The last packet may be short; a code cut off
// by the end of the data ends the sound.
#pragma once

#include "player/sound/SoundDecoder.h"

namespace tavro::player {

class AdpcmDecoder : public SoundDecoder {
public:
    static constexpr uint32_t kPacketFrames = 4096;

    explicit AdpcmDecoder(uint8_t formatByte) : SoundDecoder(formatByte) {}

    void Start(const SoundRecord& sound, bool restart) override;
    void Seek(uint32_t samples) override;
    size_t Decode(int16_t* out, size_t frames) override;

private:
    uint32_t Bits(unsigned n);
    size_t BitsLeft() const;

    SoundRecord sound_;
    size_t bitPos_ = 0;
    unsigned codeBits_ = 0; // 0 until the code size has been read
    uint32_t packetFrame_ = 0;
    int predictor_[2] = {0, 0};
    int index_[2] = {0, 0};
};

} // namespace tavro::player
