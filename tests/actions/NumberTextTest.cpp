// Text <-> number conversion of action values.
#include "player/actions/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavro::player {
namespace {

TEST(NumberText, FormatsIntegersPlainAndFractionsWithFifteenDigits) {
    EXPECT_EQ(FormatNumber(8), "8");
    EXPECT_EQ(FormatNumber(0), "0");
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(-42), "-42");
    EXPECT_EQ(FormatNumber(123456789012345), "123456789012345");
    EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatNumber(2.0 / 3.0), "0.666666666666667"); // the 16th digit rounds
    EXPECT_EQ(FormatNumber(-2.5), "-2.5");
    EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatNumber(0.75), "0.75");
    EXPECT_EQ(FormatNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatNumber(12345.678), "12345.678");
}

TEST(NumberText, UsesExponentFormOutsideTheFixedRange) {
    EXPECT_EQ(FormatNumber(1e20), "1e20");
    EXPECT_EQ(FormatNumber(1e15), "1e15");
    EXPECT_EQ(FormatNumber(0.00001), "1e-5");
    EXPECT_EQ(FormatNumber(-0.000015), "-1.5e-5");
    EXPECT_EQ(FormatNumber(1.25e300), "1.25e300");
    EXPECT_EQ(FormatNumber(123456789012345.6), "123456789012346");
    // Rounding to 15 digits carries into the next power of ten.
    EXPECT_EQ(FormatNumber(999999999999999.9), "1e15");
}

TEST(NumberText, ParsesOnlyPlainDecimalNumbers) {
    EXPECT_EQ(ParseNumber("5"), 5.0);
    EXPECT_EQ(ParseNumber("-3.25"), -3.25);
    EXPECT_EQ(ParseNumber("+7"), 7.0);
    EXPECT_EQ(ParseNumber(".5"), 0.5);
    EXPECT_EQ(ParseNumber("5."), 5.0);
    EXPECT_EQ(ParseNumber("1e3"), 1000.0);
    EXPECT_EQ(ParseNumber("2E-2"), 0.02);
    EXPECT_TRUE(std::isinf(*ParseNumber("1e999")));
    for (const char* bad : {"", " 5", "5 ", "abc", "5a", "-", ".", "1e", "1e+", "0x10", "--1"})
        EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
    EXPECT_EQ(ToNumber("hello"), 0.0);
}

} // namespace
} // namespace tavro::player
