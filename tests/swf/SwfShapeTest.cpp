#include "swf/CSwfButton.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Field;
using test::Hex;

// Everything written after the signature, a partly written byte included.
Bytes Written(const CSwfWriter& w) {
    return Bytes(w.GetImage() + 8, w.GetImage() + (w.GetPosition(false) + 7) / 8);
}

TEST(SwfShape, StageRectangleIsAWhiteFilledDefineShape) {
    CSwfWriter w;
    w.NextCharacterId();
    CSwfShape stage = MakeStageRectangle(2, 1); // 40 x 20 twips
    EXPECT_EQ(stage.id, -1);
    EXPECT_EQ(stage.Define(w), 2);
    EXPECT_EQ(stage.id, 2);
    const Bytes expected = Concat({
        Hex("98 00 02 00"), // DefineShape, 24 bytes; id 2
        Bits("00111" + Field(0, 7) + Field(40, 7) + Field(0, 7) + Field(20, 7)),
        Hex("01 00 FF FF FF"),    // one solid white fill
        Hex("00 10"),             // no line; one fill bit, no line bit
        Bits("000101 00001 0 0 1" // move to (0, 0), fill 1
             "11 0101 00" +
             Field(40, 7) +                 // (40, 0)
             "11 0100 01" + Field(20, 6) +  // (40, 20)
             "11 0101 00" + Field(-40, 7) + // (0, 20)
             "11 0100 01" + Field(-20, 6) + // (0, 0)
             "000000"),
    });
    EXPECT_EQ(Written(w), expected);
}

TEST(SwfShape, StyleArraysFollowTheStylesPresent) {
    CSwfWriter w;
    CSwfShape outline;
    outline.line = std::make_unique<CLineStyle>();
    outline.line->width = 39.6;
    outline.line->color = CColor(1, 2, 3);
    outline.path.AddMoveTo(0, 0, -1, 1);
    outline.Write(w, 9);
    EXPECT_EQ(outline.id, 9);
    const Bytes bytes = Written(w);
    // 15 bytes: id, RECT of one point (5 + 4 bits), no fill, one line of width 40, NumBits 0 and 1.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14),
              Concat({Hex("8F 00 09 00"), Bits("00001 0 0 0 0"), Hex("00 01 28 00 01 02 03 01")}));

    // An empty path: bounds (0, 0, 0, 0), no records but the end.
    CSwfWriter e;
    CSwfShape empty;
    empty.Write(e, 1);
    EXPECT_EQ(Written(e), Concat({Hex("88 00 01 00"), Bits("00001 0 0 0 0"), Hex("00 00 00 00")}));

    // Copies are deep.
    CSwfShape copy = outline;
    outline.line->width = 1;
    EXPECT_EQ(copy.line->width, 39.6);
}

TEST(SwfButton, UrlButtonEndsItsOnlyConditionWithTheClosingRecord) {
    CSwfWriter w;
    CSwfButton button;
    button.stateIds[CSwfButton::kHitTest] = 1;
    button.url = "a";
    button.Write(w, 2);
    EXPECT_EQ(button.id, 2);
    const Bytes expected = Concat({
        Hex("9D 08"),                   // DefineButton2, 29 bytes
        Hex("02 00 00 0B 00"),          // id 2, no menu, actions 11 bytes on
        Hex("08 01 00 01 00 02 00 00"), // hit test: character 1, depth 1, identity, identity
        Hex("00"),                      // end of the records
        Hex("00 00 08 00"),             // last record (size 0), on release
        Hex("83 03 00 61 00 00"),       // get URL "a", target ""
        Hex("00 00 00 00 00"),          // closing record; its first byte ends the actions
    });
    EXPECT_EQ(Written(w), expected);
}

TEST(SwfButton, WithoutUrlOnlyTheClosingRecordAndStatesInOrder) {
    CSwfWriter w;
    CSwfButton button;
    button.menu = 1;
    button.stateIds[CSwfButton::kHitTest] = 1;
    button.stateIds[CSwfButton::kDown] = 0; // not above 0: absent
    button.stateIds[CSwfButton::kUp] = 3;
    button.target = "_top";
    button.Write(w, 4);
    const Bytes expected = Concat({
        Hex("9B 08 04 00 01 13 00"), // 27 bytes; id 4, menu; actions 19 bytes on
        Hex("01 03 00 01 00 02 00 00"), Hex("08 01 00 01 00 02 00 00"), Hex("00"),
        Hex("00 00 00 00 00"), // the action offset points here
    });
    EXPECT_EQ(Written(w), expected);
}

} // namespace
} // namespace tavro
