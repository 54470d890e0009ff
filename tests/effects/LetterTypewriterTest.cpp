// The typewriter on exported records: its computed length, when each letter appears, the cursor
// (where it stands, how it flashes, its extra depth, its removal) and its archive form.
#include "LetterFrameTestSupport.h"

#include "base/Rounding.h"
#include "effects/CActionStop.h"
#include "effects/CEffectTypewriter.h"
#include "effects/CEffectWave.h"
#include "effects/CEventObj.h"
#include "model/Archive.h"
#include "swf/CSwfFont.h"
#include "swf/CSwfGlyph.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

using letter_test::LetterMovie;
using letter_test::PutInt;

TEST(LetterTypewriter, AbLastsThirtyFourFramesAndTypesAtTwelve) {
    LetterMovie m("ab");
    CEffectTypewriter& e = m.Add(std::make_unique<CEffectTypewriter>());
    EXPECT_EQ(e.GetNumFrames(), 34); // (0 + 1) * 5 * 4 + 2 * 1 + 3 * 4
    EXPECT_FALSE(e.CanSetNumFrames());
    EXPECT_EQ(e.GetDepthCount(), 3); // two letters and the cursor
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 34u);

    // Depth 3 is the cursor's; the letters take 1 and 2 as they are typed.
    for (int f = 0; f < 12; ++f)
        EXPECT_EQ(out.frames[f].size(), 1u) << f;
    EXPECT_EQ(out.frames[12].count(1), 1u);
    EXPECT_EQ(out.frames[12].count(2), 0u);
    EXPECT_EQ(out.frames[13].count(2), 1u);
    EXPECT_EQ(out.frames[12].at(1).tx, RoundToInt(m.Rest(0).x));

    // Lit for one flash interval, dark for one, lit again; lit while typing; then flashing
    // from the frame after the last letter.
    std::string lit;
    for (int f = 0; f < 33; ++f)
        lit +=
            out.frames[f].at(3).alpha == 256 ? '#' : (out.frames[f].at(3).alpha == 0 ? '.' : '?');
    EXPECT_EQ(lit, "####....####" // before the line
                   "##"           // typing
                   "###....####....####");
    // The cursor is gone on the last frame.
    EXPECT_EQ(out.frames[33].count(3), 0u);
    EXPECT_EQ(out.frames[33].size(), 2u);

    // It stands where the next letter goes: at "a" first, after "b" at the end.
    const CSwfGlyph* cursor = m.text->GetFont()->FindGlyph('_');
    ASSERT_NE(cursor, nullptr);
    const CDoublePoint stage = m.text->GetStagePosition() * 20.0;
    const TextLetter& a = m.text->GetLetters()[0];
    const TextLetter& b = m.text->GetLetters()[1];
    EXPECT_EQ(out.frames[0].at(3).tx, RoundToInt(a.pen.x + cursor->Centre().x + stage.x));
    EXPECT_EQ(out.frames[0].at(3).ty, RoundToInt(a.pen.y + cursor->Centre().y + stage.y));
    EXPECT_EQ(out.frames[20].at(3).tx,
              RoundToInt(b.pen.x + b.advance.x + cursor->Centre().x + stage.x));
}

TEST(LetterTypewriter, NoFlashesAtLineStartTypesAtTheFlashInterval) {
    LetterMovie m("ab");
    CEffectTypewriter& e = m.Add(std::make_unique<CEffectTypewriter>());
    e.SetFlashesAtLineStart(0);
    e.SetFlashInterval(6);
    const auto out = m.Export();
    EXPECT_EQ(out.frames[5].count(1), 0u);
    EXPECT_EQ(out.frames[6].count(1), 1u);
}

TEST(LetterTypewriter, LinesFlashAtTheirEndAndStart) {
    LetterMovie m("a\r\nb");
    CEffectTypewriter& e = m.Add(std::make_unique<CEffectTypewriter>());
    // Two lines: 2 * 5 * 4 + 2 * 1 + (2 * 2 + 1) * 4.
    EXPECT_EQ(e.GetNumFrames(), 62);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 62u);
    // "a" at 12; the line end flashes 2 times over 16 frames, starting dark; the next line
    // start flashes once over 12 frames, starting lit; "b" at 41.
    std::string lit;
    for (int f = 12; f < 42; ++f)
        lit += out.frames[f].at(3).alpha == 256 ? '#' : '.';
    EXPECT_EQ(lit, "#....####....####"
                   "####....####"
                   "#");
    EXPECT_EQ(out.frames[40].count(2), 0u);
    EXPECT_EQ(out.frames[41].count(2), 1u);
    // At the line start the cursor stands at the start of the second line.
    const TextLetter& b = m.text->GetLetters()[3];
    const CSwfGlyph* cursor = m.text->GetFont()->FindGlyph('_');
    EXPECT_EQ(out.frames[35].at(3).ty,
              RoundToInt(b.pen.y + cursor->Centre().y + m.text->GetStagePosition().y * 20.0));
}

// While a line break is the next character the cursor stands where the layout put the break,
// at the end of its line, with "Reset At Start" or without; when the line feed is typed it moves
// to the start of the next line. It never goes to the text's origin.
TEST(LetterTypewriter, CursorAtALineBreakStandsAtTheEndOfItsLine) {
    for (const bool reset : {false, true}) {
        LetterMovie m("ab\r\ncd");
        CEffectTypewriter& e = m.Add(std::make_unique<CEffectTypewriter>());
        e.SetResetAtStart(reset);
        const auto out = m.Export();
        ASSERT_EQ(out.frames.size(), size_t(e.GetNumFrames()));
        const CSwfGlyph* cursor = m.text->GetFont()->FindGlyph('_');
        ASSERT_NE(cursor, nullptr);
        const CDoublePoint stage = m.text->GetStagePosition() * 20.0;
        const auto cursorAt = [&](const TextLetter& l) {
            return std::pair<long, long>(RoundToInt(l.pen.x + cursor->Centre().x + stage.x),
                                         RoundToInt(l.pen.y + cursor->Centre().y + stage.y));
        };
        const auto shown = [&](int f) {
            const letter_test::Placed& p = out.frames[size_t(f)].at(5);
            return std::pair(p.tx, p.ty);
        };
        const std::vector<TextLetter>& letters = m.text->GetLetters();
        const TextLetter& b = letters[1];
        const TextLetter& lineEnd = letters[2];
        const TextLetter& c = letters[4];
        // The break stands after "b" on the first line.
        EXPECT_EQ(lineEnd.pen.y, b.pen.y);
        EXPECT_GT(lineEnd.pen.x, b.pen.x);
        // "b" is typed at 13, the carriage return at 14 (then 16 frames of line-end flashes),
        // the line feed at 30 (12 frames of line-start flashes), "c" at 42.
        for (const int f : {13, 14, 20, 29})
            EXPECT_EQ(shown(f), cursorAt(lineEnd)) << "frame " << f << " reset " << reset;
        for (const int f : {30, 41})
            EXPECT_EQ(shown(f), cursorAt(c)) << "frame " << f << " reset " << reset;
    }
}

// A text that ends with a line break leaves the cursor at the end of the last line.
TEST(LetterTypewriter, TrailingLineBreakKeepsTheCursorOnTheText) {
    LetterMovie m("ab\r\n");
    CEffectTypewriter& e = m.Add(std::make_unique<CEffectTypewriter>());
    const auto out = m.Export();
    const int n = e.GetNumFrames();
    ASSERT_EQ(out.frames.size(), size_t(n));
    const CSwfGlyph* cursor = m.text->GetFont()->FindGlyph('_');
    const TextLetter& lineEnd = m.text->GetLetters()[3];
    const long x =
        RoundToInt(lineEnd.pen.x + cursor->Centre().x + m.text->GetStagePosition().x * 20.0);
    EXPECT_EQ(out.frames[size_t(n - 2)].at(3).tx, x);
}

TEST(LetterTypewriter, LettersLeftByAnEarlierEffectWaitToBeTyped) {
    LetterMovie m("ab");
    m.Add(std::make_unique<CEffectWave>()).SetNumFrames(2);
    m.Add(std::make_unique<CEffectTypewriter>(), 2);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 36u);
    EXPECT_EQ(out.frames[1].at(1).alpha, 256);
    EXPECT_EQ(out.frames[2].at(1).alpha, 0); // hidden until typed at 2 + 12
    EXPECT_EQ(out.frames[2].at(2).alpha, 0);
    EXPECT_EQ(out.frames[14].at(1).alpha, 256);
    EXPECT_EQ(out.frames[14].at(2).alpha, 0);
    EXPECT_EQ(out.frames[2].count(3), 1u); // the cursor beyond the letters
}

TEST(LetterTypewriter, AButtonAtRestShowsItsLettersWithoutTheCursor) {
    LetterMovie m("ab");
    auto event = std::make_unique<CEventObj>(nullptr, CEventObj::kRelease);
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    m.text->InsertEvent(std::move(event));
    m.Add(std::make_unique<CEffectTypewriter>());
    const auto out = m.Export();
    std::vector<long> inSprite;
    bool cursorRemoved = false;
    for (const auto& tag : out.tags) {
        if (tag.code == swfformat::kTagPlaceObject2 && tag.nesting == 1)
            inSprite.push_back(letter_test::Field(tag.fields, "depth"));
        if (tag.code == swfformat::kTagRemoveObject2 && tag.nesting == 0 &&
            letter_test::Field(tag.fields, "depth") == 3)
            cursorRemoved = true;
    }
    EXPECT_EQ(inSprite, (std::vector<long>{1, 2}));
    EXPECT_TRUE(cursorRemoved);
    ASSERT_EQ(out.frames.size(), 34u);
    EXPECT_EQ(out.frames[33].size(), 1u); // the button alone
}

TEST(LetterTypewriter, ArchiveFormHoldsTheComputedLength) {
    CTextObj text("abc", nullptr);
    auto effect = std::make_unique<CEffectTypewriter>();
    CEffectTypewriter& e = *effect;
    e.SetLetterInterval(2);
    e.SetFlashInterval(3);
    e.SetFlashesAtLineStart(4);
    e.SetFlashesAtLineEnd(5);
    e.SetCursorCharacter('|');
    text.InsertEffect(std::move(effect));
    std::vector<uint8_t> tail = {1, 1};
    PutInt(tail, 2);
    PutInt(tail, 3);
    PutInt(tail, 4); // line start before line end
    PutInt(tail, 5);
    PutInt(tail, '|');
    const std::vector<uint8_t> bytes = SaveObjectToMemory(e);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - static_cast<long>(tail.size()), bytes.end()),
              tail);
    // The frames field (second of the effect level, after the name "Typewriter" and the start
    // frame) holds 11 * 3 + 3 * 2 + 9 * 3 = 66.
    const size_t frames = 1 + 1 + 10 + 1 + 1 + 4 + 1 + 4;
    ASSERT_GT(bytes.size(), frames + 4);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + frames, bytes.begin() + frames + 4),
              (std::vector<uint8_t>{66, 0, 0, 0}));

    CEffectTypewriter loaded;
    LoadObjectFromMemory(bytes, loaded);
    EXPECT_EQ(loaded.GetNumFrames(), 66);
    EXPECT_EQ(loaded.GetLetterInterval(), 2);
    EXPECT_EQ(loaded.GetFlashesAtLineStart(), 4);
    EXPECT_EQ(loaded.GetCursorCharacter(), '|');
}

TEST(LetterTypewriter, DamagedIntervalsKeepTheLengthFinite) {
    CEffectTypewriter e;
    e.SetFlashInterval(0);
    e.SetLetterInterval(-7);
    e.SetFlashesAtLineEnd(-1);
    e.SetFlashesAtLineStart(2000000000);
    EXPECT_EQ(e.ComputeNumFrames("ab"), 1 * 1 * 1 + 2 * 1 + (2 * 9999 + 1) * 1);
    LetterMovie m("ab");
    CEffectTypewriter& w = m.Add(std::make_unique<CEffectTypewriter>());
    w.SetFlashInterval(0);
    w.SetCursorCharacter(-5); // no cursor at all
    const auto out = m.Export();
    EXPECT_EQ(out.frames.size(), 5u + 2u + 3u); // a flash interval of 1
    EXPECT_EQ(out.frames.back().size(), 2u);
}

} // namespace
} // namespace tavro
