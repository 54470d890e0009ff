// Mode words: how they apply per axis, the whole-word predicates, and the dialog's way of building
// them from two menu commands and showing them again.
#include "effects/EffectModes.h"

#include <gtest/gtest.h>

#include <string>

namespace tavro {
namespace {

using namespace effect_mode;

TEST(EffectModes, AxisRulesTestSetBeforeAddBeforeSubtract) {
    const CDoublePoint base(10.0, 20.0), value(3.0, 4.0);
    struct Case {
        int32_t mode;
        double x, y;
    };
    const Case cases[] = {
        {0, 10, 20},           // unchanged
        {1, 13, 24},           // both add
        {2, 3, 4},             // both set
        {0x04 | 0x40, 13, 16}, // x add, y subtract
        {0x08 | 0x80, 7, 4},   // x subtract, y set
        {0x10 | 0x20, 3, 24},  // x set, y add
        {0x1C, 3, 20},         // every x bit: set wins, y unchanged
        {0x0C, 13, 20},        // add beats subtract
        {0xE0, 10, 4},         // every y bit: set wins
        {0x03, 10, 20},        // not a whole-word value and no axis bit: unchanged
    };
    for (const Case& c : cases) {
        const CDoublePoint r = ApplyMode(c.mode, base, value);
        EXPECT_EQ(r.x, c.x) << "mode " << c.mode;
        EXPECT_EQ(r.y, c.y) << "mode " << c.mode;
    }
    EXPECT_EQ(ApplyFirstAxis(72, 256.0, 100.0), 156.0); // the alpha row's subtract word
    EXPECT_EQ(ApplyFirstAxis(144, 256.0, 0.0), 0.0);    // and its set word

    // The whole-word predicates need both axes.
    EXPECT_TRUE(IsSetMode(2) && IsSetMode(0x90) && !IsSetMode(0x10));
    EXPECT_TRUE(IsAddMode(1) && IsAddMode(0x24) && !IsAddMode(0x20));
    EXPECT_TRUE(IsSubtractMode(72) && !IsSubtractMode(0x08) && !IsSubtractMode(1));
}

TEST(EffectModes, BuildingAndDecomposingFollowTheMenus) {
    // The alpha row sets both axes alike: only these five words occur.
    EXPECT_EQ(BuildMode(kCmdUnchanged, kCmdUnchanged), 0);
    EXPECT_EQ(BuildMode(kCmdAdd, kCmdAdd), 1);
    EXPECT_EQ(BuildMode(kCmdSet, kCmdSet), 2);
    EXPECT_EQ(BuildMode(kCmdSubtract, kCmdSubtract), 72);
    EXPECT_EQ(BuildMode(kCmdSetToZero, kCmdSetToZero), 144);
    EXPECT_EQ(BuildMode(kCmdSetTo100, kCmdSetTo100), 144);
    // Mixed axes are or-ed bits.
    EXPECT_EQ(BuildMode(kCmdAdd, kCmdUnchanged), 0x04);
    EXPECT_EQ(BuildMode(kCmdUnchanged, kCmdSubtract), 0x40);
    EXPECT_EQ(BuildMode(kCmdSet, kCmdSetToZero), 0x90);

    CDoublePoint values(37.0, 42.0);
    EXPECT_EQ(BuildModeAndValues(kCmdSetTo100, kCmdAdd, values), 0x10 | 0x20);
    EXPECT_EQ(values, CDoublePoint(100.0, 42.0));
    BuildModeAndValues(kCmdSetToZero, kCmdSetToZero, values);
    EXPECT_EQ(values, CDoublePoint(0.0, 0.0));

    // Decomposition: a set of exactly 0 or 100 shows as its own entry where the menu has one.
    EXPECT_EQ(DecomposeMode(144, {0.0, 0.0}, true), std::pair(kCmdSetToZero, kCmdSetToZero));
    EXPECT_EQ(DecomposeMode(2, {100.0, 50.0}, true), std::pair(kCmdSetTo100, kCmdSet));
    EXPECT_EQ(DecomposeMode(2, {100.0, 0.0}, false), std::pair(kCmdSet, kCmdSet));
    EXPECT_EQ(DecomposeMode(0x48, {5.0, 5.0}, true), std::pair(kCmdSubtract, kCmdSubtract));
    EXPECT_EQ(DecomposeMode(1, {0.0, 0.0}, true), std::pair(kCmdAdd, kCmdAdd));
    EXPECT_EQ(DecomposeMode(0x20, {0.0, 0.0}, true), std::pair(kCmdUnchanged, kCmdAdd));
}

TEST(EffectModes, UniformRowsCopyTheHorizontalRow) {
    // "Rotate to Angle of" 30 stores (30, 120); "Rotate back to Zero" (0, 90); "by" keeps it.
    EXPECT_EQ(UniformRotationSecondValue(kCmdSet, 30.0), 120.0);
    EXPECT_EQ(UniformRotationSecondValue(kCmdSetToZero, 0.0), 90.0);
    EXPECT_EQ(UniformRotationSecondValue(kCmdAdd, 30.0), 30.0);
    EXPECT_EQ(UniformRotationSecondValue(kCmdSubtract, 15.0), 15.0);
    EXPECT_EQ(UniformScaleSecondValue(150.0), 150.0);
}

TEST(EffectModes, MenusOfTheTwoTabs) {
    using R = TransformRow;
    using Tab = TransformTab;
    EXPECT_STREQ(ModeMenuLabel(Tab::StartAt, R::YPosition, kCmdSubtract), "Jump Up by");
    EXPECT_STREQ(ModeMenuLabel(Tab::Transform, R::VerticalAxis, kCmdSetToZero),
                 "Rotate back to Zero");
    EXPECT_EQ(ModeMenuLabel(Tab::Transform, R::XPosition, kCmdSetTo100), nullptr);
    EXPECT_FALSE(MenuOffersZeroAnd100(Tab::Transform, R::XPosition));
    EXPECT_TRUE(MenuOffersZeroAnd100(Tab::StartAt, R::HorizontalScale));
}

} // namespace
} // namespace tavro
