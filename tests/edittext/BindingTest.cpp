// Fields and their variables: binding on placement, updates of every bound field, rebinding
// after a backwards goto, scrolling through ".scroll" / ".maxscroll".
#include "EditTextTestSupport.h"

#include "player/actions/TargetPath.h"
#include "player/edittext/EditTextField.h"

#include <gtest/gtest.h>

using namespace tavro::player;
using namespace tavro::player::test;

namespace {

FieldSpec Bound(const std::string& variable, std::optional<std::string> initial = std::nullopt) {
    FieldSpec s;
    s.variable = variable;
    s.initial = std::move(initial);
    return s;
}

// Frame 0 defines the font; frame 1 defines and places the fields at depths 1, 2, ...
void LoadFields(FieldHost& host, const std::vector<FieldSpec>& specs) {
    Bytes tags = DefineFont2(1, "Test", "abc -*");
    Append(tags, ShowFrame());
    uint16_t id = 10;
    for (const FieldSpec& s : specs) {
        Append(tags, DefineEditText(id, s));
        Append(tags, Place2(uint16_t(id - 9), id));
        ++id;
    }
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags, 2);
}

TEST(EditTextBinding, ExistingVariableShowsAndInitialTextCreatesIt) {
    FieldHost host;
    LoadFields(host, {Bound("v", "abc"), Bound("/:w", "ba"), Bound("none"), Bound("", "c")});
    StoreVariable(host.Root(), "V", "cab");
    host.StepFrame();
    ASSERT_NE(host.Field(1), nullptr);

    EXPECT_EQ(host.Field(1)->Text(), u"cab"); // the variable wins over the initial text
    EXPECT_EQ(*FindVariable(host.Root(), "v"), "cab");
    EXPECT_EQ(host.Field(2)->Text(), u"ba"); // created through a target path
    ASSERT_NE(FindVariable(host.Root(), "w"), nullptr);
    EXPECT_EQ(*FindVariable(host.Root(), "w"), "ba");
    EXPECT_EQ(host.Field(3)->Text(), u"");
    EXPECT_EQ(FindVariable(host.Root(), "none"), nullptr);
    EXPECT_EQ(host.Field(4)->Text(), u"c"); // unbound: initial text only

    // A backwards goto rebinds: the field shows what the variable holds now.
    StoreVariable(host.Root(), "v", "a");
    host.Fields().AfterReplay(host.Root());
    EXPECT_EQ(host.Field(1)->Text(), u"a");
}

TEST(EditTextBinding, VariableChangedUpdatesEveryBoundField) {
    FieldHost host;
    LoadFields(host, {Bound("v"), Bound("/:V"), Bound("other", "b")});
    host.StepFrame();
    host.At(1)->dirty = host.At(2)->dirty = host.At(3)->dirty = false;

    host.Fields().VariableChanged(host.Root(), "v", "abc");
    EXPECT_EQ(host.Field(1)->Text(), u"abc");
    EXPECT_EQ(host.Field(2)->Text(), u"abc");
    EXPECT_EQ(host.Field(3)->Text(), u"b");
    EXPECT_TRUE(host.At(1)->dirty && host.At(2)->dirty);
    EXPECT_FALSE(host.At(3)->dirty);

    // An empty value empties the field.
    host.Fields().VariableChanged(host.Root(), "OTHER", "");
    EXPECT_EQ(host.Field(3)->Text(), u"");
}

TEST(EditTextBinding, ScrollAndMaxScrollOfATallText) {
    FieldHost host;
    FieldSpec s = Bound("s", "a\rb\rc\rb\ra");
    s.bounds = Rect(0, 1080, 0, 680); // three lines of 200 twips fit
    LoadFields(host, {s});
    host.StepFrame();
    Timeline& root = host.Root();
    EditTextFields& f = host.Fields();
    ASSERT_EQ(host.Field(1)->VisibleLines(), 3);

    EXPECT_EQ(f.Scroll(root, "s"), 1);
    EXPECT_EQ(f.MaxScroll(root, "S"), 3);
    EXPECT_EQ(f.Scroll(root, "missing"), std::nullopt);
    EXPECT_EQ(f.MaxScroll(root, "missing"), std::nullopt);

    f.SetScroll(root, "s", 3);
    EXPECT_EQ(f.Scroll(root, "s"), 3);
    RecordingOutput out;
    f.Draw(*host.At(1), out);
    ASSERT_EQ(out.glyphs.size(), 3u); // lines c, b, a
    EXPECT_EQ(out.glyphs[0].index, 2u);
    EXPECT_EQ(out.glyphs[0].m.ty, 40 + 156);
    EXPECT_EQ(out.glyphs[2].index, 0u);
    EXPECT_EQ(out.glyphs[2].m.ty, 40 + 400 + 156);

    f.SetScroll(root, "s", 99);
    EXPECT_EQ(f.Scroll(root, "s"), 3);
    f.SetScroll(root, "s", -4);
    EXPECT_EQ(f.Scroll(root, "s"), 1);
    f.SetScroll(root, "s", INT32_MIN);
    EXPECT_EQ(f.Scroll(root, "s"), 1);

    // Shorter text pulls the scroll position back.
    f.SetScroll(root, "s", 3);
    f.VariableChanged(root, "s", "a");
    EXPECT_EQ(f.Scroll(root, "s"), 1);
    EXPECT_EQ(f.MaxScroll(root, "s"), 1);
}

} // namespace

namespace {

TEST(EditTextBinding, BackwardsGotoRebindsAndGivesTheFocusBack) {
    // Frame 0 places the field at the origin; frame 1 moves it 20 twips right, so a goto back
    // to frame 0 re-creates it.
    FieldHost host;
    Bytes tags = DefineFont2(1, "Test", "abc -*");
    Append(tags, DefineEditText(10, Bound("v", "abcabc")));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, Move2(1, 20, 0));
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags, 2);
    host.StepFrame();
    ASSERT_EQ(host.At(1)->matrix.tx, 20);
    EditTextFields& f = host.Fields();
    f.MouseDown(13, 7);
    f.MouseUp(23, 7);
    const DisplayObject* before = host.At(1);
    ASSERT_EQ(f.Focused(), before);
    const uint32_t anchor = host.Field(1)->SelectionAnchor(), end = host.Field(1)->SelectionEnd();
    ASSERT_NE(anchor, end);

    StoreVariable(host.Root(), "v", "cba");
    host.Root().Goto(0);
    ASSERT_NE(host.At(1), nullptr);
    EXPECT_EQ(host.At(1)->matrix.tx, 0);
    EXPECT_EQ(host.Field(1)->Text(), u"cba");
    EXPECT_EQ(f.Focused(), host.At(1));
    EXPECT_EQ(host.Field(1)->SelectionAnchor(), std::min<uint32_t>(anchor, 3));
    EXPECT_EQ(host.Field(1)->SelectionEnd(), std::min<uint32_t>(end, 3));
}

} // namespace
