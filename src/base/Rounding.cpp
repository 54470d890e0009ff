#include "base/Rounding.h"

#include <cmath>
#include <limits>

namespace tavro {

int32_t RoundToInt(double value) {
    if (std::isnan(value))
        return 0;
    const double r = value >= 0.0 ? value + 0.5 : value - 0.5;
    if (r >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r); // truncates toward zero
}

} // namespace tavro
