#include "player/actions/RandomSource.h"

namespace tavro::player {

namespace {
// Arithmetic shift right of the 32-bit pattern.
uint32_t Sar(uint32_t v, int n) {
    return uint32_t(int32_t(v) >> n);
}
} // namespace

void RandomSource::Seed(uint32_t seed) {
    state_ = seed & 0x7FFFFFFF;
    if (state_ == 0)
        state_ = 1;
    seeded_ = true;
}

uint32_t RandomSource::Hash(uint32_t x) {
    uint32_t t = ((x << 13) ^ x) - Sar(x, 21);
    uint32_t u = (((t * t * 15731u + 789221u) * t - 771171059u) & 0x7FFFFFFFu) + t;
    return ((u << 13) ^ u) - Sar(u, 21);
}

int64_t RandomSource::Next(int64_t max) {
    bool out = state_ & 1;
    state_ >>= 1;
    if (out)
        state_ ^= 0xA3000000u;
    uint32_t h = Hash(state_ * 71u);
    if (max < 1)
        return 0;
    return int64_t(h & 0x7FFFFFFFu) % max;
}

} // namespace tavro::player
