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

    // Fill-space position of the device point (x2 / 2, y2 / 2) (half-unit coordinates, so
    // that pixel and sample centres are exact).
    int64_t U(int32_t x2, int32_t y2) const { return ((a * x2 + c * y2) >> 1) + tx; }
    int64_t V(int32_t x2, int32_t y2) const { return ((b * x2 + d * y2) >> 1) + ty; }
};

} // namespace tavro::player::render
