// The wave on exported records: where the crest is, which letters it moves, its travel span and
// direction, the follow-the-slope rotation, scale and fade, and its archive form.
#include "LetterFrameTestSupport.h"

#include "base/Rounding.h"
#include "effects/CEffectWave.h"
#include "model/Archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tavro {
namespace {

using letter_test::LetterMovie;
using letter_test::Placed;
using letter_test::PutDouble;
using letter_test::PutInt;

constexpr const char* kText = "ABCDEFGH";

// The letter at rest on the stage, as the records show it.
Placed AtRest(const LetterMovie& m, size_t i, long id) {
    Placed p;
    p.id = id;
    p.tx = RoundToInt(m.Rest(i).x);
    p.ty = RoundToInt(m.Rest(i).y);
    return p;
}

TEST(LetterWave, CrestIsTwentyPixelsUpAndRunsFromTheFirstLetter) {
    LetterMovie m(kText);
    m.Add(std::make_unique<CEffectWave>());
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 30u);
    const auto& first = out.frames[0];
    ASSERT_EQ(first.size(), 8u); // one depth per letter, from 1

    // Frame 5: the first letter is at the crest (half a period after the start), 400 twips up.
    const auto& f5 = out.frames[5];
    EXPECT_EQ(f5.at(1).ty, RoundToInt(m.Rest(0).y - 400.0));
    EXPECT_EQ(f5.at(1).tx, RoundToInt(m.Rest(0).x));
    EXPECT_EQ(f5.at(1).r0, 0); // flat at the crest
    // The last letter is more than half a wave length (150 pixels) behind: still at rest.
    EXPECT_EQ(f5.at(8), AtRest(m, 7, first.at(8).id));

    // Frame 0 moves nothing yet; the last frame has every letter back at rest.
    for (long depth = 1; depth <= 8; ++depth) {
        EXPECT_EQ(first.at(depth), AtRest(m, static_cast<size_t>(depth - 1), first.at(depth).id));
        EXPECT_EQ(out.frames[29].at(depth), first.at(depth)) << depth;
    }
}

TEST(LetterWave, BackwardStartsAtTheLastLetter) {
    LetterMovie m(kText);
    m.Add(std::make_unique<CEffectWave>()).SetDirection(CEffectWave::kBackward);
    const auto out = m.Export();
    const auto& f5 = out.frames[5];
    EXPECT_EQ(f5.at(8).ty, RoundToInt(m.Rest(7).y - 400.0));
    EXPECT_EQ(f5.at(1), out.frames[0].at(1)); // the first letter waits
    EXPECT_EQ(out.frames[29].at(8), out.frames[0].at(8));
}

TEST(LetterWave, TooShortForTheTextStillTravelsOneCycle) {
    // Two frames cannot carry a whole cycle across 8 letters: the span falls back to 360
    // degrees, so the first letter is already lifted by (1 - cos 36) / 2 of the height.
    LetterMovie m(kText);
    m.Add(std::make_unique<CEffectWave>()).SetNumFrames(2);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 2u);
    const double w = (1.0 - std::cos(36.0 * std::numbers::pi / 180.0)) / 2.0;
    EXPECT_EQ(out.frames[1].at(1).ty, RoundToInt(m.Rest(0).y - 400.0 * w));
}

TEST(LetterWave, SpacesAndLineBreaksAreNeverPlaced) {
    LetterMovie blank("   \r\n ");
    blank.Add(std::make_unique<CEffectWave>());
    for (const auto& tag : blank.Export().tags)
        EXPECT_NE(tag.code, 26) << tag.fields;

    // Around a space and a line break the letters keep consecutive depths.
    LetterMovie m("A B\r\nC");
    m.Add(std::make_unique<CEffectWave>());
    const auto out = m.Export();
    ASSERT_EQ(out.frames[0].size(), 3u);
    EXPECT_EQ(out.frames[0].begin()->first, 1);
    EXPECT_EQ(out.frames[0].rbegin()->first, 3);
    EXPECT_EQ(out.frames[0].at(3), AtRest(m, 5, out.frames[0].at(3).id));
}

TEST(LetterWave, SideToSideScalesFadesAndTiltsWithTheSlope) {
    LetterMovie m(kText);
    CEffectWave& wave = m.Add(std::make_unique<CEffectWave>());
    wave.SetMovement(CEffectWave::kSideToSide);
    wave.SetHorizontalScale(100.0);
    wave.SetVerticalScale(50.0);
    wave.SetAlphaFade(50.0);
    const auto out = m.Export();
    const Placed& crest = out.frames[5].at(1);
    EXPECT_EQ(crest.tx, RoundToInt(m.Rest(0).x - 400.0));
    EXPECT_EQ(crest.ty, RoundToInt(m.Rest(0).y));
    EXPECT_EQ(crest.sx, 2 * 65536);
    EXPECT_EQ(crest.sy, 3 * 65536 / 2);
    EXPECT_EQ(crest.alpha, 128);

    // Period 4: a quarter cycle after the start the first letter sits on the steepest slope,
    // tilted by atan(pi * 20 / 300) in both axes.
    LetterMovie s(kText);
    s.Add(std::make_unique<CEffectWave>()).SetPeriod(4);
    const Placed slope = s.Export().frames[1].at(1);
    const double phi = std::atan(std::numbers::pi * 20.0 / 300.0);
    EXPECT_EQ(slope.ty, RoundToInt(s.Rest(0).y - 200.0));
    EXPECT_NEAR(slope.r0, 65536.0 * std::sin(phi), 1.0);
    EXPECT_NEAR(slope.r1, -65536.0 * std::sin(phi), 1.0);
    EXPECT_NEAR(slope.sx, 65536.0 * std::cos(phi), 1.0);

    // Without "Rotate letters to follow wave" it stays upright.
    LetterMovie u(kText);
    CEffectWave& upright = u.Add(std::make_unique<CEffectWave>());
    upright.SetPeriod(4);
    upright.SetRotateToFollow(false);
    EXPECT_EQ(u.Export().frames[1].at(1).r0, 0);
}

TEST(LetterWave, DamagedParametersStayFinite) {
    LetterMovie m(kText);
    CEffectWave& wave = m.Add(std::make_unique<CEffectWave>());
    wave.SetPeriod(0);
    wave.SetLength(0.0);
    wave.SetNumFrames(3);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 3u);
    for (const auto& [depth, p] : out.frames[2])
        EXPECT_LT(std::abs(p.ty), 20000) << depth;
}

TEST(LetterWave, ArchiveFormFollowsTheTextEffectPart) {
    CEffectWave wave;
    wave.SetPeriod(7);
    wave.SetLength(123.5);
    wave.SetDirection(1);
    wave.SetMovement(1);
    wave.SetRotateToFollow(false);
    wave.SetMoveBy(-3.25);
    wave.SetHorizontalScale(10.0);
    wave.SetVerticalScale(-20.0);
    wave.SetAlphaFade(75.0);
    std::vector<uint8_t> tail = {1, 1}; // the text effect's version, then the wave's
    PutInt(tail, 7);
    PutDouble(tail, 123.5);
    PutInt(tail, 1);
    PutInt(tail, 1);
    PutInt(tail, 0);
    PutDouble(tail, -3.25);
    PutDouble(tail, 10.0);
    PutDouble(tail, -20.0);
    PutDouble(tail, 75.0);
    const std::vector<uint8_t> bytes = SaveObjectToMemory(wave);
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - static_cast<long>(tail.size()), bytes.end()),
              tail);

    CEffectWave loaded;
    LoadObjectFromMemory(bytes, loaded);
    EXPECT_EQ(loaded.GetPeriod(), 7);
    EXPECT_EQ(loaded.GetLength(), 123.5);
    EXPECT_EQ(loaded.GetDirection(), 1);
    EXPECT_FALSE(loaded.GetRotateToFollow());
    EXPECT_EQ(loaded.GetMoveBy(), -3.25);
    EXPECT_EQ(loaded.GetAlphaFade(), 75.0);
    EXPECT_EQ(loaded.GetName(), "Wave");

    // A wave level of version 0 keeps the defaults.
    std::vector<uint8_t> v0(bytes.begin(), bytes.end() - static_cast<long>(tail.size()) + 1);
    v0.push_back(0);
    CEffectWave older;
    LoadObjectFromMemory(v0, older);
    EXPECT_EQ(older.GetPeriod(), 10);
    EXPECT_EQ(older.GetLength(), 300.0);
    EXPECT_TRUE(older.GetRotateToFollow());
}

} // namespace
} // namespace tavro
