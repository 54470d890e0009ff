// Text objects in the document and the editor: defaults, copy and equality, the archive form,
// and drawing, measuring and hit-testing through the drawing interface with the export's font
// metrics (Liberation Sans for "Arial": at 1024 units per em "A" and "B" advance 683, a line is
// 1144 high plus an external leading of 34).
#include "model/Archive.h"
#include "model/ArchiveError.h"
#include "model/CTextObj.h"
#include "model/RecordingDrawContext.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;

TEST(TextObj, DefaultsCopyAndEquality) {
    CTextObj text;
    EXPECT_EQ(text.GetText(), "Text");
    EXPECT_EQ(text.GetFontFace(), "Arial");
    EXPECT_EQ(text.GetFontSize(), 72);
    EXPECT_EQ(text.GetColor(), CColor(0, 0, 0, 255));
    EXPECT_EQ(text.GetAlignment(), kAlignCentre);
    EXPECT_EQ(text.GetParent(), nullptr);

    CTavroObj scene;
    CTextObj styled("Hello\r\nWorld", &scene);
    styled.SetFontFace("Times New Roman");
    styled.SetBold(1);
    styled.SetItalic(1);
    styled.SetFontSize(30);
    styled.SetColor(CColor(10, 20, 30));
    styled.SetAlignment(kAlignRight);
    styled.SetStagePosition(5.0, 6.0);
    const CTextObj copy(styled);
    EXPECT_TRUE(copy.IsEqualText(styled));
    EXPECT_EQ(copy.GetParent(), &scene);
    EXPECT_EQ(copy.GetStagePosition(), CDoublePoint(5.0, 6.0));

    CTextObj face(copy);
    face.SetFontFace("times new roman"); // faces compare byte for byte
    EXPECT_FALSE(face.IsEqualText(styled));
    CTextObj colour(copy);
    colour.SetColor(CColor(10, 20, 31));
    EXPECT_FALSE(colour.IsEqualText(styled));
    CTextObj moved(copy);
    moved.SetStagePosition(5.0, 6.5);
    EXPECT_FALSE(moved.IsEqualText(styled));
    CTextObj renamed(copy);
    renamed.SetText("Hello\r\nWorld!");
    EXPECT_FALSE(renamed.IsEqualText(styled));
}

TEST(TextObj, ArchiveFormFollowsTheSymbolPart) {
    CTextObj text("Caf\xE9", nullptr);
    text.SetFontFace("Verdana");
    text.SetFontSize(24);
    text.SetBold(1);
    text.SetAlignment(kAlignLeft);
    text.SetColor(CColor(1, 2, 3, 4));
    text.SetStagePosition(7.0, 8.0);
    CSymbolObj symbol;
    symbol.SetName("Caf\xE9");
    symbol.SetStagePosition(7.0, 8.0);
    const Bytes expected = Concat({
        SaveObjectToMemory(symbol),
        Hex("01 07 56657264616E61"),                   // version, "Verdana"
        Hex("18000000 01000000 00000000 01000000"),    // size, bold, italic, alignment
        Hex("01 01000000 02000000 03000000 04000000"), // colour
    });
    EXPECT_EQ(SaveObjectToMemory(text), expected);

    CTextObj loaded;
    LoadObjectFromMemory(expected, loaded);
    EXPECT_TRUE(loaded.IsEqualText(text));

    // Created by class name, as a document reads its scenes' children.
    const ClassInfo* info = ClassInfo::FromName("CTextObj");
    ASSERT_NE(info, nullptr);
    std::unique_ptr<CRootObj> made(info->CreateObject());
    EXPECT_NE(DynamicCast<CTextObj>(made.get()), nullptr);

    // Version 0 of the text level reads nothing more.
    Bytes old = SaveObjectToMemory(symbol);
    old.push_back(0);
    CTextObj fromOld;
    LoadObjectFromMemory(old, fromOld);
    EXPECT_EQ(fromOld.GetText(), "Caf\xE9");
    EXPECT_EQ(fromOld.GetFontFace(), "Arial");

    // A text cut short is an archive error, not a half-read object in use.
    const Bytes cut(expected.begin(), expected.end() - 6);
    CTextObj damaged;
    EXPECT_THROW(LoadObjectFromMemory(cut, damaged), ArchiveError);
}

// "AB" at 72 pixels is 1366 x 72 / 1024 = 96.05 wide and 1144 x 72 / 1024 = 80.44 high.
TEST(TextObjEditor, ScreenRectIsTheLaidOutBlockCentredOnThePosition) {
    CTextObj text("AB", nullptr);
    text.SetStagePosition(100.0, 50.0);
    EXPECT_EQ(text.GetScreenRect(), (IntRect{52, 10, 148, 90}));
    EXPECT_TRUE(text.HitTest(52, 10));
    EXPECT_FALSE(text.HitTest(148, 50));

    // Two lines and one leading: 2322 x 72 / 1024 = 163.27 high; empty lines add nothing.
    text.SetText("AB\r\n\r\nAB");
    EXPECT_EQ(text.GetScreenRect(), (IntRect{52, -31, 148, 132}));
    text.SetFontSize(144);
    EXPECT_EQ(text.GetScreenRect(), (IntRect{4, -113, 196, 214}));

    EXPECT_EQ(CTextObj().GetDrawTextAlignment(), DrawTextAlign::Center);
    text.SetAlignment(kAlignLeft);
    EXPECT_EQ(text.GetDrawTextAlignment(), DrawTextAlign::Left);
    text.SetAlignment(kAlignRight);
    EXPECT_EQ(text.GetDrawTextAlignment(), DrawTextAlign::Right);
    text.SetAlignment(7);
    EXPECT_EQ(text.GetDrawTextAlignment(), DrawTextAlign::Center);
}

TEST(TextObjEditor, DrawsEachLineWhereTheMovieHasItAndMarksTheSelection) {
    CTextObj text("AB\r\nC", nullptr);
    text.SetStagePosition(100.0, 50.0);
    text.SetColor(CColor(255, 0, 16));
    text.SetBold(1);
    RecordingDrawContext dc;
    text.Draw(dc, IntRect{0, 0, 550, 400}, true);
    // Bold "A" and "B" advance 740 each: the block is 1480 x 72 / 1024 = 104.06 wide. Line 2
    // starts 1178 x 72 / 1024 = 82.83 pixels below line 1.
    const std::vector<std::string> expected = {
        "Text 48 -31 152 49 center \"Arial\" 72 bold #FF0010 \"AB\"",
        "Text 48 52 152 132 center \"Arial\" 72 bold #FF0010 \"C\"",
        "InvertRect 48 -31 152 132",
        "InvertLine 95 50 105 50",
        "InvertLine 100 45 100 55",
        "CreateMask 104 163",
    };
    EXPECT_EQ(dc.Calls(), expected);

    dc.Clear();
    text.Draw(dc, IntRect{0, 0, 550, 400}, false);
    EXPECT_EQ(dc.Calls().size(), 3u); // two lines and the mask
}

TEST(TextObjEditor, HitTestMaskHasInkOnlyOnTheLines) {
    CTextObj text("AB\r\nC", nullptr);
    text.SetStagePosition(100.0, 50.0);
    EXPECT_FALSE(text.HitTestMask(100, 0)); // no mask before the first drawing
    RecordingDrawContext dc;
    text.Draw(dc, IntRect{0, 0, 550, 400}, false);
    EXPECT_TRUE(text.HitTestMask(100, 0));   // line 1
    EXPECT_TRUE(text.HitTestMask(100, 100)); // line 2
    EXPECT_FALSE(text.HitTestMask(100, 50)); // the leading between them
    EXPECT_FALSE(text.HitTestMask(200, 0));  // outside the block
    // The mask follows the object when it moves, until the next drawing rebuilds it.
    text.SetStagePosition(300.0, 50.0);
    EXPECT_TRUE(text.HitTestMask(300, 0));
}

TEST(TextObjEditor, HostileSizesAndPositionsStayInRange) {
    CTextObj huge("W\r\nW", nullptr);
    huge.SetFontSize(1000000000);
    huge.SetStagePosition(2.0e9, -2.0e9);
    const IntRect r = huge.GetScreenRect();
    EXPECT_LE(r.x0, r.x1);
    EXPECT_LE(r.y0, r.y1);
    EXPECT_EQ(r.y0, INT32_MIN);

    // A line wider than the largest mask: the mask is cut, its ink starts at the left.
    CTextObj wide(std::string(300, 'W'), nullptr);
    wide.SetFontSize(100);
    RecordingDrawContext dc;
    wide.Draw(dc, wide.GetScreenRect(), false);
    EXPECT_EQ(dc.Calls().back(), "CreateMask 8192 112");
    const IntRect w = wide.GetScreenRect();
    EXPECT_TRUE(wide.HitTestMask(w.x0, 50));
    EXPECT_FALSE(wide.HitTestMask(w.x1 - 1, 50));
}

} // namespace
} // namespace tavro
