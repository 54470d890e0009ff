// The rules every letter effect shares: frames computed afresh
// from the run's start, the letters placed through their text object, the Add Effect commands
// of the letter effects, and whole documents holding them round-tripping through both forms.
#include "LetterFrameTestSupport.h"

#include "base/Rounding.h"
#include "effects/CEffectExplode.h"
#include "effects/CEffectTypewriter.h"
#include "effects/CEffectWave.h"
#include "effects/EffectNames.h"
#include "effects/LetterFrame.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

TEST(LetterFrame, FramesAreComputedFromTheRunStartNotFromTheLastFrame) {
    // The same frame placed twice moves nothing the second time, and a later frame is where
    // it would be had the earlier one never been placed.
    auto wave = std::make_unique<CEffectWave>();
    CEffectWave& e = *wave;
    CTextObj text("AB", nullptr);
    text.InsertEffect(std::move(wave));
    CSwfWriter w;
    w.WriteHeader(550.0, 400.0, 12.0, 30);
    text.BeginExport(w, 1);
    text.DefineCharacter(w);
    e.OnEffectStart(w);
    e.ExportFrame(w, 5, CMatrix3(), CColorTransform());
    const TextLetter first = text.GetLetters()[0];
    e.ExportFrame(w, 5, CMatrix3(), CColorTransform());
    EXPECT_TRUE(text.GetLetters()[0].matrix.IsEqual(first.matrix));
    EXPECT_DOUBLE_EQ(first.matrix.GetTranslation().y, text.GetLetters()[0].position.y - 400.0);

    // What the effect left is the letters' current placement: what comes after starts there.
    e.OnEffectEnd(w);
    EXPECT_DOUBLE_EQ(text.GetLetters()[0].matrix.GetTranslation().y,
                     text.GetLetters()[0].position.y - 400.0);
}

TEST(LetterFrame, LettersArePlacedThroughTheTextWithTheObjectTransform) {
    letter_test::LetterMovie m("Hi there", 100.0, 50.0);
    CEffectWave& wave = m.Add(std::make_unique<CEffectWave>());
    wave.SetMoveBy(0.0);
    wave.SetRotateToFollow(false);
    wave.GetTransformSet().alphaMode = effect_mode::kSetBoth; // the object fades to 50 %
    wave.GetTransformSet().alpha = 50.0;
    wave.SetNumFrames(2);
    const auto out = m.Export();
    ASSERT_EQ(out.frames.size(), 2u);
    ASSERT_EQ(out.frames[1].size(), 7u); // no space
    size_t letter = 0;
    for (const auto& [depth, p] : out.frames[1]) {
        if (m.text->GetLetters()[letter].code == ' ')
            ++letter;
        EXPECT_EQ(p.tx, RoundToInt(m.Rest(letter).x)) << depth;
        EXPECT_EQ(p.alpha, 128) << depth;
        ++letter;
    }
}

TEST(LetterFrame, AddEffectCommandsCreateTheLetterEffects) {
    struct Case {
        int command;
        const char* className;
        const char* name;
    };
    for (const Case& c : {Case{effect_command::kWaveLetters, "CEffectWave", "Wave"},
                          Case{effect_command::kExplode, "CEffectExplode", "Explode"},
                          Case{effect_command::kTypewriter, "CEffectTypewriter", "Typewriter"}}) {
        const std::unique_ptr<CEffectObj> e = CreateLetterEffect(c.command);
        ASSERT_NE(e, nullptr) << c.className;
        EXPECT_STREQ(e->GetRuntimeClass()->className, c.className);
        EXPECT_EQ(e->GetName(), c.name);
        EXPECT_EQ(e->GetDefaultName(), c.name);
        EXPECT_TRUE(e->HasSettingsDialog());
        EXPECT_FALSE(e->EditSettings(false)); // no dialog host here
    }
    EXPECT_EQ(LetterEffectClassName(effect_command::kSqueeze), "CEffectSqueeze");
    EXPECT_EQ(LetterEffectClassName(effect_command::kScaleLetters), "CEffectScaleLetter");
    EXPECT_EQ(LetterEffectClassName(effect_command::kAlternateLetters), "CEffectAlternate");
    EXPECT_EQ(LetterEffectClassName(effect_command::kRevertText), "CEffectRevertText");
    EXPECT_EQ(CreateLetterEffect(effect_command::kShow), nullptr);
    EXPECT_EQ(LoadEffectName(effect_string::kSqueeze), "Squeeze");
    EXPECT_EQ(LoadEffectName(effect_string::kScaleLetters), "Scale Letters");
    EXPECT_EQ(LoadEffectName(effect_string::kRevert), "Revert");
}

TEST(LetterFrame, DocumentsWithLetterEffectsRoundTrip) {
    CDocObj doc;
    CSceneObj& scene = doc.NewMovie();
    auto text = std::make_unique<CTextObj>("Wave\r\nand type", &scene);
    auto wave = std::make_unique<CEffectWave>();
    wave->SetLength(150.25);
    wave->SetDirection(CEffectWave::kBackward);
    text->InsertEffect(std::move(wave));
    auto explode = std::make_unique<CEffectExplode>();
    explode->SetStartFrame(30);
    explode->SetImplode(true);
    explode->SetGravityDirection(-12.5);
    text->InsertEffect(std::move(explode));
    auto type = std::make_unique<CEffectTypewriter>();
    type->SetStartFrame(60);
    type->SetCursorCharacter('|');
    text->InsertEffect(std::move(type));
    scene.AddChild(std::move(text));

    const std::vector<uint8_t> swi = SaveObjectToMemory(doc);
    CDocObj loaded;
    LoadObjectFromMemory(swi, loaded);
    EXPECT_EQ(SaveObjectToMemory(loaded), swi);

    const std::string json = MovieArchiveToJsonText(swi);
    EXPECT_NE(json.find("\"CEffectTypewriter\": {"), std::string::npos);
    EXPECT_NE(json.find("\"cursorCharacter\": 124"), std::string::npos);
    EXPECT_NE(json.find("\"gravityDirection\": -12.5"), std::string::npos);
    EXPECT_EQ(MovieJsonTextToArchive(json), swi);
}

} // namespace
} // namespace tavro
