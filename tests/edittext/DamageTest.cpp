// Damaged input: DefineEditText records cut short at every length, and fields whose font record
// is broken. Nothing may crash; a damaged field shows nothing.
#include "EditTextTestSupport.h"

#include "player/actions/TargetPath.h"
#include "player/edittext/EditTextField.h"
#include "player/edittext/EditTextRecord.h"

#include <gtest/gtest.h>

#include <span>

using namespace tavro::player;
using namespace tavro::player::test;

namespace {

FieldSpec Full() {
    FieldSpec s;
    s.flags1 |= 0x02; // maximum length
    s.layout = true;
    s.align = 2;
    s.leftMargin = 7;
    s.leading = -20;
    s.variable = "v";
    s.initial = "abc";
    return s;
}

TEST(EditTextDamage, RecordParsesWholeAndRejectsEveryCut) {
    const Bytes body = EditTextBody(10, Full());
    const size_t start = 2 + RectBytes(0, 1080, 0, 280).size(); // after id and bounds
    std::span<const uint8_t> rest(body.data() + start, body.size() - start);

    EditTextRecord rec;
    ASSERT_TRUE(rec.Parse(rest));
    EXPECT_EQ(rec.fontId, 1);
    EXPECT_EQ(rec.fontHeight, 200);
    EXPECT_EQ(rec.color, 0xFF102030u);
    EXPECT_EQ(rec.align, EditTextRecord::Align::Center);
    EXPECT_EQ(rec.leftMargin, 7);
    EXPECT_EQ(rec.leading, -20);
    EXPECT_EQ(rec.variable, "v");
    EXPECT_EQ(rec.initialText, "abc");

    for (size_t cut = 0; cut < rest.size(); ++cut) {
        EXPECT_FALSE(rec.Parse(rest.first(cut))) << cut;
        EXPECT_TRUE(rec.variable.empty() && rec.initialText.empty());
    }
}

TEST(EditTextDamage, CutRecordsInAMoviePlaceNothingVisible) {
    const Bytes body = EditTextBody(10, Full());
    for (size_t cut = 0; cut < body.size(); ++cut) {
        FieldHost host;
        Bytes tags = DefineFont2(1, "Test", "abc");
        Append(tags, Tag(37, Bytes(body.begin(), body.begin() + long(cut)), true));
        Append(tags, Place2(1, 10));
        Append(tags, ShowFrame());
        Append(tags, End());
        host.LoadTags(tags);
        EXPECT_EQ(host.Field(1), nullptr) << cut;
        EXPECT_FALSE(host.Fields().SelectableAt(5, 5));
        EXPECT_FALSE(host.Fields().MouseDown(5, 5));
        if (DisplayObject* obj = host.At(1)) {
            RecordingOutput out;
            host.Fields().Draw(*obj, out);
            EXPECT_TRUE(out.glyphs.empty() && out.rects.empty());
        }
        EXPECT_EQ(FindVariable(host.Root(), "v"), nullptr);
        Renderer::Of(host).UpdateScreen();
    }
}

TEST(EditTextDamage, BrokenFontFallsBackToMetricsOnly) {
    // A DefineFont2 that claims 65535 glyphs but ends after its name.
    Bytes font;
    U16(font, 1);
    for (int b : {0x80, 0x00, 0x01, int('X'), 0xFF, 0xFF})
        font.push_back(uint8_t(b));
    Bytes tags = Tag(48, font, true);
    FieldSpec s;
    s.flags1 |= 0x40; // word wrap
    s.initial = "abc abc abc abc abc abc";
    s.bounds = Rect(0, 1080, 0, 2000);
    Append(tags, DefineEditText(10, s));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    FieldHost host;
    host.LoadTags(tags);
    EditTextField* f = host.Field(1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Font().GlyphFont(), nullptr);
    EXPECT_GT(f->Lines().size(), 1u);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);
    EXPECT_TRUE(out.glyphs.empty());
    Renderer::Of(host).UpdateScreen();
}

TEST(EditTextDamage, ExtremeLayoutValuesStayBounded) {
    FieldSpec s;
    s.layout = true;
    s.leftMargin = 0xFFFF;
    s.rightMargin = 0xFFFF;
    s.indent = 0xFFFF;
    s.leading = -32768;
    s.height = 0xFFFF;
    s.flags1 |= 0x40;
    s.bounds = Rect(-16000, 16000, -16000, 16000);
    s.initial = std::string(2000, 'a') + "\r\n" + std::string(50, '-');
    FieldHost host;
    Bytes tags = DefineFont2(1, "Test", "a-", 0x7FFF);
    Append(tags, DefineEditText(10, s));
    Append(tags, Place2(1, 10));
    Append(tags, ShowFrame());
    Append(tags, End());
    host.LoadTags(tags);
    EditTextField* f = host.Field(1);
    ASSERT_NE(f, nullptr);
    EXPECT_GE(f->LineHeight(), 1);
    EXPECT_GE(f->MaxScroll(), 0);
    RecordingOutput out;
    host.Fields().Draw(*host.At(1), out);
    host.Fields().MouseDown(3, 3);
    host.Fields().MouseDrag(INT32_MAX, INT32_MIN);
    host.Fields().MouseUp(INT32_MIN, INT32_MAX);
    Renderer::Of(host).UpdateScreen();
}

} // namespace
