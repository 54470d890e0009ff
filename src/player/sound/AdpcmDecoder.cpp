#include "player/sound/AdpcmDecoder.h"

#include <algorithm>

namespace tavro::player {

namespace {

constexpr int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index moves by the magnitude bits of a code, one table per code size.
constexpr int kIndex2[2] = {-1, 2};
constexpr int kIndex3[4] = {-1, -1, 2, 4};
constexpr int kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

constexpr unsigned kHeaderBits = 16 + 6;

} // namespace

void AdpcmDecoder::Start(const SoundRecord& sound, bool) {
    sound_ = sound;
    bitPos_ = 0;
    codeBits_ = 0;
    packetFrame_ = 0;
    predictor_[0] = predictor_[1] = 0;
    index_[0] = index_[1] = 0;
    if (BitsLeft() >= 2)
        codeBits_ = Bits(2) + 2;
}

size_t AdpcmDecoder::BitsLeft() const {
    size_t total = sound_.Data().size() * 8;
    return total > bitPos_ ? total - bitPos_ : 0;
}

uint32_t AdpcmDecoder::Bits(unsigned n) {
    // Callers check BitsLeft() first.
    auto data = sound_.Data();
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i, ++bitPos_)
        v = (v << 1) | ((data[bitPos_ >> 3] >> (7 - (bitPos_ & 7))) & 1);
    return v;
}

void AdpcmDecoder::Seek(uint32_t samples) {
    // Whole packets are skipped without decoding: every full packet has the same length.
    if (codeBits_ != 0) {
        size_t channels = size_t(Channels());
        size_t packetBits = channels * (kHeaderBits + (kPacketFrames - 1) * codeBits_);
        while (packetFrame_ == 0 && samples >= kPacketFrames && BitsLeft() >= packetBits) {
            bitPos_ += packetBits;
            samples -= kPacketFrames;
        }
    }
    SoundDecoder::Seek(samples);
}

size_t AdpcmDecoder::Decode(int16_t* out, size_t frames) {
    if (codeBits_ == 0)
        return 0;
    const int channels = Channels();
    const unsigned signBit = 1u << (codeBits_ - 1);
    const int* indexTable = kIndexTables[codeBits_ - 2];
    size_t done = 0;
    while (done < frames) {
        if (packetFrame_ == 0) {
            if (BitsLeft() < kHeaderBits * unsigned(channels))
                break;
            for (int c = 0; c < channels; ++c) {
                predictor_[c] = int16_t(uint16_t(Bits(16)));
                index_[c] = std::min<int>(int(Bits(6)), 88);
                *out++ = int16_t(predictor_[c]);
            }
        } else {
            if (BitsLeft() < codeBits_ * unsigned(channels))
                break;
            for (int c = 0; c < channels; ++c) {
                unsigned code = Bits(codeBits_);
                int step = kStepTable[index_[c]];
                int delta = step >> (codeBits_ - 1);
                for (unsigned mask = signBit >> 1; mask; mask >>= 1) {
                    if (code & mask)
                        delta += step;
                    step >>= 1;
                }
                int p = (code & signBit) ? predictor_[c] - delta : predictor_[c] + delta;
                predictor_[c] = std::clamp(p, -32768, 32767);
                index_[c] = std::clamp(index_[c] + indexTable[code & (signBit - 1)], 0, 88);
                *out++ = int16_t(predictor_[c]);
            }
        }
        packetFrame_ = (packetFrame_ + 1) % kPacketFrames;
        ++done;
    }
    return done;
}

} // namespace tavro::player
