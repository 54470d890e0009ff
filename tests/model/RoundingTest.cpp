#include "base/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using tavro::RoundToInt;

TEST(Rounding, HalfAwayFromZero) {
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-2.5), -3);
    EXPECT_EQ(RoundToInt(2.4999), 2);
    EXPECT_EQ(RoundToInt(-0.4), 0);
    EXPECT_EQ(RoundToInt(12.5 * 256), 3200);
}

TEST(Rounding, SaturatesOutOfRangeAndNaN) {
    EXPECT_EQ(RoundToInt(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
}
