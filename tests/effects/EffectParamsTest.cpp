// The number boxes of the letter effects' dialogs: what they accept and the messages they give.
#include "effects/EffectParams.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

std::string Message(std::string_view text, const ParamRange& range) {
    const ParamCheck c = ValidateParam(text, range);
    return c.ok ? "ok " + FormatParamBound(c.value, range.kind) : c.message;
}

TEST(EffectParams, IntegerBoxes) {
    const ParamRange period = FindEffectParam("CEffectWave", "Period:")->range;
    EXPECT_EQ(Message(" 42 ", period), "ok 42");
    EXPECT_EQ(Message("+7", period), "ok 7");
    EXPECT_EQ(Message("0", period), "Please enter an integer between 1 and 99999.");
    EXPECT_EQ(Message("100000", period), "Please enter an integer between 1 and 99999.");
    EXPECT_EQ(Message("99999999999999999999999", period),
              "Please enter an integer between 1 and 99999.");
    for (const char* bad : {"", "  ", "1.5", "12a", "1e3", "--1", "+"})
        EXPECT_EQ(Message(bad, period), "Please enter an integer.") << bad;

    // A box without a range still takes only what its field holds.
    const ParamRange bomb = FindEffectParam("CEffectExplode", "x:")->range;
    EXPECT_EQ(Message("-2147483648", bomb), "ok -2147483648");
    EXPECT_EQ(Message("2147483648", bomb),
              "Please enter an integer between -2147483648 and 2147483647.");
    EXPECT_EQ(Message("65535", FindEffectParam("CEffectExplode", "Random Seed #:")->range),
              "ok 65535");
}

TEST(EffectParams, NumberBoxes) {
    const ParamRange length = FindEffectParam("CEffectWave", "Length:")->range;
    EXPECT_EQ(Message("0.0001", length), "ok 0.0001");
    EXPECT_EQ(Message("2.5e2", length), "ok 250");
    EXPECT_EQ(Message("0", length), "Please enter a number between 0.0001 and 99999.");
    for (const char* bad : {"", "abc", "1,5", "nan", "inf", "1e999"})
        EXPECT_EQ(Message(bad, length), "Please enter a number.") << bad;
    EXPECT_EQ(Message("-1e300", FindEffectParam("CEffectWave", "Move by:")->range),
              "ok " + FormatParamBound(-1e300, ParamKind::Number));
    EXPECT_EQ(Message("100.5", FindEffectParam("CEffectExplode", "Scale Letters by:")->range),
              "Please enter a number between 0 and 100.");
}

TEST(EffectParams, EveryLetterEffectDialogHasItsBoxes) {
    EXPECT_EQ(FindEffectParam("CEffectTypewriter", "times at end of line.")->range.min, 0.0);
    EXPECT_EQ(FindEffectParam("CEffectSqueeze", "Number of Frames:")->range.max, 10000.0);
    EXPECT_TRUE(FindEffectParam("CEffectScaleLetter", "Frames per Letter:"));
    EXPECT_TRUE(FindEffectParam("CEffectAlternate", "pixels down"));
    EXPECT_FALSE(FindEffectParam("CEffectWave", "Number of Frames:"));
    EXPECT_FALSE(FindEffectParam("CEffectRevertText", "Duration:"));
}

} // namespace
} // namespace tavro
