// The timeline driver on exported records: interpolation, chaining of effects, the alpha rules,
// fades and slides, Show and Hide, placement with minimal output, a button's rest, the sprite of
// a text button's letters, and exports that leave the document as it was.
#include "effects/CActionStop.h"
#include "effects/CEffectFadeIn.h"
#include "effects/CEffectFadeOut.h"
#include "effects/CEffectHide.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectTransform.h"
#include "effects/CEventAtFrame.h"
#include "effects/CTextEffectObj.h"
#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"
#include "swfformat/TagCodes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tavro {
namespace {

// A symbol with a character of its own and fixed bounds: 100 x 50 pixels, origin at the top
// left corner.
class BoxSymbol : public CSymbolObj {
public:
    bool DefineCharacter(CSwfWriter& w) override {
        if (GetExportState().characterId == 0)
            GetExportState().characterId = w.NextCharacterId();
        return true;
    }
    CDoubleRect GetBounds() const override { return {0.0, 0.0, 2000.0, 1000.0}; }
};

// One tag of an export as the independent tag reader describes it.
struct Record {
    uint32_t frame;
    uint16_t code;
    int nesting;
    std::string fields;

    // The integer after "key=", or `missing`.
    long Get(const std::string& key, long missing = -1) const {
        const size_t at = fields.find(key + "=");
        return at == std::string::npos
                   ? missing
                   : std::strtol(fields.c_str() + at + key.size() + 1, nullptr, 10);
    }
    // The alpha multiplier of a PlaceObject2's colour transform (the fourth multiplier), or -1.
    long Alpha() const {
        size_t at = fields.find("mult=");
        if (at == std::string::npos)
            return -1;
        for (int comma = 0; comma < 3; ++comma)
            at = fields.find(',', at) + 1;
        return std::strtol(fields.c_str() + at, nullptr, 10);
    }
    bool IsPlace() const { return code == swfformat::kTagPlaceObject2 && nesting == 0; }
};

// A scene of 550 x 400 pixels holding one object at (x, y) pixels.
template <class Symbol = BoxSymbol> struct Movie {
    CSceneObj scene;
    Symbol* obj;

    explicit Movie(double x = 100.0, double y = 50.0) {
        auto s = std::make_unique<Symbol>();
        s->SetParent(&scene);
        s->SetStagePosition(x, y);
        obj = s.get();
        scene.AddChild(std::move(s));
    }
    template <class E> E& Add(int start, int frames = -1) {
        auto e = std::make_unique<E>();
        e->SetStartFrame(start);
        if (frames >= 0)
            e->SetNumFrames(frames);
        E& ref = *e;
        obj->InsertEffect(std::move(e));
        return ref;
    }
    void AddStopEvent(std::unique_ptr<CEventObj> event, CSymbolObj& where) {
        event->AddChild(std::make_unique<CActionStop>(event.get()));
        where.InsertEvent(std::move(event));
    }
    std::vector<Record> Export() {
        CSwfWriter w;
        w.WriteHeader(550.0, 400.0, 12.0, static_cast<uint16_t>(scene.GetFrameCount()));
        CSwfShape stage;
        scene.WriteSwf(w, true, stage, {550.0, 400.0});
        w.Finish();
        std::vector<Record> records;
        const auto bytes = w.GetImageBytes();
        SwfTagReader::ListMovie(
            bytes, SwfTagReader::ReadHeader(bytes), [&](const SwfTagReader::Entry& e) {
                if (e.tag.code != swfformat::kTagShowFrame &&
                    e.tag.code != swfformat::kTagEnd) // no ShowFrame, End
                    records.push_back({e.frame, e.tag.code, e.nesting, e.fields});
            });
        return records;
    }
};

std::vector<long> PlacedValues(const std::vector<Record>& records, const char* key) {
    std::vector<long> values;
    for (const Record& r : records) {
        if (r.IsPlace())
            values.push_back(key == nullptr ? r.Alpha() : r.Get(key));
    }
    return values;
}
std::vector<long> Alphas(const std::vector<Record>& records) {
    return PlacedValues(records, nullptr);
}
// "frame:code" of every top-level tag.
std::string Codes(const std::vector<Record>& records) {
    std::string s;
    for (const Record& r : records)
        if (r.nesting == 0)
            s += (s.empty() ? "" : " ") + std::to_string(r.frame) + ":" + std::to_string(r.code);
    return s;
}

CEffectTransform& MoveBy(Movie<>& m, int start, int frames, double dx) {
    CEffectTransform& e = m.Add<CEffectTransform>(start, frames);
    e.GetTransformSet().moveMode = 1;
    e.GetTransformSet().move = {dx, 0.0};
    return e;
}

TEST(TimelineExport, MovesInterpolateFromTheFirstFrameAndChain) {
    Movie m(10.0, 20.0); // (200, 400) twips
    MoveBy(m, 0, 10, 100.0);
    CEffectTransform& jump = m.Add<CEffectTransform>(10, 1); // one frame: its end state
    jump.GetTransformSet().moveMode = 0x10;                  // x set, y unchanged
    jump.GetTransformSet().move = {5.0, 999.0};
    MoveBy(m, 11, 2, 50.0); // starts where the jump left it
    const std::vector<Record> r = m.Export();
    EXPECT_EQ(PlacedValues(r, "tx"), (std::vector<long>{400, 600, 800, 1000, 1200, 1400, 1600, 1800,
                                                        2000, 2200, 100, 600, 1100}));
    EXPECT_EQ(PlacedValues(r, "ty"), std::vector<long>(13, 400));
    EXPECT_NE(r.front().fields.find("flags=0x0E"), std::string::npos); // a new placement
    EXPECT_NE(r[1].fields.find("flags=0x05"), std::string::npos); // then moves of the matrix only
}

TEST(TimelineExport, PlacementWritesOnlyWhatChanged) {
    Movie m;
    m.Add<CEffectTransform>(0, 3); // nothing changes: placed once, then silent
    CEffectTransform& fade = m.Add<CEffectTransform>(3, 2);
    fade.GetTransformSet().alphaMode = 72; // "Decrease Alpha by" 50 %: 256 -> 128
    fade.GetTransformSet().alpha = 50.0;
    const std::vector<Record> r = m.Export();
    EXPECT_EQ(Codes(r), "0:26 3:26 4:26");
    // Character, matrix and colour transform at first; then moves of the colour transform only.
    EXPECT_EQ(r[0].fields, "flags=0x0E depth=1 id=1 matrix(sx=65536 sy=65536 r0=0 r1=0 tx=2000 "
                           "ty=1000) cxform(mult=256,256,256,256 add=0,0,0,0)");
    EXPECT_EQ(r[1].fields, "flags=0x09 depth=1 cxform(mult=256,256,256,192 add=0,0,0,0)");
    EXPECT_EQ(r[2].Alpha(), 128);
}

TEST(TimelineExport, AlphaRulesOfFadesAndTransforms) {
    { // "Fade In to 100%" with an unchanged start on an opaque object starts from 0.
        Movie m;
        CEffectTransform& e = m.Add<CEffectTransform>(0, 4);
        e.GetTransformSet().alphaMode = 144;
        e.GetTransformSet().alpha = 100.0;
        EXPECT_EQ(Alphas(m.Export()), (std::vector<long>{64, 128, 192, 256}));
    }
    { // A Fade In before the object is on the display list starts from 0; the Fade Out after
        // it starts from the 256 it ended with.
        Movie m;
        m.Add<CEffectFadeIn>(0);
        m.Add<CEffectFadeOut>(10);
        EXPECT_EQ(Alphas(m.Export()),
                  (std::vector<long>{26,  51,  77,  102, 128, 154, 179, 205, 230, 256,
                                     230, 205, 179, 154, 128, 102, 77,  51,  26,  0}));
    }
    { // "Fade Out to Zero" of an object already at 0 starts from 256.
        Movie m;
        CEffectTransform& clear = m.Add<CEffectTransform>(0, 1);
        clear.GetTransformSet().alphaMode = 144; // to 0 in one frame
        CEffectTransform& out = m.Add<CEffectTransform>(1, 2);
        out.GetTransformSet().alphaMode = 144;
        EXPECT_EQ(Alphas(m.Export()), (std::vector<long>{0, 128, 0}));
    }
    { // A fade takes over from the present opacity of an object on the display list, and
        // presets its alpha rows whatever they held.
        Movie m;
        CEffectTransform& half = m.Add<CEffectTransform>(0, 1);
        half.GetTransformSet().alphaMode = 2;
        half.GetTransformSet().alpha = 50.0;
        CEffectFadeIn& in = m.Add<CEffectFadeIn>(1, 2);
        in.GetTransformSet().alpha = 20.0;
        CEffectFadeOut& out = m.Add<CEffectFadeOut>(3, 4);
        EXPECT_EQ(Alphas(m.Export()), (std::vector<long>{128, 192, 256, 192, 128, 64, 0}));
        EXPECT_EQ(in.GetStartSet().alpha, 50.0);
        EXPECT_EQ(in.GetTransformSet().alpha, 100.0);
        EXPECT_EQ(out.GetStartSet().alpha, 100.0);
    }
}

TEST(TimelineExport, ScalesNeverReachZero) {
    Movie m;
    CEffectTransform& e = m.Add<CEffectTransform>(0, 1);
    e.GetTransformSet().scaleMode = 2;
    e.GetTransformSet().scale = {0.0, -30.0};
    const std::vector<Record> r = m.Export();
    ASSERT_EQ(PlacedValues(r, "sx").size(), 1u);
    EXPECT_EQ(r.front().Get("sx"), 7); // 0.0001 x 65536
    EXPECT_EQ(r.front().Get("sy"), 7);
}

TEST(TimelineExport, SlidesStartAndEndJustOutsideTheStage) {
    { // In from the left: an object 100 pixels wide with its origin at its left edge starts
        // at x = -2000 twips; the first frame is already 1/10 of the way home.
        Movie m;
        CEffectSlide& slide = m.Add<CEffectSlide>(0);
        const std::vector<Record> r = m.Export();
        EXPECT_EQ(slide.GetStartSet().move, CDoublePoint(-100.0, 50.0));
        EXPECT_EQ(slide.GetTransformSet().move, CDoublePoint(100.0, 50.0));
        EXPECT_EQ(PlacedValues(r, "tx"),
                  (std::vector<long>{-1600, -1200, -800, -400, 0, 400, 800, 1200, 1600, 2000}));
        EXPECT_EQ(Alphas(r).front(), 256); // a slide in is opaque from the start
    }
    { // A start scale of 50 % halves the box that must clear the edge.
        Movie m;
        CEffectSlide& slide = m.Add<CEffectSlide>(0);
        slide.GetStartSet().scaleMode = 2;
        slide.GetStartSet().scale = {50.0, 50.0};
        m.Export();
        EXPECT_EQ(slide.GetStartSet().move.x, -50.0);
    }
    { // Out to the bottom right, then in from the top: the slide in finds the object off the
        // stage and brings it home to its stored position.
        Movie m;
        CEffectSlide& out = m.Add<CEffectSlide>(0, 2);
        out.SetSlideOut(true);
        out.SetDirection(CEffectSlide::kBottomRight);
        CEffectSlide& in = m.Add<CEffectSlide>(2, 2);
        in.SetDirection(CEffectSlide::kTop);
        const std::vector<Record> r = m.Export();
        EXPECT_EQ(out.GetTransformSet().move, CDoublePoint(550.0, 400.0));
        EXPECT_EQ(in.GetStartSet().move, CDoublePoint(100.0, -50.0));
        EXPECT_EQ(PlacedValues(r, "tx"), (std::vector<long>{6500, 11000, 2000, 2000}));
        EXPECT_EQ(PlacedValues(r, "ty"), (std::vector<long>{4500, 8000, 0, 1000}));
    }
}

TEST(TimelineExport, ShowAndHideTakeOneFrameEach) {
    Movie m;
    m.Add<CEffectTransform>(0, 2);
    m.Add<CEffectHide>(2);
    CEffectShow& show = m.Add<CEffectShow>(4);
    show.GetTransformSet().moveMode = 1; // Show still places by its transform
    show.GetTransformSet().move = {0.0, 10.0};
    const std::vector<Record> r = m.Export();
    EXPECT_EQ(Codes(r), "0:26 2:28 4:26");
    EXPECT_EQ(r.back().Get("ty"), 1200);
    EXPECT_NE(r.back().fields.find("flags=0x0E"), std::string::npos); // placed anew
    EXPECT_EQ(m.scene.GetFrameCount(), 5);
}

TEST(TimelineExport, ButtonComesToRestBetweenEffects) {
    Movie m;
    m.AddStopEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kRelease), *m.obj);
    MoveBy(m, 0, 2, 10.0); // rests at 1: the next effect starts 3 frames later
    MoveBy(m, 4, 2, 10.0); // rests at 5: nothing follows
    const std::vector<Record> r = m.Export();
    // Frame 1: the character leaves, hit shape, button, button placed; frame 4: the button
    // leaves and the character comes back.
    EXPECT_EQ(Codes(r), "0:26 1:28 1:2 1:34 1:26 4:28 4:26 5:28 5:2 5:34 5:26");
    EXPECT_EQ(r[4].Get("id"), r[3].Get("id")); // the button is what is placed
    EXPECT_EQ(r[4].Get("tx"), 2200);           // where the effect ended

    // Back to back with a stop action of the scene at the end of the first effect.
    Movie s;
    s.AddStopEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kPress), *s.obj);
    s.AddStopEvent(std::make_unique<CEventAtFrame>(nullptr, 1), s.scene);
    MoveBy(s, 0, 2, 10.0);
    CEffectFadeOut& out = s.Add<CEffectFadeOut>(2, 2); // ends transparent: no rest
    const std::vector<Record> rs = s.Export();
    EXPECT_EQ(Codes(rs), "0:26 1:28 1:2 1:34 1:26 1:12 2:28 2:26 3:26");
    EXPECT_EQ(Alphas(rs).back(), 0);
    EXPECT_EQ(out.GetStartSet().alpha, 100.0); // took over from the resting button

    // A Hide at the end never leaves a button behind.
    Movie h;
    h.AddStopEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kPress), *h.obj);
    h.Add<CEffectTransform>(0, 1);
    h.Add<CEffectHide>(1);
    EXPECT_EQ(Codes(h.Export()), "0:26 1:28");
}

TEST(TimelineExport, TextButtonAtRestShowsASpriteOfItsLetters) {
    Movie<CTextObj> m(200.0, 100.0);
    m.obj->SetText("AB");
    m.AddStopEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kRelease), *m.obj);
    auto letters = std::make_unique<CTextEffectObj>();
    letters->SetNumFrames(2);
    m.obj->InsertEffect(std::move(letters));
    EXPECT_EQ(m.obj->GetDepthCount(), 2);

    const std::vector<Record> r = m.Export();
    std::vector<long> letterDepths, spriteDepths;
    long spriteId = -1, buttonId = -1, placedId = -1;
    for (const Record& rec : r) {
        if (rec.code == swfformat::kTagPlaceObject2 && rec.nesting == 1)
            spriteDepths.push_back(rec.Get("depth"));
        else if (rec.IsPlace() && rec.frame == 0)
            letterDepths.push_back(rec.Get("depth"));
        else if (rec.code == swfformat::kTagDefineSprite)
            spriteId = rec.Get("id");
        else if (rec.code == swfformat::kTagDefineButton2)
            buttonId = rec.Get("id");
        else if (rec.IsPlace() && rec.frame == 1 && rec.Get("id") > 0)
            placedId = rec.Get("id");
    }
    EXPECT_EQ(letterDepths, (std::vector<long>{1, 2})); // letter by letter while it runs
    EXPECT_EQ(spriteDepths, (std::vector<long>{1, 2})); // the letters again, inside the sprite
    EXPECT_GT(spriteId, 0);
    EXPECT_GT(buttonId, spriteId);
    EXPECT_EQ(placedId, buttonId);
    EXPECT_EQ(m.obj->GetExportState().spriteId, spriteId);
}

TEST(TimelineExport, ExportsLeaveTheDocumentAsItWas) {
    CDocObj doc;
    doc.SetMovieSize(550.0, 400.0);
    CSceneObj& scene = doc.NewMovie();
    auto obj = std::make_unique<BoxSymbol>();
    obj->SetParent(&scene);
    obj->SetStagePosition(40.0, 30.0);
    BoxSymbol& box = *obj;
    scene.AddChild(std::move(obj));
    auto add = [&](std::unique_ptr<CEffectObj> e, int start) {
        e->SetStartFrame(start);
        box.InsertEffect(std::move(e));
    };
    auto spin = std::make_unique<CEffectTransform>();
    spin->GetTransformSet().rotateMode = 1;
    spin->GetTransformSet().angles = {45.0, 45.0};
    add(std::move(spin), 0);
    add(std::make_unique<CEffectHide>(), 10);
    add(std::make_unique<CEffectShow>(), 11);
    const std::vector<uint8_t> saved = SaveObjectToMemory(doc);
    const std::vector<uint8_t> swf = ExportMovieToMemory(doc);
    EXPECT_EQ(SaveObjectToMemory(doc), saved);
    EXPECT_EQ(box.GetStagePosition(), CDoublePoint(40.0, 30.0));

    // Fades and slides preset their own rows at every run; a second export and a second save
    // are the same as the first.
    add(std::make_unique<CEffectFadeIn>(), 12);
    add(std::make_unique<CEffectSlide>(true, CEffectSlide::kTop), 22);
    const std::vector<uint8_t> first = ExportMovieToMemory(doc);
    const std::vector<uint8_t> savedAfterFirst = SaveObjectToMemory(doc);
    EXPECT_EQ(ExportMovieToMemory(doc), first);
    EXPECT_EQ(SaveObjectToMemory(doc), savedAfterFirst);
    EXPECT_NE(first, swf);
}

} // namespace
} // namespace tavro
