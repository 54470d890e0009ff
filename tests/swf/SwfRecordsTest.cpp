#include "swf/SwfRecords.h"
#include "model/CPath.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Field;
using test::Hex;

Bytes Written(const CSwfWriter& w) {
    return Bytes(w.GetImage() + 8, w.GetImage() + (w.GetPosition(false) + 7) / 8);
}

uint16_t U16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

TEST(SwfRecordsSprite, ShortAndLongForms) {
    CSwfWriter w;
    SpriteTag sprite = BeginDefineSprite(w);
    EXPECT_EQ(sprite.id, 1);
    w.WritePlaceObject2(7, nullptr, nullptr, 1, false);
    EndDefineSprite(w, sprite);
    EXPECT_EQ(Written(w), Hex("CF 09 01 00 01 00"    // DefineSprite, 15 bytes; id 1, one frame
                              "85 06 02 01 00 07 00" // PlaceObject2
                              "40 00 00 00"));       // ShowFrame, End

    // Nine placements make 63 bytes of inner tags: the sprite moves to the long form after
    // they were written, and their own headers stay as they were.
    CSwfWriter l;
    sprite = BeginDefineSprite(l);
    for (uint16_t depth = 1; depth <= 9; ++depth)
        l.WritePlaceObject2(7, nullptr, nullptr, depth, false);
    EndDefineSprite(l, sprite);
    Bytes expected = Hex("FF 09 47 00 00 00 01 00 01 00"); // 71 bytes
    for (int depth = 1; depth <= 9; ++depth)
        expected = Concat({expected, Hex("85 06 02"), Bytes{uint8_t(depth), 0}, Hex("07 00")});
    expected = Concat({expected, Hex("40 00 00 00")});
    EXPECT_EQ(Written(l), expected);
}

TEST(SwfRecordsActions, RecordBytesInAFrameAction) {
    CSwfWriter w;
    BeginDoAction(w);
    WriteActionGotoFrame(w, 0, true);
    WriteActionGotoFrame(w, 0x1234, false);
    WriteActionGotoLabel(w, "ab", true);
    WriteActionNextFrame(w, false);
    WriteActionPreviousFrame(w, true);
    WriteActionGetUrl(w, "u", "");
    WriteActionPlay(w);
    WriteActionStop(w);
    EndDoAction(w);
    EXPECT_EQ(Written(w), Hex("1E 03"                // DoAction, 30 bytes
                              "81 02 00 00 00 06"    // go to frame 0 and play
                              "81 02 00 34 12"       // go to frame 0x1234
                              "8C 03 00 61 62 00 06" // go to label "ab" and play
                              "04 05 06"             // next; previous and play
                              "83 03 00 75 00 00"    // get URL "u", empty target
                              "06 07 00"));          // play, stop, end
}

TEST(SwfRecordsActions, OverlongStringsAreCutToTheirLengthField) {
    CSwfWriter w;
    const std::string url(70000, 'u'), target(10, 't');
    WriteActionGetUrl(w, url, target);
    Bytes b = Written(w);
    ASSERT_EQ(b[0], 0x83);
    const size_t length = U16(b, 1);
    EXPECT_EQ(length, 0xFFFFu);
    ASSERT_EQ(b.size(), 3 + length);
    EXPECT_EQ(b[3 + 0xFFFD - 1], 'u');
    EXPECT_EQ(b[3 + 0xFFFD], 0); // URL cut to 65,533 bytes
    EXPECT_EQ(b.back(), 0);      // and the target to nothing

    CSwfWriter l;
    WriteActionGotoLabel(l, url, false);
    b = Written(l);
    EXPECT_EQ(U16(b, 1), 0xFFFFu);
    EXPECT_EQ(b.size(), 3u + 0xFFFF);
}

TEST(SwfRecordsButton, ConditionRecordsAndOffsets) {
    CSwfWriter w;
    const ButtonCharacter chars[] = {{7, 0x0102}, {8, 3}};
    BeginDefineButton2(w, 5, false, chars);
    uint32_t at = BeginButtonCondition(w, 4);
    WriteActionStop(w);
    EndButtonCondition(w, at);
    EndDefineButton2(w);
    EXPECT_EQ(Written(w), Hex("A1 08 05 00 00 13 00"       // 33 bytes; id 5; actions 19 on
                              "07 02 01 01 00 02 00 00"    // up, over, down
                              "08 03 00 01 00 02 00 00 00" // hit test; end of records
                              "06 00 04 00 07 00"          // 6 bytes to the next record
                              "00 00 00 00 00"));
}

TEST(SwfRecordsFont, OffsetTableGlyphsAndInfo) {
    CPath a;
    a.AddMoveTo(0, 0, 1);
    a.AddLineTo(5, 0);
    CPath b;
    b.AddLineTo(1, 0);
    const CPath* glyphs[] = {&a, nullptr, &b};
    CSwfWriter w;
    w.NextCharacterId();
    EXPECT_EQ(WriteDefineFont(w, glyphs), 2);
    const uint8_t codes[] = {'a', ' ', 0xE9};
    WriteDefineFontInfo(w, 2, "Sans", codes);
    EXPECT_EQ(Written(w),
              Concat({Hex("92 02 02 00"),                 // DefineFont, 18 bytes; id 2
                      Hex("06 00 0B 00 0D 00"),           // offsets 6, 11, 13
                      Bits("0001 0001 000101 00001 0 0 1" // move, fill 1
                           "11 0010 0 0 0101 000000"),    // +5; end
                      Hex("11 00"),                       // empty glyph
                      Bits("0001 0001 11 0000 0 0 01 000000"),
                      Hex("4B 03 02 00 04 53 61 6E 73 00" // DefineFontInfo, 11 bytes
                          "61 20 E9")}));
}

TEST(SwfRecordsFont, GlyphsThatWouldOverflowTheOffsetTableBecomeEmpty) {
    // About 41,000 bytes of outline each: the second one would push the third glyph's offset
    // past 65,535, so it is written empty and the third still gets a true offset.
    CPath big;
    for (int i = 0; i < 8000; ++i)
        big.AddLineTo(i % 2 ? 0 : 65535, i % 2 ? 0 : 65535);
    CPath small;
    small.AddLineTo(1, 0);
    const CPath* glyphs[] = {&big, &big, &small};
    CSwfWriter w;
    WriteDefineFont(w, glyphs);
    const Bytes bytes = Written(w);
    ASSERT_EQ(bytes[0] & 0x3F, 0x3F); // long form: UI32 length, id, table at 8
    const uint16_t offsets[] = {U16(bytes, 8), U16(bytes, 10), U16(bytes, 12)};
    EXPECT_EQ(offsets[0], 6);
    EXPECT_GT(offsets[1], 40000);
    EXPECT_EQ(offsets[2], offsets[1] + 2);
    EXPECT_EQ(bytes[8 + offsets[1]], 0x11);
    EXPECT_EQ(bytes[8 + offsets[1] + 1], 0x00);
    EXPECT_EQ(Bytes(bytes.begin() + 8 + offsets[2], bytes.end()),
              Bits("0001 0001 11 0000 0 0 01 000000"));
}

TEST(SwfRecordsText, OneLineWithALetterWithoutGlyph) {
    DefineTextStyle style;
    style.bounds = CDoubleRect(-10.4, -20, 30, 20.5);
    style.fontId = 7;
    style.color = CColor(1, 2, 3, 0);
    style.x = 1.5;
    style.y = -2.5;
    style.fontSize = 12;
    style.fontGlyphCount = 3; // indexes 0..2: 2 bits
    const DefineTextLetter letters[] = {{0, 10, -2.5, 0}, {-1, 99, -2.5, 0}, {2, -4, -2.5, 0}};
    CSwfWriter w;
    EXPECT_EQ(WriteDefineText(w, style, letters), 1);
    EXPECT_EQ(Written(w),
              Concat({Hex("DA 02 01 00"), // DefineText, 26 bytes; id 1
                      Bits("00110" + Field(-10, 6) + Field(30, 6) + Field(-20, 6) + Field(21, 6)),
                      Hex("02 00 02 05"),          // identity; 2 glyph bits, 5 advance bits
                      Hex("8F 07 00 01 02 03"),    // font 7, colour
                      Hex("02 00 FD FF F0 00 02"), // x 2, y -3, height 240; two glyphs
                      Bits("00" + Field(10, 5) + "10" + Field(-4, 5)), Hex("00")}));
}

TEST(SwfRecordsText, LineChangesAndTheLastLetterStepping) {
    DefineTextStyle style;
    style.fontGlyphCount = 2;
    const DefineTextLetter letters[] = {{1, 8, 0, 240}, // ends line 1
                                        {1, 8, 240, 0}, // line 2
                                        {0, 8, 240, 300}};
    CSwfWriter w;
    WriteDefineText(w, style, letters);
    const Bytes bytes = Written(w);
    // From the first glyph count: one glyph; a new line at y 240 with two glyphs; the last
    // letter steps to y 540, leaving a record without glyphs; the end.
    const Bytes tail = Concat({Hex("01"), Bits("1 01000"), Hex("82 F0 00 02"),
                               Bits("1 01000 0 01000"), Hex("82 1C 02 00 00")});
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(Bytes(bytes.end() - tail.size(), bytes.end()), tail);
}

TEST(SwfRecordsText, MoreThan127GlyphsContinueInARecordAtThePen) {
    DefineTextStyle style;
    style.x = 100;
    style.y = 50;
    style.fontGlyphCount = 1;
    std::vector<DefineTextLetter> letters(130, DefineTextLetter{0, 1, 50, 0});
    CSwfWriter w;
    WriteDefineText(w, style, letters);
    const Bytes bytes = Written(w);
    std::string first;
    for (int i = 0; i < 127; ++i)
        first += "0 01";
    const Bytes tail = Concat({Hex("7F"), Bits(first),
                               Hex("83 E3 00 32 00 03"), // x 100 + 127, y 50; three glyphs
                               Bits("0 01 0 01 0 01"), Hex("00")});
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(Bytes(bytes.end() - tail.size(), bytes.end()), tail);
    EXPECT_EQ(bytes[bytes.size() - tail.size() - 1], 0x00); // height 0 before the count
}

} // namespace
} // namespace tavro
