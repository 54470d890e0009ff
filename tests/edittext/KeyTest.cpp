// Editing a field from the keyboard: typing, deleting, moving the caret and the selection, the
// field's flags (read-only, multiline, maximum length, password), and the way typed text reaches
// the bound variable and the other fields bound to it.
#include "EditTextTestSupport.h"

#include "player/PlayerKey.h"
#include "player/actions/TargetPath.h"
#include "player/edittext/EditTextField.h"

#include <gtest/gtest.h>

using namespace tavro::player;
using namespace tavro::player::test;

namespace {

using Code = PlayerKey::Code;
using Sel = std::pair<uint32_t, uint32_t>;

PlayerKey Key(Code code, bool shift = false, bool control = false) {
    return PlayerKey::Press(code, shift, control);
}

// Fields at the stage origin whose characters are 5 pixels (100 twips) wide, the text starting
// 2 pixels in. Depth 1 is bound to "name"; the field at depth 2 shows the same variable.
struct EditTextKeys : ::testing::Test {
    void Load(const FieldSpec& first) {
        Bytes tags = DefineFont2(1, "Test", "abcdefXQ -");
        Append(tags, DefineEditText(10, first));
        Append(tags, Place2(1, 10));
        FieldSpec mirror = first;
        mirror.initial = std::optional<std::string>();
        Append(tags, DefineEditText(11, mirror));
        Append(tags, Place2(2, 11, {}, 0, 600));
        Append(tags, ShowFrame());
        Append(tags, End());
        host.LoadTags(tags);
        field = host.Field(1);
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(host.Fields().MouseDown(2, 7)); // the caret goes before the first character
        host.Fields().MouseUp(2, 7);
    }
    std::string Text(uint16_t depth = 1) { return Utf16ToBytes(host.Field(depth)->Text()); }
    std::string Var() {
        const std::string* v = FindVariable(host.Root(), "name");
        return v ? *v : "<unset>";
    }
    Sel Selection() const { return {field->SelectionAnchor(), field->SelectionEnd()}; }
    bool Press(Code code, bool shift = false, bool control = false) {
        return host.Fields().KeyDown(Key(code, shift, control));
    }
    bool Type(const std::string& utf8) { return host.Fields().KeyDown(PlayerKey::Typed(utf8)); }

    FieldHost host;
    EditTextField* field = nullptr;
};

FieldSpec Bound(const std::string& text, uint8_t extraFlags = 0) {
    FieldSpec s;
    s.flags1 |= extraFlags;
    s.variable = "name";
    s.initial = text;
    return s;
}

TEST_F(EditTextKeys, TypingAndDeletingEditTheTextAndItsVariable) {
    Load(Bound("abc"));
    EXPECT_TRUE(Type("X"));
    EXPECT_EQ(Text(), "Xabc");
    EXPECT_EQ(Selection(), Sel(1, 1));
    EXPECT_EQ(Var(), "Xabc");
    EXPECT_EQ(Text(2), "Xabc"); // the other field bound to the variable follows

    // Shift+End selects to the end; typing replaces the selection.
    EXPECT_TRUE(Press(Code::End, true));
    EXPECT_EQ(Selection(), Sel(1, 4));
    Type("Q-");
    EXPECT_EQ(Text(), "XQ-");
    EXPECT_EQ(Selection(), Sel(3, 3));

    Press(Code::Backspace);
    EXPECT_EQ(Text(), "XQ");
    Press(Code::Home);
    Press(Code::Delete);
    EXPECT_EQ(Text(), "Q");
    EXPECT_EQ(Var(), "Q");
    Press(Code::Backspace); // nothing before the caret
    EXPECT_EQ(Text(), "Q");

    // Windows-1252 characters are stored as their bytes; characters without a byte and control
    // characters are left out.
    Press(Code::End);
    Type("\xC3\xA9\xE2\x82\xAC\xE2\x86\x92\x01!");
    EXPECT_EQ(Var(), "Q\xE9\x80!");
    EXPECT_EQ(host.Fields().SelectedText(), "");
    Press(Code::SelectAll);
    EXPECT_EQ(host.Fields().SelectedText(), "Q\xC3\xA9\xE2\x82\xAC!");
    Press(Code::Delete);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(Var(), "");
}

TEST_F(EditTextKeys, ArrowsHomeEndAndShiftMoveTheCaretAndSelection) {
    Load(Bound("ab\r\ncd\ref", 0x20)); // multiline
    ASSERT_EQ(field->Lines().size(), 3u);

    Press(Code::Right);
    Press(Code::Right);
    EXPECT_EQ(Selection(), Sel(2, 2));
    Press(Code::Right); // the CR LF pair is one step
    EXPECT_EQ(Selection(), Sel(4, 4));
    Press(Code::Left);
    EXPECT_EQ(Selection(), Sel(2, 2));
    Press(Code::Right);
    Press(Code::Right); // between c and d
    EXPECT_EQ(Selection(), Sel(5, 5));

    Press(Code::Up); // the same column on the line above
    EXPECT_EQ(Selection(), Sel(1, 1));
    Press(Code::Up); // above the first line: the start
    EXPECT_EQ(Selection(), Sel(0, 0));
    Press(Code::Down);
    Press(Code::Down);
    EXPECT_EQ(Selection(), Sel(7, 7));
    Press(Code::Down, true); // below the last line: the end, extending the selection
    EXPECT_EQ(Selection(), Sel(7, 9));
    Press(Code::Left); // without Shift a selection collapses to its start
    EXPECT_EQ(Selection(), Sel(7, 7));

    Press(Code::End);
    EXPECT_EQ(Selection(), Sel(9, 9));
    Press(Code::Home, true);
    EXPECT_EQ(Selection(), Sel(9, 7));
    Press(Code::Home, true, true); // Ctrl+Shift+Home: to the start of the text
    EXPECT_EQ(Selection(), Sel(9, 0));
    Press(Code::Right);
    EXPECT_EQ(Selection(), Sel(9, 9));

    // Backspace takes the CR LF pair at once; Enter puts a CR in a multiline field.
    host.Fields().KeyDown(Key(Code::Home, false, true));
    Press(Code::Right);
    Press(Code::Right);
    Press(Code::Right);
    Press(Code::Backspace);
    EXPECT_EQ(Var(), "abcd\ref");
    EXPECT_TRUE(Press(Code::Enter));
    EXPECT_EQ(Var(), "ab\rcd\ref");
}

TEST_F(EditTextKeys, ControlArrowsAndControlBackspaceWorkOnWords) {
    Load(Bound("ab cd-ef"));
    Press(Code::Right, false, true);
    EXPECT_EQ(Selection(), Sel(2, 2));
    Press(Code::Right, false, true);
    EXPECT_EQ(Selection(), Sel(5, 5));
    Press(Code::Right, true, true);
    EXPECT_EQ(Selection(), Sel(5, 8));
    Press(Code::Left, false, true); // from the active end, to the start of its word
    EXPECT_EQ(Selection(), Sel(6, 6));
    Press(Code::Backspace, false, true); // the word before and the hyphen after it
    EXPECT_EQ(Var(), "ab ef");
    EXPECT_EQ(Selection(), Sel(3, 3));
    Press(Code::Delete, false, true);
    EXPECT_EQ(Var(), "ab ");
}

TEST_F(EditTextKeys, FlagsOfTheFieldLimitWhatKeysDo) {
    // Read-only: the caret moves and text can be selected, nothing changes.
    Load(Bound("abc", 0x08));
    EXPECT_TRUE(Type("X"));
    EXPECT_TRUE(Press(Code::Delete));
    EXPECT_TRUE(Press(Code::End, true));
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(Selection(), Sel(0, 3));
    // Enter is no key of a single-line field: the host may use it.
    EXPECT_FALSE(Press(Code::Enter));
}

TEST_F(EditTextKeys, MaximumLengthCutsTypedText) {
    FieldSpec s = Bound("ab", 0x02);
    s.maxLength = 5;
    Load(s);
    Type("Xdefgh");
    EXPECT_EQ(Var(), "Xdeab");
    Press(Code::SelectAll);
    Type("QQQQQQQ"); // replacing the selection frees its characters
    EXPECT_EQ(Var(), "QQQQQ");
}

TEST_F(EditTextKeys, PasswordFieldsGiveNoTextToCopy) {
    Load(Bound("abc", 0x10));
    Press(Code::SelectAll);
    EXPECT_EQ(host.Fields().SelectedText(), "");
    Type("d");
    EXPECT_EQ(Var(), "d");
}

TEST(EditTextKeysWithoutFocus, KeysGoNowhereUntilAFieldIsClicked) {
    FieldHost host;
    Bytes tags = DefineFont2(1, "Test", "abc");
    Append(tags, DefineEditText(10, Bound("abc")));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags);
    EXPECT_FALSE(host.Fields().KeyDown(PlayerKey::Typed("x")));
    EXPECT_FALSE(host.Fields().KeyDown(Key(Code::Left)));
    EXPECT_EQ(Utf16ToBytes(host.Field(1)->Text()), "abc");
}

// Through the player core, with its own action engine: the key reaches the focused field and the
// variable is set, so actions reading it see the typed text.
TEST(EditTextKeysInThePlayer, TheCoreDeliversKeysToTheFocusedField) {
    HeadlessHost host(200, 100);
    Bytes tags = DefineFont2(1, "Test", "abc");
    Append(tags, DefineEditText(10, Bound("abc")));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    Bytes m = Movie(tags, 1, 12 << 8, 200, 100);
    host.Load(m.data(), m.size());
    ASSERT_TRUE(host.Running());
    EXPECT_FALSE(host.EditingText());
    EXPECT_FALSE(host.KeyDown(PlayerKey::Typed("x")));

    host.MouseMove(40, 7, false);
    host.MouseDown(40, 7); // beyond the text: the caret goes to its end
    host.MouseUp(40, 7);
    EXPECT_TRUE(host.EditingText());
    EXPECT_TRUE(host.KeyDown(PlayerKey::Typed("cab")));
    EXPECT_TRUE(host.KeyDown(Key(Code::Home, true)));
    EXPECT_EQ(host.SelectedText(), "abccab");
    const std::string* v = FindVariable(host.Level0(), "name");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(*v, "abccab");

    host.MouseDown(150, 80); // elsewhere: the field loses the focus
    host.MouseUp(150, 80);
    EXPECT_FALSE(host.EditingText());
    EXPECT_FALSE(host.KeyDown(PlayerKey::Typed("x")));
}

TEST(PlayerKeyNames, ScriptsNameKeysWithModifiers) {
    std::optional<PlayerKey> k = PlayerKey::FromName("shift+ctrl+Home");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->code, Code::Home);
    EXPECT_TRUE(k->shift);
    EXPECT_TRUE(k->control);
    k = PlayerKey::FromName("Ctrl+A");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->code, Code::SelectAll);
    EXPECT_FALSE(PlayerKey::FromName("Alt+Left"));
    EXPECT_FALSE(PlayerKey::FromName("Space"));
    EXPECT_FALSE(PlayerKey::FromName("+Left"));
}

} // namespace
