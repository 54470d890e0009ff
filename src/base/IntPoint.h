// An integer point, the rounded form of a CDoublePoint.
#pragma once

#include <cstdint>

namespace tavro {

struct IntPoint {
    int32_t x = 0, y = 0;
    bool operator==(const IntPoint&) const = default;
};

} // namespace tavro
