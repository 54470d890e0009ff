// The random numbers of the RandomNumber action: a 32-bit linear-feedback shift register (mask
// 0xA3000000) hashed through an integer noise function, so that consecutive register states give
// well-spread values.
#pragma once

#include <cstdint>

namespace tavro::player {

class RandomSource {
public:
    bool Seeded() const { return seeded_; }
    // Seeds the register (masked to 31 bits). A zero seed would lock the register at zero for
    // good, so it is replaced by 1.
    void Seed(uint32_t seed);
    // A value in 0..max-1; 0 when max < 1.
    int64_t Next(int64_t max);

    // The integer noise function, exposed for tests.
    static uint32_t Hash(uint32_t x);

private:
    uint32_t state_ = 1;
    bool seeded_ = false;
};

} // namespace tavro::player
