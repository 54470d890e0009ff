// Uncompressed sound data: 8-bit unsigned or 16-bit little-endian samples, interleaved when
// stereo. 8-bit samples are widened as (s - 128) << 8, so 8-bit output gives them back exactly.
#pragma once

#include "player/sound/SoundDecoder.h"

namespace tavro::player {

class PcmDecoder : public SoundDecoder {
public:
    explicit PcmDecoder(uint8_t formatByte) : SoundDecoder(formatByte) {}

    void Start(const SoundRecord& sound, bool restart) override;
    void Seek(uint32_t samples) override;
    size_t Decode(int16_t* out, size_t frames) override;

private:
    SoundRecord sound_;
    size_t pos_ = 0;
};

} // namespace tavro::player
