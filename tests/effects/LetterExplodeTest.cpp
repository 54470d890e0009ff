// The explosion on exported records: the same every export, the draw order of its random
// generator, an implosion ending at rest, a letter standing on the bomb, and its archive form.
#include "LetterFrameTestSupport.h"

#include "base/Rounding.h"
#include "effects/CEffectExplode.h"
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

// The generator as the explosion's documentation states it, for the expected values.
struct Lcg {
    uint32_t state;
    int Draw() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

// Where the explosion's first frame puts a letter that stands at p (text coordinates, twips)
// with the default parameters, given its translation draw.
CDoublePoint FirstFrame(const CDoublePoint& p, int draw) {
    const CDoublePoint bomb(0.0, 600.0);
    const CDoublePoint d = p - bomb;
    const double f = 8.0 * (1.0 + draw / 32767.0) / (std::hypot(d.x, d.y) / 20.0);
    const CDoublePoint g(std::cos(std::numbers::pi / 2), 1.0);
    return p + (g + d) * f;
}

TEST(LetterExplode, DrawsOnePerLetterForUniformRotationAndTwoOtherwise) {
    for (const bool uniform : {true, false}) {
        LetterMovie m("AB");
        m.Add(std::make_unique<CEffectExplode>()).SetUniformRotation(uniform);
        const auto out = m.Export();
        Lcg lcg{1};
        const int drawA = lcg.Draw();
        lcg.Draw(); // A's turn
        if (!uniform)
            lcg.Draw(); // and its second axis
        const int drawB = lcg.Draw();
        const CDoublePoint stage = m.text->GetStagePosition() * 20.0;
        const CDoublePoint a = FirstFrame(m.text->GetLetters()[0].position, drawA) + stage;
        const CDoublePoint b = FirstFrame(m.text->GetLetters()[1].position, drawB) + stage;
        const Placed& pa = out.frames[0].at(1);
        const Placed& pb = out.frames[0].at(2);
        EXPECT_EQ(pa.tx, RoundToInt(a.x)) << uniform;
        EXPECT_EQ(pa.ty, RoundToInt(a.y)) << uniform;
        EXPECT_EQ(pb.tx, RoundToInt(b.x)) << uniform;
        EXPECT_EQ(pb.ty, RoundToInt(b.y)) << uniform;
        EXPECT_EQ(pa.alpha, RoundToInt(256.0 - 256.0 / 30.0)); // fading by 100 % over 30 frames
    }
}

TEST(LetterExplode, EveryExportIsTheSameAndTheSeedDecides) {
    LetterMovie m("Boom!");
    m.Add(std::make_unique<CEffectExplode>());
    const auto first = m.Export();
    EXPECT_EQ(m.Export().bytes, first.bytes);

    LetterMovie other("Boom!");
    other.Add(std::make_unique<CEffectExplode>()).SetRandomSeed(2);
    EXPECT_NE(other.Export().bytes, first.bytes);
    // The letters fly further every frame: each frame is computed afresh from rest.
    // Sideways the flight grows linearly with the frame number (gravity only acts downwards).
    const double x0 = m.Rest(0).x;
    const double x1 = first.frames[0].at(1).tx - x0, x20 = first.frames[19].at(1).tx - x0;
    EXPECT_NEAR(x20 / x1, 20.0, 0.05);
}

TEST(LetterExplode, ImplosionEndsExactlyAtRestAndOpaque) {
    LetterMovie m("Implode");
    m.Add(std::make_unique<CEffectExplode>()).SetImplode(true);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 30u);
    const auto& last = out.frames[29];
    ASSERT_EQ(last.size(), 7u);
    size_t i = 0;
    for (const auto& [depth, p] : last) {
        EXPECT_EQ(p.tx, RoundToInt(m.Rest(i).x)) << depth;
        EXPECT_EQ(p.ty, RoundToInt(m.Rest(i).y)) << depth;
        EXPECT_EQ(p.sx, 65536) << depth;
        EXPECT_EQ(p.sy, 65536) << depth;
        EXPECT_EQ(p.r0, 0) << depth;
        EXPECT_EQ(p.r1, 0) << depth;
        EXPECT_EQ(p.alpha, 256) << depth;
        ++i;
    }
    // It starts far out and faint: 1/30 of the way in.
    EXPECT_EQ(out.frames[0].begin()->second.alpha, RoundToInt(256.0 / 30.0));
}

TEST(LetterExplode, ALetterOnTheBombOnlyFalls) {
    auto explode = std::make_unique<CEffectExplode>();
    CEffectExplode& e = *explode;
    CTextObj text("A", nullptr);
    text.InsertEffect(std::move(explode));
    CSwfWriter w;
    w.WriteHeader(550.0, 400.0, 12.0, 30);
    text.BeginExport(w, 1);
    text.DefineCharacter(w);
    text.GetLetters()[0].matrix.SetTranslation(0.0, 600.0); // the bomb, (0, 30) pixels
    EXPECT_TRUE(e.ExportFrame(w, 2, CMatrix3(), CColorTransform()));
    w.Finish();

    std::string placement;
    const auto image = w.GetImageBytes();
    SwfTagReader::ListMovie(image, SwfTagReader::ReadHeader(image),
                            [&](const SwfTagReader::Entry& entry) {
                                if (entry.tag.code == swfformat::kTagPlaceObject2)
                                    placement = entry.fields;
                            });
    // Third frame: gravity 3 squared straight down; no flight, no growth.
    EXPECT_EQ(letter_test::Field(placement, "tx"), 0);
    EXPECT_EQ(letter_test::Field(placement, "ty"), 609);
    const double sx = letter_test::Field(placement, "sx");
    const double r0 = letter_test::Field(placement, "r0");
    EXPECT_NEAR(std::hypot(sx, r0), 65536.0, 2.0); // turned, but its size kept
}

TEST(LetterExplode, VisibleAtEndOnlyWhenSomethingIsLeft) {
    CEffectExplode e;
    EXPECT_FALSE(e.IsVisibleAtEnd()); // faded out completely
    e.SetFade(99);
    EXPECT_TRUE(e.IsVisibleAtEnd());
    e.SetFade(100);
    e.SetImplode(true);
    EXPECT_TRUE(e.IsVisibleAtEnd());
    EXPECT_EQ(e.GetName(), "Explode");
    EXPECT_EQ(e.GetNumFrames(), 30);
}

TEST(LetterExplode, ArchiveFormFollowsTheTextEffectPart) {
    CEffectExplode e;
    e.SetBomb(-5, 40);
    e.SetGravityDirection(270.0);
    e.SetGravityStrength(0.5);
    e.SetVelocity(12.0);
    e.SetRandomSeed(65535);
    e.SetScale(50.0);
    e.SetRotate(45.0);
    e.SetFade(80);
    e.SetImplode(true);
    e.SetUniformRotation(true);
    std::vector<uint8_t> tail = {1, 1};
    PutInt(tail, -5);
    PutInt(tail, 40);
    PutDouble(tail, 270.0);
    PutDouble(tail, 0.5);
    PutDouble(tail, 12.0);
    PutInt(tail, 65535);
    PutDouble(tail, 50.0);
    PutDouble(tail, 45.0);
    PutInt(tail, 80); // fade before implode and uniform rotation
    PutInt(tail, 1);
    PutInt(tail, 1);
    const std::vector<uint8_t> bytes = SaveObjectToMemory(e);
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - static_cast<long>(tail.size()), bytes.end()),
              tail);

    CEffectExplode loaded;
    LoadObjectFromMemory(bytes, loaded);
    EXPECT_EQ(loaded.GetBombX(), -5);
    EXPECT_EQ(loaded.GetBombY(), 40);
    EXPECT_EQ(loaded.GetGravityDirection(), 270.0);
    EXPECT_EQ(loaded.GetRandomSeed(), 65535);
    EXPECT_EQ(loaded.GetFade(), 80);
    EXPECT_TRUE(loaded.GetImplode());
    EXPECT_TRUE(loaded.GetUniformRotation());
}

} // namespace
} // namespace tavro
