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

// Every row decomposes a stored word into entries of its own menu, and an entry composed by the
// row comes back as itself.
TEST(EffectModes, EachRowDecomposesIntoItsOwnMenu) {
    using R = TransformRow;
    using Tab = TransformTab;
    for (const Tab tab : {Tab::StartAt, Tab::Transform}) {
        for (int i = 0; i < kTransformRowCount; ++i) {
            const auto row = static_cast<R>(i);
            for (const ModeMenuEntry& entry : ModeMenu(tab, row)) {
                // The alpha row sets both axes alike; the others leave the other axis alone.
                const bool second = IsSecondAxisRow(row);
                const int other = row == R::Alpha ? entry.command : kCmdUnchanged;
                CDoublePoint values(42.0, 42.0);
                const int32_t mode = second ? BuildModeAndValues(other, entry.command, values)
                                            : BuildModeAndValues(entry.command, other, values);
                const double value = second ? values.y : values.x;
                EXPECT_EQ(DecomposeRowMode(tab, row, mode, value), entry.command)
                    << entry.label << " (tab " << static_cast<int>(tab) << ", row " << i << ")";
            }
            // Whatever the word, the entry shown is one the menu has.
            for (const int32_t mode : {0, 1, 2, 4, 8, 16, 32, 64, 128, 72, 144, 0x90, 0xFF}) {
                for (const double value : {0.0, 100.0, 42.0}) {
                    const int command = DecomposeRowMode(tab, row, mode, value);
                    EXPECT_NE(ModeMenuLabel(tab, row, command), nullptr)
                        << "mode " << mode << " value " << value << " row " << i;
                }
            }
        }
    }
}

TEST(EffectModes, SetToZeroOrHundredOnlyWhereTheMenuHasThatEntry) {
    using R = TransformRow;
    using Tab = TransformTab;
    // "Rotate to Angle of" 100 stays itself (the menu has no set-to-100), and so does a scale
    // resized to 0 (no set-to-0); the entries the menus do have still show.
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::HorizontalAxis, 2, 100.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::VerticalAxis, 0x80, 100.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::HorizontalAxis, 2, 0.0), kCmdSetToZero);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::HorizontalScale, 2, 0.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::VerticalScale, 0x80, 0.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::HorizontalScale, 2, 100.0), kCmdSetTo100);
    EXPECT_EQ(DecomposeRowMode(Tab::StartAt, R::HorizontalScale, 2, 0.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::StartAt, R::HorizontalAxis, 2, 100.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::StartAt, R::Alpha, 144, 0.0), kCmdSetToZero);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::Alpha, 144, 100.0), kCmdSetTo100);
    // Positions never show either.
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::XPosition, 2, 0.0), kCmdSet);
    EXPECT_EQ(DecomposeRowMode(Tab::StartAt, R::YPosition, 2, 100.0), kCmdSet);
    // An add the Start At scale menu cannot show comes out as "Unchanged".
    EXPECT_EQ(DecomposeRowMode(Tab::StartAt, R::HorizontalScale, 1, 10.0), kCmdUnchanged);
    // Each row reads its own axis of the word.
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::XPosition, 0x44, 5.0), kCmdAdd);
    EXPECT_EQ(DecomposeRowMode(Tab::Transform, R::YPosition, 0x44, 5.0), kCmdSubtract);
}

} // namespace
} // namespace tavro
