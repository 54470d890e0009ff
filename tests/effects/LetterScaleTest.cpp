// Scale Letters on exported records: the computed length, letters taking turns forward and
// backward, absent letters in both styles, the stage emptied when adding, and the archive form.
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectSqueeze.h"
#include "model/Archive.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tavro {
namespace {

// What one depth of the display list shows after a frame.
struct Shown {
    long tx = 0, ty = 0, sx = 65536, alpha = 256;
};
using DisplayList = std::map<long, Shown>; // by depth

long Field(const std::string& fields, const std::string& key) {
    const size_t at = fields.find(key + "=");
    return at == std::string::npos ? -1
                                   : std::strtol(fields.c_str() + at + key.size() + 1, nullptr, 0);
}

// One text at (200, 100) pixels in a 550 x 400 scene; Export gives the display list after
// every frame.
struct TextMovie {
    CSceneObj scene;
    CTextObj* text;

    explicit TextMovie(std::string_view s) {
        auto t = std::make_unique<CTextObj>(s, &scene);
        t->SetStagePosition(200.0, 100.0);
        text = t.get();
        scene.AddChild(std::move(t));
    }
    template <class E> E& Add(int start, int frames = -1) {
        auto e = std::make_unique<E>();
        e->SetStartFrame(start);
        if (frames >= 0)
            e->SetNumFrames(frames);
        E& ref = *e;
        text->InsertEffect(std::move(e));
        return ref;
    }
    std::vector<DisplayList> Export() {
        CSwfWriter w;
        w.WriteHeader(550.0, 400.0, 12.0, static_cast<uint16_t>(scene.GetFrameCount()));
        CSwfShape stage;
        scene.WriteSwf(w, true, stage, {550.0, 400.0});
        w.Finish();
        std::vector<DisplayList> frames;
        DisplayList list;
        const auto bytes = w.GetImageBytes();
        SwfTagReader::ListMovie(bytes, SwfTagReader::ReadHeader(bytes),
                                [&](const SwfTagReader::Entry& e) {
                                    if (e.nesting == 0 && e.tag.code == 1)
                                        frames.push_back(list);
                                    else if (e.nesting == 0 && e.tag.code == 26)
                                        Apply(e.fields, list);
                                    else if (e.nesting == 0 && e.tag.code == 28)
                                        list.erase(Field(e.fields, "depth"));
                                });
        return frames;
    }
    static void Apply(const std::string& f, DisplayList& list) {
        Shown& s = list[Field(f, "depth")];
        if ((Field(f, "flags") & 1) == 0)
            s = Shown();
        if (f.find("matrix(") != std::string::npos) {
            s.tx = Field(f, "tx");
            s.ty = Field(f, "ty");
            s.sx = Field(f, "sx");
        }
        const size_t mult = f.find("mult=");
        if (mult != std::string::npos) {
            size_t at = mult;
            for (int comma = 0; comma < 3; ++comma)
                at = f.find(',', at) + 1;
            s.alpha = std::strtol(f.c_str() + at, nullptr, 10);
        }
    }
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

TEST(LetterScale, ArchiveForm) {
    CTextEffectObj base;
    base.SetName("Scale Letters");
    const std::vector<uint8_t> prefix = SaveObjectToMemory(base);

    CEffectScaleLetter e;
    e.SetFramesPerLetter(7);
    e.SetWait(-1);
    e.SetScale(250.5);
    e.SetRotate(-45.0);
    e.SetFade(12.5);
    e.SetOffsetAcross(3.0);
    e.SetOffsetDown(4.25);
    e.SetOrder(1);
    e.SetStyle(1);
    std::vector<uint8_t> expected = prefix;
    auto i32 = [&](int32_t x) {
        for (int i = 0; i < 4; ++i)
            expected.push_back(static_cast<uint8_t>((static_cast<uint32_t>(x) >> (8 * i)) & 0xFF));
    };
    auto f64 = [&](double d) {
        const auto bits = std::bit_cast<uint64_t>(d);
        for (int i = 0; i < 8; ++i)
            expected.push_back(static_cast<uint8_t>((bits >> (8 * i)) & 0xFF));
    };
    expected.push_back(1);
    i32(7);
    i32(-1);
    for (double d : {250.5, -45.0, 12.5, 3.0, 4.25})
        f64(d);
    i32(1);
    i32(1);
    EXPECT_EQ(SaveObjectToMemory(e), expected);

    CEffectScaleLetter loaded;
    LoadObjectFromMemory(expected, loaded);
    EXPECT_EQ(SaveObjectToMemory(loaded), expected);
    EXPECT_EQ(loaded.GetWait(), -1);
    EXPECT_EQ(loaded.GetOffsetDown(), 4.25);
    EXPECT_FALSE(loaded.IsAdding());
}

} // namespace
} // namespace tavro
