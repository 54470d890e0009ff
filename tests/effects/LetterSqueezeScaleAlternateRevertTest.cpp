// The squeeze, scale-letters, alternate-letters and revert effects: frames checked on exported
// records (as the display list shows them after each frame), names and settings, and the archive
// and JSON forms.
#include "LetterFrameTestSupport.h"

#include "effects/CEffectAlternate.h"
#include "effects/CEffectExplode.h"
#include "effects/CEffectRevertText.h"
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectSqueeze.h"
#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tavro {
namespace {

using letter_test::DisplayList; // by depth
using Shown = letter_test::Placed;

// One text at (200, 100) pixels in a 550 x 400 scene; Export gives the display list after
// every frame.
struct TextMovie : letter_test::LetterMovie {
    explicit TextMovie(std::string_view s) : LetterMovie(s, 200.0, 100.0) {}
    template <class E> E& Add(int start, int frames = -1) {
        auto e = std::make_unique<E>();
        e->SetStartFrame(start);
        if (frames >= 0)
            e->SetNumFrames(frames);
        return LetterMovie::Add(std::move(e), start);
    }
    std::vector<DisplayList> Export() {
        letter_test::Exported out = LetterMovie::Export();
        places = 0;
        for (const letter_test::Tag& t : out.tags)
            if (t.nesting == 0 && t.code == swfformat::kTagPlaceObject2)
                ++places;
        return out.frames;
    }
    int places = 0; // PlaceObject2 records of the last export
    // Letter i's home x on the stage, twips.
    double HomeX(size_t i) const { return text->GetLetters()[i].position.x + 4000.0; }
    double HomeY(size_t i) const { return text->GetLetters()[i].position.y + 2000.0; }
};

// The depths on the display list after a frame.
std::vector<long> Depths(const DisplayList& list) {
    std::vector<long> depths;
    for (const auto& [depth, shown] : list)
        depths.push_back(depth);
    return depths;
}

TEST(LetterSqueeze, EqualFactorsLeaveTheLettersInPlaceAndFadeThemIn) {
    TextMovie m("AB C");
    CEffectSqueeze& e = m.Add<CEffectSqueeze>(0, 4);
    e.SetStartFactor(100);
    e.SetEndFactor(100);
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 4u);
    const long alphas[] = {64, 128, 192, 256};
    const size_t letters[] = {0, 1, 3}; // the space is never placed
    for (size_t f = 0; f < 4; ++f) {
        ASSERT_EQ(frames[f].size(), 3u);
        long depth = 1;
        for (size_t i : letters) {
            const Shown& s = frames[f].at(depth++);
            EXPECT_NEAR(s.tx, m.HomeX(i), 1.0);
            EXPECT_NEAR(s.ty, m.HomeY(i), 1.0);
            EXPECT_EQ(s.sx, 65536);
            EXPECT_EQ(s.alpha, alphas[f]) << "frame " << f;
        }
    }
    // The letters end opaque, so a text button comes to rest after it.
    EXPECT_TRUE(e.IsVisibleAtEnd());
}

TEST(LetterSqueeze, AlignmentsSqueezeTowardsTheirReference) {
    struct Case {
        int32_t alignment;
        size_t fixed; // the letter that keeps its place, or 3 for none
    };
    for (const Case c :
         {Case{CEffectSqueeze::kSqueezeToLeft, 0}, Case{CEffectSqueeze::kSqueezeToRight, 2},
          Case{CEffectSqueeze::kSqueezeToCenter, 3}}) {
        TextMovie m("ABC");
        CEffectSqueeze& e = m.Add<CEffectSqueeze>(0, 2); // 200 % to 100 %: half way at frame 0
        e.SetAlignment(c.alignment);
        const std::vector<DisplayList> frames = m.Export();
        ASSERT_EQ(frames.size(), 2u);
        const double ref = c.fixed < 3 ? m.HomeX(c.fixed) : 4000.0; // the object's origin
        for (size_t i = 0; i < 3; ++i) {
            const double home = m.HomeX(i);
            EXPECT_NEAR(frames[0].at(long(i) + 1).tx, ref + (home - ref) * 1.5, 1.0);
            EXPECT_NEAR(frames[1].at(long(i) + 1).tx, home, 1.0);
            EXPECT_NEAR(frames[0].at(long(i) + 1).ty, m.HomeY(i), 1.0);
            EXPECT_EQ(frames[0].at(long(i) + 1).alpha, 128); // closing in: fading in
            EXPECT_EQ(frames[1].at(long(i) + 1).alpha, 256);
        }
        if (c.fixed < 3) {
            EXPECT_NEAR(frames[0].at(long(c.fixed) + 1).tx, m.HomeX(c.fixed), 1.0);
        }
    }
}

TEST(LetterSqueeze, SpreadingApartFadesOut) {
    TextMovie m("AB");
    CEffectSqueeze& e = m.Add<CEffectSqueeze>(0, 4);
    e.SetStartFactor(100);
    e.SetEndFactor(300);
    e.SetFade(50);
    const std::vector<DisplayList> frames = m.Export();
    EXPECT_EQ(frames[0].at(1).alpha, 224); // 256 to 128 in four steps
    EXPECT_EQ(frames[3].at(1).alpha, 128);
    EXPECT_NEAR(frames[3].at(2).tx, 4000.0 + (m.HomeX(1) - 4000.0) * 3.0, 1.0);
    EXPECT_TRUE(e.IsVisibleAtEnd()); // half faded
    e.SetFade(100);
    EXPECT_FALSE(e.IsVisibleAtEnd());
}

TEST(LetterScale, LengthFollowsTheTextLineBreaksIncluded) {
    TextMovie m("ABCD");
    CEffectScaleLetter& e = m.Add<CEffectScaleLetter>(0);
    e.SetWait(2);
    EXPECT_EQ(e.GetNumFrames(), 2 * 3 + 5 * 4);
    EXPECT_FALSE(e.CanSetNumFrames());
    e.SetNumFrames(3); // the text decides
    EXPECT_EQ(e.GetNumFrames(), 26);
    EXPECT_EQ(m.Export().size(), 26u);
    m.text->SetText("AB\r\nC");
    EXPECT_EQ(e.GetNumFrames(), 2 * 4 + 5 * 5);

    // Without a text, the stored number; damaged values stay within 0..INT32_MAX.
    CEffectScaleLetter alone;
    alone.SetNumFrames(33);
    EXPECT_EQ(alone.GetNumFrames(), 33);
    alone.SetWait(-100);
    EXPECT_EQ(alone.ComputeNumFrames(4), 0);
    alone.SetWait(2147483647);
    alone.SetFramesPerLetter(2147483647);
    EXPECT_EQ(alone.ComputeNumFrames(1000), 2147483647);
}

TEST(LetterScale, AddedLettersAppearInTurnAndShrinkToRest) {
    TextMovie m("ABCD");
    m.Add<CEffectScaleLetter>(0).SetWait(2); // turns start at 0, 7, 14, 21
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 26u);
    EXPECT_EQ(Depths(frames[0]), (std::vector<long>{1}));
    EXPECT_EQ(Depths(frames[6]), (std::vector<long>{1}));
    EXPECT_EQ(Depths(frames[7]), (std::vector<long>{1, 2}));
    EXPECT_EQ(Depths(frames[20]), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(Depths(frames[21]), (std::vector<long>{1, 2, 3, 4}));
    // First frame of a turn: 1/5 of the way from three times the size and invisible.
    EXPECT_EQ(frames[0].at(1).sx, 170394); // 2.6 x 65536
    EXPECT_EQ(frames[0].at(1).alpha, 51);
    EXPECT_NEAR(frames[0].at(1).tx, m.HomeX(0), 1.0);
    EXPECT_EQ(frames[4].at(1).sx, 65536);
    EXPECT_EQ(frames[4].at(1).alpha, 256);
    for (long depth = 1; depth <= 4; ++depth) {
        EXPECT_EQ(frames[25].at(depth).sx, 65536);
        EXPECT_EQ(frames[25].at(depth).alpha, 256);
        EXPECT_NEAR(frames[25].at(depth).tx, m.HomeX(size_t(depth - 1)), 1.0);
    }
}

TEST(LetterScale, BackwardStartsWithTheLastCharacterAndSpacesTakeTurns) {
    TextMovie m("A BC");
    CEffectScaleLetter& e = m.Add<CEffectScaleLetter>(0);
    e.SetOrder(CEffectScaleLetter::kBackward);
    e.SetFramesPerLetter(2); // turns: C 0, B 2, the space 4, A 6
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 8u);
    ASSERT_EQ(frames[0].size(), 1u);
    EXPECT_NEAR(frames[0].at(1).tx, m.HomeX(3), 1.0);
    EXPECT_EQ(frames[5].size(), 2u); // the space's turn shows nothing new
    EXPECT_EQ(frames[6].size(), 3u);
    EXPECT_NEAR(frames[6].at(3).tx, m.HomeX(0), 1.0);
}

TEST(LetterScale, RemovedLettersLeaveTheStageAfterTheirTurn) {
    TextMovie m("ABCD");
    CEffectScaleLetter& e = m.Add<CEffectScaleLetter>(0);
    e.SetStyle(CEffectScaleLetter::kRemoveLetters);
    e.SetFade(50.0); // a lingering letter would still show
    e.SetOffsetAcross(10.0);
    e.SetOffsetDown(-5.0);
    e.SetWait(2);
    EXPECT_FALSE(e.IsVisibleAtEnd());
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 26u);
    EXPECT_EQ(Depths(frames[0]), (std::vector<long>{1, 2, 3, 4}));
    EXPECT_EQ(frames[0].at(1).sx, 91750);  // 1.4 x 65536
    EXPECT_EQ(frames[0].at(1).alpha, 230); // 256 - 128 x 0.2
    EXPECT_EQ(frames[0].at(2).sx, 65536);
    EXPECT_EQ(Depths(frames[4]), (std::vector<long>{1, 2, 3, 4}));
    EXPECT_EQ(Depths(frames[5]), (std::vector<long>{2, 3, 4}));
    EXPECT_EQ(Depths(frames[12]), (std::vector<long>{3, 4}));
    // The last letter shows its far state on the last frame.
    ASSERT_EQ(Depths(frames[25]), (std::vector<long>{4}));
    const Shown& last = frames[25].at(4);
    EXPECT_EQ(last.sx, 196608);
    EXPECT_EQ(last.alpha, 128);
    EXPECT_NEAR(last.tx, m.HomeX(3) + 200.0, 1.0);
    EXPECT_NEAR(last.ty, m.HomeY(3) - 100.0, 1.0);
}

TEST(LetterScale, AddingTakesTheLettersOfThePreviousEffectOff) {
    TextMovie m("ABC");
    CEffectSqueeze& before = m.Add<CEffectSqueeze>(0, 2);
    before.SetStartFactor(100);
    m.Add<CEffectScaleLetter>(2);
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 17u);
    EXPECT_EQ(frames[1].size(), 3u);
    // The letters start again from the object's depth, one at a time.
    EXPECT_EQ(Depths(frames[2]), (std::vector<long>{1}));
    EXPECT_EQ(Depths(frames[16]), (std::vector<long>{1, 2, 3}));
}

TEST(LetterAlternate, DefaultsBringEveryOtherLetterFromBelowAndAbove) {
    TextMovie m("ABC DEFGHIJ"); // the space does not count: E is the 5th visible letter
    CEffectAlternate& e = m.Add<CEffectAlternate>(0);
    EXPECT_EQ(e.GetName(), "Alternate Letters");
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 20u);
    const size_t index[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10}; // text index of visible letter v
    for (long v = 0; v < 10; ++v) {
        const Shown& first = frames[0].at(v + 1);
        const Shown& last = frames[19].at(v + 1);
        const size_t i = index[v];
        const double dy = v % 4 == 0 ? 950.0 : v % 4 == 2 ? -950.0 : 0.0; // 19/20 of 50 px
        EXPECT_NEAR(first.ty, m.HomeY(i) + dy, 1.0) << "letter " << v;
        EXPECT_NEAR(first.tx, m.HomeX(i), 1.0);
        EXPECT_EQ(first.alpha, v % 2 == 0 ? 13 : 256); // odd letters do not fade
        EXPECT_EQ(first.sx, 65536);
        EXPECT_NEAR(last.ty, m.HomeY(i), 1.0);
        EXPECT_EQ(last.alpha, 256);
    }
}

TEST(LetterAlternate, MovingOutEndsAtTheFarPlacement) {
    TextMovie m("ABCD");
    CEffectAlternate& e = m.Add<CEffectAlternate>(0, 2);
    e.SetDirection(CEffectAlternate::kMoveOut);
    e.SetOffsetRight(10.0);
    e.SetOffsetDown(0.0);
    e.SetScale(200.0);
    e.SetFade(50.0);
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_NEAR(frames[0].at(1).tx, m.HomeX(0) + 100.0, 1.0); // half way
    EXPECT_EQ(frames[0].at(1).sx, 98304);
    EXPECT_EQ(frames[0].at(1).alpha, 192);
    EXPECT_NEAR(frames[1].at(1).tx, m.HomeX(0) + 200.0, 1.0);
    EXPECT_EQ(frames[1].at(1).sx, 131072);
    EXPECT_EQ(frames[1].at(1).alpha, 128);
    EXPECT_NEAR(frames[1].at(3).tx, m.HomeX(2) - 200.0, 1.0); // the other side
    EXPECT_EQ(frames[1].at(3).sx, 131072);
    for (long odd : {2L, 4L}) {
        EXPECT_NEAR(frames[1].at(odd).tx, m.HomeX(size_t(odd - 1)), 1.0);
        EXPECT_EQ(frames[1].at(odd).sx, 65536);
        EXPECT_EQ(frames[1].at(odd).alpha, 256);
    }
}

TEST(LetterRevert, UnmovedLettersStayAsTheyAre) {
    TextMovie m("A B");
    CEffectRevertText& e = m.Add<CEffectRevertText>(0);
    EXPECT_EQ(e.GetNumFrames(), 20);
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 20u);
    for (const DisplayList& frame : frames) {
        ASSERT_EQ(frame.size(), 2u);
        EXPECT_NEAR(frame.at(1).tx, m.HomeX(0), 1.0);
        EXPECT_NEAR(frame.at(2).tx, m.HomeX(2), 1.0);
        EXPECT_NEAR(frame.at(2).ty, m.HomeY(2), 1.0);
        EXPECT_EQ(frame.at(2).sx, 65536);
        EXPECT_EQ(frame.at(2).alpha, 256);
    }
    EXPECT_EQ(m.places, 2); // placed once, never moved
}

// After an explosion, Revert flies the letters back from where the explosion left them: its
// first frame is the first step from that placement towards rest, its last frame is at rest.
TEST(LetterRevert, StartsWhereTheEffectBeforeLeftTheLetters) {
    for (const bool gap : {false, true}) {
        TextMovie m("AB");
        CEffectExplode& boom = m.Add<CEffectExplode>(0, 6);
        boom.SetScale(50.0);
        boom.SetFade(50);
        m.Add<CEffectRevertText>(gap ? 8 : 6, 4);
        const std::vector<DisplayList> frames = m.Export();
        const size_t first = gap ? 8 : 6;
        ASSERT_EQ(frames.size(), first + 4);
        const DisplayList& left = frames[5]; // the explosion's last frame
        for (long depth : {1L, 2L}) {
            const size_t letter = size_t(depth - 1);
            const Shown& from = left.at(depth);
            // The explosion really moved, scaled, turned and faded the letter.
            ASSERT_GT(std::hypot(from.tx - m.HomeX(letter), from.ty - m.HomeY(letter)), 200.0);
            ASSERT_NE(from.r0, 0);
            ASSERT_EQ(from.alpha, 128);
            for (size_t r = 0; r < 4; ++r) {
                const double t = (r + 1) / 4.0;
                const Shown& s = frames[first + r].at(depth);
                EXPECT_NEAR(s.tx, from.tx + (m.HomeX(letter) - from.tx) * t, 2.0)
                    << "frame " << r << " letter " << letter;
                EXPECT_NEAR(s.ty, from.ty + (m.HomeY(letter) - from.ty) * t, 2.0);
                EXPECT_NEAR(s.alpha, 128 + 128 * t, 1.0);
            }
            // The horizontal scale (the length of the mapped x axis) comes back a quarter of the
            // way on the first frame.
            const auto scaleX = [](const Shown& p) { return std::hypot(p.sx, p.r0) / 65536.0; };
            ASSERT_GT(scaleX(from), 1.1);
            EXPECT_NEAR(scaleX(frames[first].at(depth)), scaleX(from) + (1.0 - scaleX(from)) / 4,
                        0.01);
            const Shown& rest = frames.back().at(depth);
            EXPECT_NEAR(rest.tx, m.HomeX(letter), 1.0);
            EXPECT_NEAR(rest.ty, m.HomeY(letter), 1.0);
            EXPECT_EQ(rest.sx, 65536);
            EXPECT_EQ(rest.sy, 65536);
            EXPECT_EQ(rest.r0, 0);
            EXPECT_EQ(rest.r1, 0);
            EXPECT_EQ(rest.alpha, 256);
        }
        // The letters' placement is rebuilt by every export: a second one is the same.
        const letter_test::Exported again = m.LetterMovie::Export();
        EXPECT_EQ(m.LetterMovie::Export().bytes, again.bytes);
    }
}

// "Reset At Start" puts the letters back to rest before Revert starts: nothing moves then.
TEST(LetterRevert, ResetAtStartStartsFromRest) {
    TextMovie m("AB");
    m.Add<CEffectExplode>(0, 6);
    m.Add<CEffectRevertText>(6, 4).SetResetAtStart(true);
    const std::vector<DisplayList> frames = m.Export();
    ASSERT_EQ(frames.size(), 10u);
    for (size_t f = 6; f < 10; ++f) {
        EXPECT_NEAR(frames[f].at(2).tx, m.HomeX(1), 1.0);
        EXPECT_EQ(frames[f].at(2).sx, 65536);
        EXPECT_EQ(frames[f].at(2).alpha, 256);
    }
}

TEST(LetterRevert, SettingsAndNames) {
    CEffectRevertText e;
    EXPECT_EQ(e.GetName(), "Revert");
    EXPECT_FALSE(e.HasSettingsDialog());
    EXPECT_TRUE(e.EditSettings(false));
    EXPECT_TRUE(e.IsVisibleAtEnd());
    // The "Add Effect" commands create the four effects under their names.
    const std::pair<int, const char*> commands[] = {
        {effect_command::kSqueeze, "Squeeze"},
        {effect_command::kScaleLetters, "Scale Letters"},
        {effect_command::kAlternateLetters, "Alternate Letters"},
        {effect_command::kRevertText, "Revert"}};
    for (const auto& [command, name] : commands) {
        const std::unique_ptr<CEffectObj> created = CreateLetterEffect(command);
        ASSERT_NE(created, nullptr) << name;
        EXPECT_EQ(created->GetName(), name);
        EXPECT_TRUE(created->IsKindOf(&CTextEffectObj::classInfo));
    }
}

// Little-endian archive values, built by hand.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& i32(int32_t x) {
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>((static_cast<uint32_t>(x) >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& f64(double d) {
        const auto bits = std::bit_cast<uint64_t>(d);
        for (int i = 0; i < 8; ++i)
            v.push_back(static_cast<uint8_t>((bits >> (8 * i)) & 0xFF));
        return *this;
    }
};

// The letter-effect part every form starts with, then `own`.
std::vector<uint8_t> Form(const char* name, int frames, uint8_t version, const Bytes& own) {
    CTextEffectObj base;
    base.SetName(name);
    base.SetNumFrames(frames);
    std::vector<uint8_t> bytes = SaveObjectToMemory(base);
    bytes.push_back(version);
    bytes.insert(bytes.end(), own.v.begin(), own.v.end());
    return bytes;
}

TEST(LetterArchive, FormsFollowTheLetterEffectPart) {
    CEffectSqueeze squeeze;
    squeeze.SetStartFactor(150);
    squeeze.SetEndFactor(-20);
    squeeze.SetAlignment(CEffectSqueeze::kSqueezeToRight);
    squeeze.SetFade(35);
    const auto squeezeForm = Form("Squeeze", 20, 2, Bytes().i32(150).i32(-20).i32(2).i32(35));
    EXPECT_EQ(SaveObjectToMemory(squeeze), squeezeForm);

    CEffectScaleLetter scale;
    scale.SetFramesPerLetter(7);
    scale.SetWait(-1);
    scale.SetScale(250.5);
    scale.SetRotate(-45.0);
    scale.SetFade(12.5);
    scale.SetOffsetAcross(3.0);
    scale.SetOffsetDown(4.25);
    scale.SetOrder(1);
    scale.SetStyle(1);
    Bytes scaleOwn;
    scaleOwn.i32(7).i32(-1).f64(250.5).f64(-45.0).f64(12.5).f64(3.0).f64(4.25).i32(1).i32(1);
    const auto scaleForm = Form("Scale Letters", 0, 1, scaleOwn);
    EXPECT_EQ(SaveObjectToMemory(scale), scaleForm);

    CEffectAlternate alternate;
    alternate.SetOffsetRight(-3.5);
    alternate.SetOffsetDown(12.0);
    alternate.SetRotate(30.0);
    alternate.SetScale(80.0);
    alternate.SetFade(25.0);
    alternate.SetDirection(CEffectAlternate::kMoveOut);
    Bytes alternateOwn;
    alternateOwn.f64(-3.5).f64(12.0).f64(30.0).f64(80.0).f64(25.0).i32(1);
    const auto alternateForm = Form("Alternate Letters", 20, 1, alternateOwn);
    EXPECT_EQ(SaveObjectToMemory(alternate), alternateForm);

    EXPECT_EQ(SaveObjectToMemory(CEffectRevertText()), Form("Revert", 20, 2, Bytes()));

    // Read back, each gives the same form again.
    CEffectSqueeze squeezeRead;
    LoadObjectFromMemory(squeezeForm, squeezeRead);
    EXPECT_EQ(SaveObjectToMemory(squeezeRead), squeezeForm);
    CEffectScaleLetter scaleRead;
    LoadObjectFromMemory(scaleForm, scaleRead);
    EXPECT_EQ(SaveObjectToMemory(scaleRead), scaleForm);
    CEffectAlternate alternateRead;
    LoadObjectFromMemory(alternateForm, alternateRead);
    EXPECT_EQ(SaveObjectToMemory(alternateRead), alternateForm);
    alternateRead.SetName(""); // an empty description still names the effect
    EXPECT_EQ(alternateRead.GetName(), "Alternate Letters");
}

TEST(LetterArchive, OlderSqueezesKeepTheirDefaults) {
    // Version 1 has no fade; version 0 no fields at all.
    CEffectSqueeze v1;
    LoadObjectFromMemory(Form("", 20, 1, Bytes().i32(120).i32(80).i32(1)), v1);
    EXPECT_EQ(v1.GetStartFactor(), 120);
    EXPECT_EQ(v1.GetEndFactor(), 80);
    EXPECT_EQ(v1.GetAlignment(), CEffectSqueeze::kSqueezeToLeft);
    EXPECT_EQ(v1.GetFade(), 100);
    CEffectSqueeze v0;
    LoadObjectFromMemory(Form("", 20, 0, Bytes()), v0);
    EXPECT_EQ(v0.GetStartFactor(), 200);
    EXPECT_EQ(v0.GetEndFactor(), 100);
}

TEST(LetterArchive, JsonFormKeepsTheFourEffectsByteForByte) {
    CDocObj doc;
    CSceneObj& scene = doc.NewMovie();
    auto text = std::make_unique<CTextObj>("Letters", &scene);
    auto squeeze = std::make_unique<CEffectSqueeze>();
    squeeze->SetAlignment(CEffectSqueeze::kSqueezeToLeft);
    squeeze->SetFade(40);
    auto scale = std::make_unique<CEffectScaleLetter>();
    scale->SetStartFrame(20);
    scale->SetOffsetDown(-7.25);
    scale->SetStyle(CEffectScaleLetter::kRemoveLetters);
    auto alternate = std::make_unique<CEffectAlternate>();
    alternate->SetStartFrame(60);
    alternate->SetRotate(15.5);
    auto back = std::make_unique<CEffectRevertText>();
    back->SetStartFrame(80);
    text->InsertEffect(std::move(squeeze));
    text->InsertEffect(std::move(scale));
    text->InsertEffect(std::move(alternate));
    text->InsertEffect(std::move(back));
    scene.AddChild(std::move(text));

    const std::vector<uint8_t> swi = SaveObjectToMemory(doc);
    const std::string json = MovieArchiveToJsonText(swi);
    for (const char* field : {"\"alignment\": 1", "\"fade\": 40", "\"offsetDown\": -7.25",
                              "\"style\": 1", "\"rotate\": 15.5", "\"CEffectRevertText\""})
        EXPECT_NE(json.find(field), std::string::npos) << field;
    EXPECT_EQ(MovieJsonTextToArchive(json), swi);
    CDocObj reread;
    LoadObjectFromMemory(MovieJsonTextToArchive(json), reread);
    EXPECT_EQ(SaveObjectToMemory(reread), swi);
}

} // namespace
} // namespace tavro
