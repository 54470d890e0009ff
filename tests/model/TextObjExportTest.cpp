// Text objects in an export: layout, the DefineText of the font form, and letter-by-letter
// placement of the letter form. Outlines and metrics come from Liberation Sans ("Arial"); the
// numbers below are that font's: at 1024 units per em "A" and "B" advance 683, "C" 740, the
// line is 1144 high with ascent 927 and external leading 34.
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "swf/CSwfFont.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"
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

struct WrittenTag {
    uint16_t code = 0;
    int nesting = 0;
    Bytes body;
    std::string fields;
};

std::vector<WrittenTag> FinishAndList(CSwfWriter& w) {
    w.Finish();
    const std::span<const uint8_t> image = w.GetImageBytes();
    const SwfTagReader::Header header = SwfTagReader::ReadHeader(image);
    std::vector<WrittenTag> tags;
    SwfTagReader::ListMovie(image, header, [&](const SwfTagReader::Entry& e) {
        if (e.tag.code == 0)
            return;
        const uint8_t* body = image.data() + e.tag.bodyOffset;
        tags.push_back({e.tag.code, e.nesting, Bytes(body, body + e.tag.length), e.fields});
    });
    return tags;
}

std::vector<WrittenTag> OfCode(const std::vector<WrittenTag>& tags, uint16_t code) {
    std::vector<WrittenTag> out;
    for (const WrittenTag& t : tags)
        if (t.code == code)
            out.push_back(t);
    return out;
}

CSwfWriter MovieWriter() {
    CSwfWriter w;
    w.WriteHeader(550, 400, 12, 1);
    return w;
}

// A text exported letter by letter, as it is when a letter effect is on its timeline.
class LetterText : public CTextObj {
public:
    using CTextObj::CTextObj;
    bool HasLetterEffects() const override { return true; }
};

constexpr double kScale72 = 72 * 20 / 1024.0; // em units to twips at 72 pixels

TEST(TextObjLayout, TwoLinesCentredAndTheirDefineText) {
    CTextObj text("AB\r\nC", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 1);
    EXPECT_TRUE(text.DefineCharacter(w));

    const double width = 1366 * kScale72;             // "AB"
    const double height = (2 * 1144 + 34) * kScale72; // two lines and one leading
    const double y1 = -height / 2 + 927 * kScale72;   // first baseline
    const double y2 = y1 + (1144 + 34) * kScale72;    // second baseline
    EXPECT_EQ(text.GetTextRect(), CDoubleRect(-width / 2, -height / 2, width / 2, height / 2));
    const std::vector<TextLetter>& letters = text.GetLetters();
    ASSERT_EQ(letters.size(), 5u);
    EXPECT_EQ(letters[0].position, CDoublePoint(-width / 2, y1));
    EXPECT_EQ(letters[1].position, CDoublePoint(0.0, y1));
    EXPECT_EQ(letters[4].position, CDoublePoint(-740 * kScale72 / 2, y2));
    EXPECT_EQ(letters[2].glyph, nullptr); // CR and LF
    EXPECT_EQ(letters[3].glyph, nullptr);
    EXPECT_EQ(letters[3].position, CDoublePoint(width / 2, y1)); // where line 1 ended
    EXPECT_EQ(letters[4].restMatrix.GetTranslation(), letters[4].position);
    EXPECT_EQ(text.GetExportState().characterId, 2);

    const std::vector<WrittenTag> tags = FinishAndList(w);
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0].fields, "id=1 glyphs=3");
    EXPECT_EQ(tags[1].body, Hex("0100 05 417269616C 00 41 42 43"));
    ASSERT_EQ(tags[2].code, 11);
    // Rounded: block x -960..960, y -1633..1633; first pen (-960, -329); B advances -520 back
    // to line 2 and down 1656.5625; line 2 starts at y 1328; C advances its own width 1041.
    const Bytes expected = Concat({
        Hex("0200"),
        Bits("01100" + Field(-960, 12) + Field(960, 12) + Field(-1633, 12) + Field(1633, 12)),
        Bits("0 0 00001 0 0"), // identity matrix
        Hex("02 0C"),          // glyph bits (3 glyphs), advance bits
        Hex("8F 0100 000000 40FC B7FE A005 02"),
        Bits("00" + Field(960, 12) + "01" + Field(-520, 12)),
        Hex("82 3005 01"),
        Bits("10" + Field(1041, 12)),
        Hex("00"),
    });
    EXPECT_EQ(tags[2].body, expected);
}

TEST(TextObjLayout, EmptyLinesTakeNoSpaceAndAlignmentMovesLineEnds) {
    CTextObj twoLines("A\r\n\r\nB", nullptr);
    CSwfWriter w = MovieWriter();
    twoLines.BeginExport(w, 1);
    twoLines.DefineCharacter(w);
    const CDoubleRect& rect = twoLines.GetTextRect();
    EXPECT_DOUBLE_EQ(rect.y1 - rect.y0, (2 * 1144 + 34) * kScale72);
    const std::vector<TextLetter>& letters = twoLines.GetLetters();
    EXPECT_DOUBLE_EQ(letters[5].pen.y - letters[0].pen.y, (1144 + 34) * kScale72);

    for (int32_t alignment : {kAlignLeft, kAlignRight}) {
        CTextObj text("AB\r\nC", nullptr);
        text.SetAlignment(alignment);
        CSwfWriter w2 = MovieWriter();
        text.BeginExport(w2, 1);
        text.DefineCharacter(w2);
        const CDoubleRect& r = text.GetTextRect();
        const TextLetter& c = text.GetLetters()[4];
        if (alignment == kAlignLeft) {
            EXPECT_DOUBLE_EQ(c.pen.x, r.x0);
            EXPECT_DOUBLE_EQ(text.GetLetters()[0].pen.x, r.x0);
        } else {
            EXPECT_DOUBLE_EQ(c.pen.x + 740 * kScale72, r.x1);
            EXPECT_DOUBLE_EQ(text.GetLetters()[1].pen.x + 683 * kScale72, r.x1);
        }
    }
}

TEST(TextObjExport, OneTextCharacterPerExportAndANewOneInTheNext) {
    CTextObj text("Hi", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 1);
    text.DefineCharacter(w);
    text.DefineCharacter(w);
    const std::vector<WrittenTag> tags = FinishAndList(w);
    EXPECT_EQ(OfCode(tags, 11).size(), 1u);
    EXPECT_EQ(OfCode(tags, 10).size(), 1u);

    CSwfWriter next = MovieWriter();
    text.BeginExport(next, 1);
    EXPECT_FALSE(text.HasCharacter());
    text.DefineCharacter(next);
    EXPECT_EQ(text.GetExportState().characterId, 2); // ids start again at 1 for the font
}

TEST(TextObjExport, SceneExportsFontTextAndOnePlacement) {
    CSceneObj scene;
    auto owned = std::make_unique<CTextObj>("Caf\xE9", &scene);
    owned->SetStagePosition(100.0, 50.0);
    scene.AddChild(std::move(owned));
    CSwfWriter w = MovieWriter();
    CSwfShape stage = MakeStageRectangle(550, 400);
    scene.WriteSwf(w, true, stage, {550.0, 400.0});
    const std::vector<WrittenTag> tags = FinishAndList(w);
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[0].code, 10);
    EXPECT_EQ(tags[1].body, Hex("0100 05 417269616C 00 43 61 66 E9")); // the accent stays
    EXPECT_EQ(tags[2].code, 11);
    EXPECT_EQ(tags[3].fields.substr(0, 23), "flags=0x0E depth=1 id=2");
    EXPECT_NE(tags[3].fields.find("tx=2000 ty=1000"), std::string::npos);
    EXPECT_EQ(tags[4].code, 1);
}

TEST(TextObjLetters, PrintableLettersOnConsecutiveDepthsSpacesNeverPlaced) {
    LetterText text("A B\xE9", nullptr);
    text.SetStagePosition(10.0, 20.0);
    EXPECT_EQ(text.CountPrintable(), 3);
    EXPECT_EQ(text.GetOwnDepthCount(), 3);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 5);
    text.WriteFrame(w, 0); // no effects: define, then place every letter
    EXPECT_TRUE(text.AllLettersDefined());
    EXPECT_TRUE(text.IsPlaced());
    EXPECT_EQ(text.GetExportState().stageDepth, 8); // the next free depth

    const std::vector<WrittenTag> tags = FinishAndList(w);
    const std::vector<WrittenTag> shapes = OfCode(tags, 2);
    const std::vector<WrittenTag> places = OfCode(tags, 26);
    ASSERT_EQ(shapes.size(), 3u); // A, B and é; the space has no shape
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].fields.substr(0, 23), "flags=0x0E depth=5 id=1");
    EXPECT_EQ(places[1].fields.substr(0, 23), "flags=0x0E depth=6 id=2");
    EXPECT_EQ(places[2].fields.substr(0, 23), "flags=0x0E depth=7 id=3");
    EXPECT_EQ(text.GetLetters()[1].stageDepth, 0);
}

TEST(TextObjLetters, LetterIsPlacedAtItsPositionAndVisibleWhileItShows) {
    LetterText text("A", nullptr);
    text.SetStagePosition(10.0, 20.0);
    text.SetExportStageSize({550.0, 400.0});
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 1);
    EXPECT_FALSE(text.IsVisibleOnStage());
    text.WriteFrame(w, 0);
    EXPECT_TRUE(text.IsVisibleOnStage());
    // At 1440 units per em the line is 1609 high with ascent 1304: the pen stands at
    // (-480, 499.5). "A" spans x 2..958, y -991..0, so its centre is (480, -495) and the
    // letter's position (0, 4.5); on the object at (200, 400) twips it lands at (200, 404.5).
    const TextLetter& a = text.GetLetters()[0];
    EXPECT_EQ(a.position, CDoublePoint(0.0, 4.5));
    // Its shape's box (x -478..478, y -496..495) around that position.
    EXPECT_EQ(text.GetBounds(), CDoubleRect(-478, -491.5, 478, 499.5));
    CColorTransform clear;
    clear.alphaMult = 0;
    TextLetter& letter = text.GetLetters()[0];
    text.PlaceLetter(letter, w, letter.matrix, clear, CMatrix3(), CColorTransform());
    EXPECT_TRUE(text.IsPlaced());
    EXPECT_FALSE(text.IsVisibleOnStage()); // its only letter is fully transparent

    const std::vector<WrittenTag> places = OfCode(FinishAndList(w), 26);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_NE(places[0].fields.find("tx=200 ty=405"), std::string::npos);
}

TEST(TextObjLetters, MovesCarryWhatChangedAndAlphaCombines) {
    LetterText text("AB", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 1);
    text.DefineCharacter(w);
    TextLetter& a = text.GetLetters()[0];
    const CMatrix3 rest = a.matrix;
    CColorTransform half;
    half.alphaMult = 128;
    text.PlaceLetter(a, w, rest, half, CMatrix3(), half); // new: (128 x 128 + 128) / 256 = 64
    EXPECT_EQ(a.lastColorTransform.alphaMult, 64);
    EXPECT_EQ(a.colorTransform.alphaMult, 128);
    text.PlaceLetter(a, w, rest, half, CMatrix3(), half); // unchanged: nothing
    CMatrix3 moved;
    moved.SetTranslation(100.0, 0.0);
    text.PlaceLetter(a, w, rest, half, moved, half); // the matrix only
    EXPECT_EQ(a.lastMatrix.GetTranslation(), rest.GetTranslation() + CDoublePoint(100.0, 0.0));
    text.PlaceLetter(a, w, rest, CColorTransform(), moved, half); // the colour transform only
    EXPECT_EQ(a.lastColorTransform.alphaMult, 128);

    const std::vector<WrittenTag> places = OfCode(FinishAndList(w), 26);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].fields.substr(0, 10), "flags=0x0E");
    EXPECT_NE(places[0].fields.find("mult=256,256,256,64"), std::string::npos);
    EXPECT_EQ(places[1].fields.substr(0, 18), "flags=0x05 depth=1");
    EXPECT_EQ(places[2].fields.substr(0, 18), "flags=0x09 depth=1");
}

TEST(TextObjLetters, RemovalSaveRestoreAndPlacingAgain) {
    LetterText text("ABC", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 4);
    text.DefineCharacter(w);
    std::vector<TextLetter>& letters = text.GetLetters();
    // Only two letters shown so far (as a typewriter does).
    text.PlaceLetter(letters[0], w, letters[0].matrix, letters[0].colorTransform, CMatrix3(),
                     CColorTransform());
    text.PlaceLetter(letters[1], w, letters[1].matrix, letters[1].colorTransform, CMatrix3(),
                     CColorTransform());
    EXPECT_FALSE(text.IsPlaced());

    text.SaveExportState();
    text.RemoveFromStage(w); // every letter on the display list goes, shown or not all
    EXPECT_EQ(letters[0].stageDepth, 0);
    EXPECT_EQ(text.GetExportState().stageDepth, 0);
    text.RestoreExportState();
    EXPECT_EQ(letters[0].stageDepth, 4);
    EXPECT_EQ(letters[1].stageDepth, 5);
    EXPECT_EQ(text.GetExportState().stageDepth, 6);

    text.RemoveFromStage(w);
    text.PlaceLetters(w, CMatrix3(), CColorTransform());
    EXPECT_EQ(letters[2].stageDepth, 6); // placed again from the object's depth
    EXPECT_TRUE(text.IsPlaced());

    std::vector<std::string> removed;
    for (const WrittenTag& t : OfCode(FinishAndList(w), 28))
        removed.push_back(t.fields);
    EXPECT_EQ(removed, (std::vector<std::string>{"depth=4", "depth=5", "depth=4", "depth=5"}));
}

TEST(TextObjLetters, ALetterPlacedAgainStaysInsideTheTextsDepths) {
    // Depths 4..6 belong to "ABC"; depth 7 is the next object's.
    LetterText text("ABC", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 4);
    text.DefineCharacter(w);
    std::vector<TextLetter>& letters = text.GetLetters();
    const auto place = [&](TextLetter& l) {
        text.PlaceLetter(l, w, l.matrix, l.colorTransform, CMatrix3(), CColorTransform());
    };
    for (TextLetter& l : letters)
        place(l);
    text.RemoveLetter(letters[1], w);
    place(letters[1]);
    EXPECT_EQ(letters[1].stageDepth, 5);
    text.RemoveLetter(letters[0], w);
    text.RemoveLetter(letters[2], w);
    place(letters[2]);
    place(letters[0]);
    EXPECT_EQ(letters[2].stageDepth, 6); // the next depth is still free
    EXPECT_EQ(letters[0].stageDepth, 4); // the next depth (7) is past the text: lowest free

    const std::vector<WrittenTag> placed = OfCode(FinishAndList(w), 26);
    ASSERT_FALSE(placed.empty());
    for (const WrittenTag& t : placed) {
        const size_t at = t.fields.find("depth=");
        ASSERT_NE(at, std::string::npos) << t.fields;
        const int depth = std::stoi(t.fields.substr(at + 6));
        EXPECT_TRUE(depth >= 4 && depth <= 6) << t.fields;
    }
}

TEST(TextObjLetters, SpriteHoldsTheLettersFromDepthOneAndLeavesTheStageAlone) {
    LetterText text("AB", nullptr);
    CSwfWriter w = MovieWriter();
    text.BeginExport(w, 7);
    text.WriteFrame(w, 0);
    text.DefineSprite(w);
    EXPECT_EQ(text.GetExportState().spriteId, 3);
    EXPECT_EQ(text.GetExportState().depth, 7);
    EXPECT_EQ(text.GetLetters()[0].stageDepth, 7);
    EXPECT_EQ(text.GetLetters()[1].stageDepth, 8);

    std::vector<std::string> inside;
    for (const WrittenTag& t : FinishAndList(w))
        if (t.nesting == 1 && t.code == 26)
            inside.push_back(t.fields.substr(0, 23));
    EXPECT_EQ(inside,
              (std::vector<std::string>{"flags=0x0E depth=1 id=1", "flags=0x0E depth=2 id=2"}));
}

TEST(TextObjExport, DegenerateTextsExportWithoutHarm) {
    for (const char* s : {"", "\r\n", "   ", "\x01\x7F"}) {
        CTextObj text(s, nullptr);
        CSwfWriter w = MovieWriter();
        text.BeginExport(w, 1);
        text.DefineCharacter(w);
        EXPECT_EQ(OfCode(FinishAndList(w), 11).size(), 1u);

        LetterText letters(s, nullptr);
        CSwfWriter w2 = MovieWriter();
        letters.BeginExport(w2, 1);
        letters.WriteFrame(w2, 0);
        EXPECT_TRUE(letters.AllLettersDefined());
        EXPECT_FALSE(letters.IsPlaced());
        EXPECT_TRUE(OfCode(FinishAndList(w2), 26).empty());
    }
    for (int32_t size : {0, -72, 0x7FFFFFFF}) {
        CTextObj text("Big", nullptr);
        text.SetFontSize(size);
        CSwfWriter w = MovieWriter();
        text.BeginExport(w, 1);
        text.DefineCharacter(w);
        EXPECT_NO_THROW(FinishAndList(w));
    }
}

TEST(TextObjExport, OnlyTextEffectClassesCountAsLetterEffects) {
    CTextObj text("A", nullptr);
    EXPECT_FALSE(text.HasLetterEffects());
    text.InsertEffect(std::make_unique<CTavroObj>());
    EXPECT_FALSE(text.HasLetterEffects());
    EXPECT_EQ(text.GetOwnDepthCount(), 1);
}

} // namespace
} // namespace tavro
