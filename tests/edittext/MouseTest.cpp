// Selecting with the mouse: press and drag, double click on a word, focus, the I-beam test and
// the blinking caret.
#include "EditTextTestSupport.h"

#include "player/edittext/EditTextField.h"

#include <gtest/gtest.h>

using namespace tavro::player;
using namespace tavro::player::test;

namespace {

// A field at the stage origin, 54 x 14 pixels; its text starts 2 pixels in and every character
// is 5 pixels (100 twips) wide. A second, unselectable field sits below it.
struct EditTextMouse : ::testing::Test {
    void SetUp() override {
        Bytes tags = DefineFont2(1, "Test", "abc -*");
        FieldSpec s;
        s.initial = "abc abc-abc";
        Append(tags, DefineEditText(10, s));
        Append(tags, Place2(1, 10));
        FieldSpec fixed = s;
        fixed.flags2 |= 0x10; // not selectable
        Append(tags, DefineEditText(11, fixed));
        Append(tags, Place2(2, 11, {}, 0, 600));
        Append(tags, ShowFrame());
        Append(tags, End());
        host.LoadTags(tags);
        field = host.Field(1);
        ASSERT_NE(field, nullptr);
    }
    std::pair<uint32_t, uint32_t> Selection() const {
        return {field->SelectionAnchor(), field->SelectionEnd()};
    }
    FieldHost host;
    EditTextField* field = nullptr;
};

using Sel = std::pair<uint32_t, uint32_t>;

TEST_F(EditTextMouse, PressAndDragSelect) {
    EditTextFields& f = host.Fields();
    EXPECT_TRUE(f.SelectableAt(12, 7));
    EXPECT_FALSE(f.SelectableAt(12, 35)); // the unselectable field
    EXPECT_FALSE(f.SelectableAt(150, 7));

    EXPECT_TRUE(f.MouseDown(12, 7)); // 240 twips: in the third character
    EXPECT_TRUE(f.HasFocus());
    EXPECT_EQ(Selection(), Sel(2, 2));
    f.MouseDrag(32, 7); // 640 twips: before the seventh
    EXPECT_EQ(Selection(), Sel(2, 6));
    f.MouseDrag(0, 7); // backwards past the start
    EXPECT_EQ(Selection(), Sel(2, 0));
    f.MouseUp(150, 7); // released beyond the end of the line
    EXPECT_EQ(Selection(), Sel(2, 11));
    f.MouseDrag(12, 7); // moves after the release change nothing
    EXPECT_EQ(Selection(), Sel(2, 11));

    // The text scrolled left by one character to show the end of the selection, which is
    // highlighted with its glyphs in the highlight text colour; the first glyph is now cut off.
    EXPECT_EQ(field->HScroll(), 100);
    RecordingOutput out;
    f.Draw(*host.At(1), out);
    ASSERT_EQ(out.rects.size(), 1u);
    EXPECT_EQ(out.rects[0].first, Rect(140, 1040, 40, 240));
    ASSERT_EQ(out.glyphs.size(), 10u);
    EXPECT_EQ(out.glyphs[0].m.tx, 40);
    EXPECT_EQ(out.glyphs[0].argb, 0xFF102030u);
    EXPECT_EQ(out.glyphs[1].argb, 0xFFFFFFFFu);

    // A press elsewhere takes the focus away.
    EXPECT_FALSE(f.MouseDown(150, 80));
    EXPECT_FALSE(f.HasFocus());
}

TEST_F(EditTextMouse, DoubleClickSelectsTheWord) {
    EditTextFields& f = host.Fields();
    f.MouseDown(27, 7); // in the second "abc" (characters 4..6)
    f.MouseUp(27, 7);
    host.AdvanceClock(200);
    f.MouseDown(28, 8);
    EXPECT_EQ(Selection(), Sel(4, 7)); // the hyphen ends the word
    f.MouseUp(28, 8);
    EXPECT_EQ(Selection(), Sel(4, 7));

    // Too slow, or too far apart: a plain press.
    host.AdvanceClock(1000);
    f.MouseDown(27, 7);
    host.AdvanceClock(600);
    f.MouseDown(27, 7);
    EXPECT_EQ(Selection().first, Selection().second);
    host.AdvanceClock(1000);
    f.MouseDown(27, 7);
    host.AdvanceClock(100);
    f.MouseDown(45, 7);
    EXPECT_EQ(Selection().first, Selection().second);

    // On a non-word character the character itself is selected.
    host.AdvanceClock(1000);
    f.MouseDown(37, 7); // the hyphen, character 7
    f.MouseDown(37, 7);
    EXPECT_EQ(Selection(), Sel(7, 8));
}

TEST_F(EditTextMouse, CaretBlinksOnlyInTheFocusedField) {
    EditTextFields& f = host.Fields();
    auto caretRects = [&] {
        RecordingOutput out;
        f.Draw(*host.At(1), out);
        return out.rects.size();
    };
    f.CaretTick(); // no focus: nothing happens
    EXPECT_EQ(caretRects(), 0u);
    f.MouseDown(12, 7);
    f.MouseUp(12, 7);
    RecordingOutput out;
    f.Draw(*host.At(1), out);
    ASSERT_EQ(out.rects.size(), 1u);
    EXPECT_EQ(out.rects[0], std::make_pair(Rect(240, 260, 40, 240), 0xFF102030u));
    host.At(1)->dirty = false;
    f.CaretTick();
    EXPECT_EQ(caretRects(), 0u);
    EXPECT_TRUE(host.At(1)->dirty);
    f.CaretTick();
    EXPECT_EQ(caretRects(), 1u);
}

TEST_F(EditTextMouse, RemovingTheFocusedFieldDropsTheFocus) {
    EditTextFields& f = host.Fields();
    f.MouseDown(12, 7);
    host.GetDisplayList().RemoveObject(host.At(1));
    EXPECT_FALSE(f.HasFocus());
    f.MouseDrag(20, 7);
    f.CaretTick();
    EXPECT_FALSE(f.SelectableAt(12, 7));
}

} // namespace
