// Target paths and timeline variables.
#include "player/PlayerTestSupport.h"

#include "player/DisplayObject.h"
#include "player/actions/TargetPath.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

// Level 0 holds sprite "Outer" (id 2) at depth 1, which holds sprite "inner" (id 1) at depth 1.
Bytes NestedMovie() {
    Bytes inner = DefineSprite(1, 1, Cat({ShowFrame(), End()}));
    Bytes outer = DefineSprite(2, 1, Cat({Place2(1, 1, "inner"), ShowFrame(), End()}));
    return Movie(Cat({inner, outer, Place2(1, 2, "Outer"), ShowFrame(), End()}));
}

TEST(TargetPath, ResolvesRelativeAbsoluteParentAndLevelNames) {
    RecordingHost host;
    host.LoadBytes(NestedMovie());
    Timeline& root = host.Level0();
    DisplayObject* outerObj = root.rootObject->FindChild(1);
    ASSERT_NE(outerObj, nullptr);
    DisplayObject* innerObj = outerObj->FindChild(1);
    ASSERT_NE(innerObj, nullptr);
    Timeline* outer = outerObj->timeline;
    Timeline* inner = innerObj->timeline;

    EXPECT_EQ(ResolveTarget(host, root, ""), &root);
    EXPECT_EQ(ResolveTarget(host, root, "outer"), outer); // case-insensitive
    EXPECT_EQ(ResolveTarget(host, root, "Outer/INNER"), inner);
    EXPECT_EQ(ResolveTarget(host, *inner, "/"), &root);
    EXPECT_EQ(ResolveTarget(host, *inner, "/Outer"), outer);
    EXPECT_EQ(ResolveTarget(host, *inner, ".."), outer);
    EXPECT_EQ(ResolveTarget(host, *inner, "../.."), &root);
    EXPECT_EQ(ResolveTarget(host, *inner, "_level0/Outer"), outer);
    EXPECT_EQ(ResolveTarget(host, *inner, "_flash0"), &root);
    EXPECT_EQ(ResolveTarget(host, root, ".."), nullptr); // nothing above a level
    EXPECT_EQ(ResolveTarget(host, root, "missing"), nullptr);
    EXPECT_EQ(ResolveTarget(host, root, "_level3"), nullptr);
    EXPECT_EQ(ResolveTarget(host, root, "Outer/missing"), nullptr);

    EXPECT_EQ(TargetPathOf(*root.rootObject), "/");
    EXPECT_EQ(TargetPathOf(*innerObj), "/Outer/inner");
}

TEST(TargetPath, VariablesKeepOrderAndCompareNamesWithoutCase) {
    RecordingHost host;
    host.LoadBytes(NestedMovie());
    Timeline& root = host.Level0();
    StoreVariable(root, "Alpha", "1");
    StoreVariable(root, "beta", "2");
    StoreVariable(root, "ALPHA", "3");
    ASSERT_EQ(root.variables.size(), 2u);
    EXPECT_EQ(root.variables[0].name, "Alpha");
    EXPECT_EQ(root.variables[0].value, "3");
    ASSERT_NE(FindVariable(root, "BETA"), nullptr);
    EXPECT_EQ(*FindVariable(root, "BETA"), "2");
    EXPECT_EQ(FindVariable(root, "gamma"), nullptr);

    Timeline* t = nullptr;
    EXPECT_EQ(SplitVariablePath(host, root, "Outer/inner:v", &t), "v");
    EXPECT_EQ(t, root.rootObject->FindChild(1)->FindChild(1)->timeline);
    EXPECT_EQ(SplitVariablePath(host, root, "plain", &t), "plain");
    EXPECT_EQ(t, &root);
    EXPECT_EQ(SplitVariablePath(host, root, "nowhere:v", &t), "v");
    EXPECT_EQ(t, nullptr);
}

} // namespace
} // namespace tavro::player::test
