// Maps device positions back into the space of a gradient or bitmap fill: the inverse of
// (fill matrix, then the object's device matrix), kept with 32 fractional bits so that stepping
// across a wide span does not drift.
#pragma once

#include "player/Matrix16.h"

#include <cstdint>

namespace tavro::player::render {

struct FillMap {
    // u = a*x + c*y + tx, v = b*x + d*y + ty, all in 32.32 fixed point.
    int64_t a = 0, b = 0, c = 0, d = 0, tx = 0, ty = 0;

    // Inverse of `fill` followed by `toDevice`; false when the product is singular.
    bool Build(const Matrix16& fill, const Matrix16& toDevice);

    // Terms are capped at 2^14 fill units per device unit (a gradient square squeezed into two
    // device units) and positions at 2^29 units, so that a position plus 1024 steps of any
    // term stays far inside 64 bits.
    static constexpr int64_t kTermLimit = int64_t(1) << 46;
    static constexpr int64_t kPositionLimit = int64_t(1) << 61;

    // Fill-space position of the device point (x2 / 2, y2 / 2) (half-unit coordinates, so
    // that pixel and sample centres are exact).
    int64_t U(int32_t x2, int32_t y2) const { return At(a, c, tx, x2, y2); }
    int64_t V(int32_t x2, int32_t y2) const { return At(b, d, ty, x2, y2); }

private:
    static int64_t At(int64_t p, int64_t q, int64_t t, int32_t x2, int32_t y2) {
        __int128 v = ((__int128(p) * x2 + __int128(q) * y2) >> 1) + t;
        return int64_t(v > kPositionLimit    ? kPositionLimit
                       : v < -kPositionLimit ? -kPositionLimit
                                             : v);
    }
};

} // namespace tavro::player::render
