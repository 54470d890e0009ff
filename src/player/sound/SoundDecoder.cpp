#include "player/sound/SoundDecoder.h"

#include "player/sound/AdpcmDecoder.h"
#include "player/sound/Mp3SoundDecoder.h"
#include "player/sound/PcmDecoder.h"

#include <array>

namespace tavro::player {

std::unique_ptr<SoundDecoder> SoundDecoder::Create(uint8_t formatByte, bool streaming) {
    switch (formatByte & 0xF0) {
    case SoundRecord::kPcm:
    case SoundRecord::kPcmLittleEndian:
        return std::make_unique<PcmDecoder>(formatByte);
    case SoundRecord::kAdpcm:
        return std::make_unique<AdpcmDecoder>(formatByte);
    case SoundRecord::kMp3:
        return std::make_unique<Mp3SoundDecoder>(formatByte, streaming);
    default:
        return nullptr;
    }
}

void SoundDecoder::Seek(uint32_t samples) {
    std::array<int16_t, 2048> scratch;
    size_t perCall = scratch.size() / size_t(Channels());
    while (samples > 0) {
        size_t n = Decode(scratch.data(), std::min<size_t>(samples, perCall));
        if (n == 0)
            break;
        samples -= uint32_t(n);
    }
}

} // namespace tavro::player
