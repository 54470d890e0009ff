// The sound a channel plays: an SWF format byte (compression in bits 4-7), the sample count
// and the coded data. The bytes are a private copy shared between the channels that play it,
// so the sound thread never reads a movie buffer that the window thread may be growing.
#pragma once

#include "player/sound/SoundFormat.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tavro::player {

struct SoundRecord {
    static constexpr uint8_t kPcm = 0x00;
    static constexpr uint8_t kAdpcm = 0x10;
    static constexpr uint8_t kMp3 = 0x20;
    static constexpr uint8_t kPcmLittleEndian = 0x30;

    uint8_t formatByte = 0;
    uint32_t sampleCount = 0;
    int16_t mp3Seek = 0;
    std::shared_ptr<const std::vector<uint8_t>> bytes;

    uint8_t Compression() const { return formatByte & 0xF0; }
    SoundFormat Format() const { return SoundFormat::FromSwf(formatByte); }
    std::span<const uint8_t> Data() const {
        if (!bytes)
            return {};
        return {bytes->data(), bytes->size()};
    }

    static std::shared_ptr<const SoundRecord> Make(uint8_t formatByte, uint32_t sampleCount,
                                                   std::span<const uint8_t> data,
                                                   int16_t mp3Seek = 0) {
        auto r = std::make_shared<SoundRecord>();
        r->formatByte = formatByte;
        r->sampleCount = sampleCount;
        r->mp3Seek = mp3Seek;
        r->bytes = std::make_shared<const std::vector<uint8_t>>(data.begin(), data.end());
        return r;
    }
};

} // namespace tavro::player
