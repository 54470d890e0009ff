#include "player/sound/Mp3FrameHeader.h"

namespace tavro::player {

bool Mp3FrameHeader::Parse(const uint8_t* p, size_t available, Mp3FrameHeader& out) {
    static constexpr int kRatesV1[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                         112, 128, 160, 192, 224, 256, 320};
    static constexpr int kRatesV2[15] = {0,  8,  16, 24,  32,  40,  48, 56,
                                         64, 80, 96, 112, 128, 144, 160};
    static constexpr int kSampleRatesV1[3] = {44100, 48000, 32000};

    if (available < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    int versionBits = (p[1] >> 3) & 3;
    int layerBits = (p[1] >> 1) & 3;
    int rateIndex = p[2] >> 4;
    int srIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || rateIndex == 0 || rateIndex == 15 || srIndex == 3)
        return false;
    Mp3FrameHeader h;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h.bitRate = h.version == 1 ? kRatesV1[rateIndex] : kRatesV2[rateIndex];
    h.sampleRate = kSampleRatesV1[srIndex] >> (h.version == 1 ? 0 : h.version == 2 ? 1 : 2);
    h.padding = (p[2] >> 1) & 1;
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    h.samplesPerFrame = h.version == 1 ? 1152 : 576;
    int factor = h.version == 1 ? 144 : 72;
    h.frameBytes = uint32_t(factor * h.bitRate * 1000 / h.sampleRate + (h.padding ? 1 : 0));
    out = h;
    return true;
}

} // namespace tavro::player
