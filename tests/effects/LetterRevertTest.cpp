// Revert on exported records, its settings, the names the "Add Effect" commands give the four
// effects of this family, and the archive and JSON forms of all four.
#include "effects/CEffectAlternate.h"
#include "effects/CEffectRevertText.h"
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectSqueeze.h"
#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"
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
                                    else if (e.nesting == 0 && e.tag.code == 26) {
                                        ++places;
                                        Apply(e.fields, list);
                                    } else if (e.nesting == 0 && e.tag.code == 28)
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
    // PlaceObject2 records of the last export.
    int PlaceRecords() const { return places; }
    int places = 0;
    // Letter i's home x on the stage, twips.
    double HomeX(size_t i) const { return text->GetLetters()[i].position.x + 4000.0; }
    double HomeY(size_t i) const { return text->GetLetters()[i].position.y + 2000.0; }
};

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
    EXPECT_EQ(m.PlaceRecords(), 2); // placed once, never moved
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

TEST(LetterRevert, ArchiveAndJsonFormsOfTheFourEffects) {
    CTextEffectObj base;
    base.SetName("Revert");
    base.SetNumFrames(CEffectRevertText::kDefaultFrames);
    std::vector<uint8_t> expected = SaveObjectToMemory(base);
    expected.push_back(2); // version 2, no fields
    CEffectRevertText revert;
    EXPECT_EQ(SaveObjectToMemory(revert), expected);

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
