// The one rounding rule of the system: every double that becomes an integer field rounds half
// away from zero (x + 0.5 truncated for x >= 0, x - 0.5 truncated otherwise).
#pragma once

#include <cstdint>

namespace tavro {

// Rounds half away from zero and saturates at the int32 range, so that an out-of-range or NaN
// input never becomes undefined behaviour (NaN gives 0).
int32_t RoundToInt(double value);

} // namespace tavro
