// Whole-object effects as objects: archive forms against hand-built bytes (with the older
// versions), the JSON form, the presets and names of the six classes, the dialog-facing side
// (properties, the transactional edit, the dialog host) and the start/end queries' limits.
#include "effects/CEffectFadeIn.h"
#include "effects/CEffectFadeOut.h"
#include "effects/CEffectHide.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectTransform.h"
#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace tavro {
namespace {

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(int x) { return v.push_back(static_cast<uint8_t>(x)), *this; }
    Bytes& i32(int32_t x) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<int>((static_cast<uint32_t>(x) >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& f64(double d) {
        const auto bits = std::bit_cast<uint64_t>(d);
        for (int i = 0; i < 8; ++i)
            u8(static_cast<int>((bits >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& pair(double a, double b) { return f64(a).f64(b); }
    // The CTavroObj part: version 1, the name, no children, no selection.
    Bytes& base(std::string_view name) {
        u8(1).u8(static_cast<int>(name.size()));
        v.insert(v.end(), name.begin(), name.end());
        return u8(0).u8(0).i32(0);
    }
    // Fields 1-20 of the effect level with values that tell every field apart.
    Bytes& fields1To20() {
        i32(3).i32(12);                       // start frame, frames
        i32(2).pair(1.5, 2.5);                // start move
        i32(0x24).pair(3.5, 4.5);             // transform move
        i32(0);                               // transform scale uniform ...
        i32(0x90).pair(50.0, 60.0);           // ... before the start scale mode
        i32(1).pair(10.0, 20.0);              // transform scale
        i32(0);                               // transform rotate uniform ...
        i32(0x48).pair(30.0, 120.0);          // ... before the start rotate mode
        i32(2).pair(45.0, 135.0);             // transform angles
        i32(144).f64(25.0).i32(72).f64(12.5); // start alpha, transform alpha
        return *this;
    }
};

// The effect of fields1To20 in memory.
void SetFields1To20(CEffectObj& e) {
    e.SetStartFrame(3);
    e.SetNumFrames(12);
    CEffectObj::TransformSet& s = e.GetStartSet();
    CEffectObj::TransformSet& t = e.GetTransformSet();
    s = {2, {1.5, 2.5}, 1, 0x90, {50.0, 60.0}, 1, 0x48, {30.0, 120.0}, 144, 25.0};
    t = {0x24, {3.5, 4.5}, 0, 1, {10.0, 20.0}, 0, 2, {45.0, 135.0}, 72, 12.5};
}

void ExpectFields1To20(const CEffectObj& e) {
    CEffectTransform expected;
    SetFields1To20(expected);
    EXPECT_EQ(e.GetStartFrame(), 3);
    EXPECT_EQ(e.GetNumFrames(), 12);
    EXPECT_EQ(e.GetTransformSet(), expected.GetTransformSet());
    CEffectObj::TransformSet start = e.GetStartSet();
    start.scaleUniform = start.rotateUniform = 1; // stored from version 3 on
    EXPECT_EQ(start, expected.GetStartSet());
}

TEST(EffectArchive, VersionFourWritesEveryFieldInArchiveOrder) {
    CEffectTransform e;
    e.SetName("Spin");
    SetFields1To20(e);
    e.GetStartSet().scaleUniform = 0;
    e.GetStartSet().rotateUniform = 7;
    e.SetHiddenRows(0x41);
    e.SetResetAtStart(true);
    Bytes expected;
    expected.base("Spin").u8(4).fields1To20().i32(0x41).i32(0).i32(7).i32(1).u8(1);
    EXPECT_EQ(SaveObjectToMemory(e), expected.v);

    CEffectTransform loaded;
    LoadObjectFromMemory(expected.v, loaded);
    ExpectFields1To20(loaded);
    EXPECT_EQ(loaded.GetName(), "Spin");
    EXPECT_EQ(loaded.GetHiddenRows(), 0x41u);
    EXPECT_EQ(loaded.GetStartSet().scaleUniform, 0);
    EXPECT_EQ(loaded.GetStartSet().rotateUniform, 7);
    EXPECT_TRUE(loaded.GetResetAtStart());
}

TEST(EffectArchive, OlderVersionsReadOnlyTheirFieldsAndKeepTheDefaults) {
    // Version 1: no hidden rows, no start uniform flags, no reset; the class byte follows.
    Bytes v1;
    v1.base("").u8(1).fields1To20().u8(1);
    CEffectTransform transform;
    LoadObjectFromMemory(v1.v, transform);
    ExpectFields1To20(transform);
    EXPECT_EQ(transform.GetHiddenRows(), 0u);
    EXPECT_EQ(transform.GetStartSet().scaleUniform, 1);
    EXPECT_EQ(transform.GetStartSet().rotateUniform, 1);
    EXPECT_FALSE(transform.GetResetAtStart());
    EXPECT_EQ(transform.GetName(), "Transform"); // an empty description shows the default

    CEffectFadeIn fade; // hidden rows not stored: the class's own preset stays
    LoadObjectFromMemory(v1.v, fade);
    EXPECT_EQ(fade.GetHiddenRows(), 0x40u);

    // Version 2 adds the hidden rows, version 3 the start uniform flags.
    Bytes v3;
    v3.base("").u8(3).fields1To20().i32(0x03).i32(0).i32(0).u8(1);
    CEffectTransform three;
    LoadObjectFromMemory(v3.v, three);
    EXPECT_EQ(three.GetHiddenRows(), 0x03u);
    EXPECT_EQ(three.GetStartSet().scaleUniform, 0);
    EXPECT_FALSE(three.GetResetAtStart());

    // Version 0 reads nothing more at the effect level, but the class level still reads its byte.
    Bytes v0;
    v0.base("x").u8(0).u8(1);
    CEffectFadeOut fadeOut;
    LoadObjectFromMemory(v0.v, fadeOut);
    EXPECT_EQ(fadeOut.GetNumFrames(), 10);
    EXPECT_EQ(fadeOut.GetName(), "x");

    // Cut short inside the fields: an archive error, never a partial read past the end.
    std::vector<uint8_t> cut = v1.v;
    cut.resize(cut.size() - 9);
    CEffectTransform damaged;
    EXPECT_THROW(LoadObjectFromMemory(cut, damaged), ArchiveError);
}

TEST(EffectArchive, SlideAddsDirectionAfterItsVersionByte) {
    CEffectSlide slide(true, CEffectSlide::kBottomLeft);
    Bytes expected;
    expected.base("Slide Out To Bottom Left").u8(4);
    expected.i32(0).i32(10).i32(0).pair(0, 0).i32(0).pair(0, 0).i32(1).i32(0).pair(0, 0);
    expected.i32(0).pair(0, 0).i32(1).i32(0).pair(0, 0).i32(0).pair(0, 0);
    expected.i32(0).f64(0).i32(0).f64(0).i32(3).i32(1).i32(1).i32(0); // no alpha preset
    expected.u8(1).i32(1).i32(6);
    EXPECT_EQ(SaveObjectToMemory(slide), expected.v);

    CEffectSlide loaded;
    LoadObjectFromMemory(expected.v, loaded);
    EXPECT_TRUE(loaded.IsSlideOut());
    EXPECT_EQ(loaded.GetDirection(), 6);

    // A slide level of version 0 keeps what the constructor set.
    std::vector<uint8_t> v0 = expected.v;
    v0.resize(v0.size() - 9);
    v0.push_back(0);
    CEffectSlide older(false, CEffectSlide::kTop);
    LoadObjectFromMemory(v0, older);
    EXPECT_FALSE(older.IsSlideOut());
    EXPECT_EQ(older.GetDirection(), CEffectSlide::kTop);
}

TEST(EffectArchive, JsonFormKeepsEveryEffectByteForByte) {
    CDocObj doc;
    CSceneObj& scene = doc.NewMovie();
    auto symbol = std::make_unique<CSymbolObj>(&scene);
    for (int command : {effect_command::kShow, effect_command::kHide, effect_command::kFadeIn,
                        effect_command::kFadeOut, effect_command::kSlideInFirst + 3,
                        effect_command::kTransform}) {
        std::unique_ptr<CEffectObj> e = CreateWholeObjectEffect(command);
        SetFields1To20(*e);
        e->SetStartFrame(command); // in order, apart
        e->SetResetAtStart(true);
        symbol->InsertEffect(std::move(e));
    }
    scene.AddChild(std::move(symbol));
    const std::vector<uint8_t> swi = SaveObjectToMemory(doc);
    const std::string json = MovieArchiveToJsonText(swi);
    EXPECT_NE(json.find("\"startRotateUniform\""), std::string::npos);
    EXPECT_NE(json.find("\"direction\": 3"), std::string::npos);
    EXPECT_EQ(MovieJsonTextToArchive(json), swi);
}

TEST(EffectArchive, PresetsNamesAndTimelineLooks) {
    struct Case {
        int command;
        const char* name;
        int frames;
        uint32_t hidden;
        bool marker; // one-frame marker: no name in the bar, no frame count to set
        bool ownDialog;
        bool visibleAtEnd;
    };
    const Case cases[] = {
        {effect_command::kShow, "Show", 1, 0, true, false, true},
        {effect_command::kHide, "Hide", 1, 0, true, false, false},
        {effect_command::kFadeIn, "Fade In", 10, 0x40, false, false, true},
        {effect_command::kFadeOut, "Fade Out", 10, 0x40, false, false, false},
        {effect_command::kSlideInFirst + 4, "Slide In From Top Left", 10, 0x03, false, true, true},
        {effect_command::kSlideOutFirst + 7, "Slide Out To Bottom Right", 10, 0x03, false, true,
         false},
        {effect_command::kTransform, "Transform", 10, 0, false, true, true},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CEffectObj> e = CreateWholeObjectEffect(c.command);
        ASSERT_NE(e, nullptr) << c.name;
        EXPECT_EQ(e->GetName(), c.name);
        EXPECT_EQ(e->CTavroObj::GetName(), c.name); // stored as the description
        EXPECT_EQ(e->GetNumFrames(), c.frames) << c.name;
        EXPECT_EQ(e->GetHiddenRows(), c.hidden) << c.name;
        EXPECT_EQ(e->ShowsNameInTimeline(), !c.marker) << c.name;
        EXPECT_EQ(e->CanSetNumFrames(), !c.marker) << c.name;
        EXPECT_EQ(e->HasSettingsDialog(), c.ownDialog) << c.name;
        EXPECT_EQ(e->IsVisibleAtEnd(), c.visibleAtEnd) << c.name;
    }
    EXPECT_EQ(CreateWholeObjectEffect(effect_command::kShow)->GetTimelineColor(),
              CColor(0, 255, 0));
    EXPECT_EQ(CreateWholeObjectEffect(effect_command::kHide)->GetTimelineColor(),
              CColor(255, 0, 0));
    EXPECT_FALSE(CreateWholeObjectEffect(effect_command::kFadeIn)->GetTimelineColor());
    EXPECT_EQ(CreateWholeObjectEffect(32810), nullptr); // a letter effect's command

    EXPECT_EQ(CEffectSlide(false, 99).GetName(), "Slide In From unknown");

    // Visible at the end: the transform alpha applied to full opacity leaves something.
    CEffectTransform t;
    t.GetTransformSet().alphaMode = 144; // "Fade Out to Zero"
    EXPECT_FALSE(t.IsVisibleAtEnd());
    t.GetTransformSet().alphaMode = 72; // "Decrease Alpha by" 50
    t.GetTransformSet().alpha = 50.0;
    EXPECT_TRUE(t.IsVisibleAtEnd());
}

TEST(EffectArchive, DialogSide) {
    // Show keeps its single frame whatever the dialog holds, and has one tab only.
    CEffectShow show;
    CEffectObj::Properties p = show.GetProperties();
    EXPECT_FALSE(show.HasTwoTransformTabs());
    p.numFrames = 7;
    p.description = "appear";
    p.transform.moveMode = 1;
    show.ApplyProperties(p);
    EXPECT_EQ(show.GetNumFrames(), 1);
    EXPECT_EQ(show.GetName(), "appear");
    EXPECT_EQ(show.GetTransformSet().moveMode, 1);
    CEffectTransform t;
    t.SetNumFrames(1);
    EXPECT_TRUE(t.HasTwoTransformTabs()); // it may set its frame count
    t.ApplyProperties(p);
    EXPECT_EQ(t.GetNumFrames(), 7);

    // Cancel after a preview: the effect reads back exactly what it was, parent included.
    CSymbolObj owner;
    CEffectSlide slide(false, CEffectSlide::kTop, &owner);
    SetFields1To20(slide);
    const std::vector<uint8_t> before = slide.SaveEditState();
    slide.SetName("changed");
    slide.SetDirection(5);
    slide.GetTransformSet().alpha = 99.0;
    slide.RestoreEditState(before);
    EXPECT_EQ(slide.SaveEditState(), before);
    EXPECT_EQ(slide.GetParent(), &owner);

    // The Edit operations open the editor's dialogs through its host, if there is one.
    struct Host : CEffectObj::DialogHost {
        std::string calls;
        bool RunSettingsDialog(CEffectObj&, bool undo) override {
            return calls += undo ? "S+" : "S-", true;
        }
        bool RunTransformDialog(CEffectObj&, bool undo) override {
            return calls += undo ? "T+" : "T-", true;
        }
    } host;
    EXPECT_FALSE(t.EditSettings(true)); // no host: nothing opens
    CEffectObj::SetDialogHost(&host);
    EXPECT_TRUE(t.EditSettings(true));
    EXPECT_TRUE(slide.EditSettings(false));
    EXPECT_TRUE(show.EditSettings(true)); // no dialog of its own, nothing opens
    EXPECT_FALSE(CEffectObj().EditSettings(true));
    CEffectObj::SetDialogHost(nullptr);
    EXPECT_EQ(host.calls, "T+S-");
}

TEST(EffectArchive, AlphaQueriesClamp) {
    CEffectTransform e; // no owner: opaque
    e.GetStartSet().alphaMode = 1;
    e.GetStartSet().alpha = 50.0;
    EXPECT_EQ(e.GetStartAlpha(), 256.0); // 256 + 128
    e.GetTransformSet().alphaMode = 72;
    e.GetTransformSet().alpha = 150.0;
    EXPECT_EQ(e.GetEndAlpha(256.0), 0.0); // 256 - 384
    EXPECT_EQ(CEffectObj::ClampAlpha(std::nan("")), 0.0);
    EXPECT_EQ(CEffectObj::FloorScale({std::nan(""), 0.5}), CDoublePoint(0.0001, 0.5));
}

} // namespace
} // namespace tavro
