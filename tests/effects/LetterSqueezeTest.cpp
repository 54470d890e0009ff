// Squeeze on exported records: equal factors only fade, each alignment's reference, the fade
// direction, and the archive form with its version-1 default fade.
#include "effects/CEffectSqueeze.h"
#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"

#include <gtest/gtest.h>

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
    CEffectSqueeze& Add(int start, int frames) {
        auto e = std::make_unique<CEffectSqueeze>();
        e->SetStartFrame(start);
        e->SetNumFrames(frames);
        CEffectSqueeze& ref = *e;
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

TEST(LetterSqueeze, EqualFactorsLeaveTheLettersInPlaceAndFadeThemIn) {
    TextMovie m("AB C");
    CEffectSqueeze& e = m.Add(0, 4);
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
        CEffectSqueeze& e = m.Add(0, 2); // 200 % to 100 %: half way at frame 0
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
    CEffectSqueeze& e = m.Add(0, 4);
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

// The archive part of a squeeze after the letter-effect part.
std::vector<uint8_t> Own(std::initializer_list<int32_t> values, int version) {
    std::vector<uint8_t> v{static_cast<uint8_t>(version)};
    for (int32_t x : values)
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>((static_cast<uint32_t>(x) >> (8 * i)) & 0xFF));
    return v;
}

TEST(LetterSqueeze, ArchiveFormAndTheVersionOneDefaultFade) {
    CTextEffectObj base; // the part before the squeeze's own
    base.SetName("Squeeze");
    base.SetNumFrames(CEffectSqueeze::kDefaultFrames);
    const std::vector<uint8_t> prefix = SaveObjectToMemory(base);

    CEffectSqueeze e;
    EXPECT_EQ(e.GetName(), "Squeeze");
    e.SetStartFactor(150);
    e.SetEndFactor(-20);
    e.SetAlignment(CEffectSqueeze::kSqueezeToRight);
    e.SetFade(35);
    std::vector<uint8_t> expected = prefix;
    const std::vector<uint8_t> own = Own({150, -20, 2, 35}, 2);
    expected.insert(expected.end(), own.begin(), own.end());
    EXPECT_EQ(SaveObjectToMemory(e), expected);
    CEffectSqueeze loaded;
    LoadObjectFromMemory(expected, loaded);
    EXPECT_EQ(loaded.GetStartFactor(), 150);
    EXPECT_EQ(loaded.GetEndFactor(), -20);
    EXPECT_EQ(loaded.GetAlignment(), 2);
    EXPECT_EQ(loaded.GetFade(), 35);

    // Version 1 has no fade: the default stays. Version 0 has no fields at all.
    std::vector<uint8_t> v1 = prefix;
    const std::vector<uint8_t> own1 = Own({120, 80, 1}, 1);
    v1.insert(v1.end(), own1.begin(), own1.end());
    CEffectSqueeze older;
    LoadObjectFromMemory(v1, older);
    EXPECT_EQ(older.GetStartFactor(), 120);
    EXPECT_EQ(older.GetAlignment(), 1);
    EXPECT_EQ(older.GetFade(), 100);
    std::vector<uint8_t> v0 = prefix;
    v0.push_back(0);
    CEffectSqueeze oldest;
    LoadObjectFromMemory(v0, oldest);
    EXPECT_EQ(oldest.GetStartFactor(), 200);
    EXPECT_EQ(oldest.GetEndFactor(), 100);
}

} // namespace
} // namespace tavro
