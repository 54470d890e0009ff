// Alternate Letters on exported records: the weights by visible index with the defaults,
// moving out with scale and fade, and the archive form.
#include "effects/CEffectAlternate.h"
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

TEST(LetterAlternate, ArchiveForm) {
    CTextEffectObj base;
    base.SetName("Alternate Letters");
    base.SetNumFrames(CEffectAlternate::kDefaultFrames);
    std::vector<uint8_t> expected = SaveObjectToMemory(base);
    expected.push_back(1);
    for (double d : {-3.5, 12.0, 30.0, 80.0, 25.0}) {
        const auto bits = std::bit_cast<uint64_t>(d);
        for (int i = 0; i < 8; ++i)
            expected.push_back(static_cast<uint8_t>((bits >> (8 * i)) & 0xFF));
    }
    for (uint8_t b : {1, 0, 0, 0})
        expected.push_back(b);

    CEffectAlternate e;
    e.SetOffsetRight(-3.5);
    e.SetOffsetDown(12.0);
    e.SetRotate(30.0);
    e.SetScale(80.0);
    e.SetFade(25.0);
    e.SetDirection(CEffectAlternate::kMoveOut);
    EXPECT_EQ(SaveObjectToMemory(e), expected);
    CEffectAlternate loaded;
    LoadObjectFromMemory(expected, loaded);
    EXPECT_EQ(SaveObjectToMemory(loaded), expected);
    EXPECT_TRUE(loaded.IsMovingOut());
    // An empty description still names the effect.
    loaded.SetName("");
    EXPECT_EQ(loaded.GetName(), "Alternate Letters");
}

} // namespace
} // namespace tavro
