#include "player/sound/PcmDecoder.h"

#include <algorithm>

namespace tavro::player {

void PcmDecoder::Start(const SoundRecord& sound, bool) {
    sound_ = sound;
    pos_ = 0;
}

void PcmDecoder::Seek(uint32_t samples) {
    size_t size = sound_.Data().size();
    pos_ = std::min(size, pos_ + size_t(samples) * size_t(format_.BlockAlign()));
}

size_t PcmDecoder::Decode(int16_t* out, size_t frames) {
    auto data = sound_.Data();
    size_t align = size_t(format_.BlockAlign());
    size_t n = std::min(frames, (data.size() - pos_) / align);
    size_t values = n * size_t(Channels());
    const uint8_t* p = data.data() + pos_;
    if (format_.SixteenBit()) {
        for (size_t i = 0; i < values; ++i)
            out[i] = int16_t(uint16_t(p[2 * i] | (p[2 * i + 1] << 8)));
    } else {
        for (size_t i = 0; i < values; ++i)
            out[i] = int16_t((int(p[i]) - 128) * 256);
    }
    pos_ += n * align;
    return n;
}

} // namespace tavro::player
