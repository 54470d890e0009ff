// An integer rectangle (minimum corner x0, y0; maximum corner x1, y1), the rounded form of a
// CDoubleRect.
#pragma once

#include <cstdint>

namespace tavro {

struct IntRect {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const IntRect&) const = default;
};

} // namespace tavro
