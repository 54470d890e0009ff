// Display-list bookkeeping of symbols and the frame loop of scenes, checked against SWF bytes
// built by hand.
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"
#include "model/CSymbolObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavro {
namespace {

using ByteVec = std::vector<uint8_t>;

// Packs bits most significant first and bytes little-endian, as an SWF reader sees them.
struct SwfBytes {
    ByteVec v;
    int used = 8; // bits used in the last byte
    SwfBytes& bits(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used == 8) {
                v.push_back(0);
                used = 0;
            }
            if ((value >> i) & 1u)
                v.back() |= static_cast<uint8_t>(0x80u >> used);
            ++used;
        }
        return *this;
    }
    SwfBytes& u8(uint32_t x) {
        used = 8;
        v.push_back(static_cast<uint8_t>(x));
        return *this;
    }
    SwfBytes& u16(uint32_t x) { return u8(x & 0xFF).u8((x >> 8) & 0xFF); }
    SwfBytes& append(const ByteVec& more) {
        used = 8;
        v.insert(v.end(), more.begin(), more.end());
        return *this;
    }
    // MATRIX without scale or rotation, translation fields of n bits.
    SwfBytes& translation(int32_t tx, int32_t ty, int n) {
        used = 8;
        return bits(0, 1).bits(0, 1).bits(static_cast<uint32_t>(n), 5).bits(tx, n).bits(ty, n);
    }
    SwfBytes& identityMatrix() { return translation(0, 0, 1); }
    SwfBytes& identityCxform() {
        used = 8;
        return bits(0, 6);
    }
};

ByteVec Tag(uint16_t code, const ByteVec& body) {
    EXPECT_LT(body.size(), 63u);
    SwfBytes t;
    t.u16(code * 64u + static_cast<uint32_t>(body.size())).append(body);
    return t.v;
}

ByteVec Concat(std::initializer_list<ByteVec> parts) {
    ByteVec all;
    for (const ByteVec& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const ByteVec kShowFrame = {0x40, 0x00};

ByteVec RemoveObject(uint16_t depth) {
    return Tag(28, SwfBytes().u16(depth).v);
}

// A new placement of `id` at `depth` translated to (tx, ty) twips (n bits), identity colour.
ByteVec PlaceNew(uint16_t id, uint16_t depth, int32_t tx, int32_t ty, int n) {
    return Tag(26,
               SwfBytes().u8(0x0E).u16(depth).u16(id).translation(tx, ty, n).identityCxform().v);
}

// The tags written after the 8 signature bytes, without the End tag and trailing zero byte.
ByteVec Written(CSwfWriter& w) {
    w.Finish();
    auto image = w.GetImageBytes();
    return ByteVec(image.begin() + 8, image.end() - 3);
}

// A symbol with a character of its own: DefineCharacter takes an id and writes nothing.
class CharSymbol : public CSymbolObj {
public:
    CDoubleRect bounds;
    int depthCount = 1;
    int depthOffset = 0;
    int defineCalls = 0;

    bool DefineCharacter(CSwfWriter& w) override {
        ++defineCalls;
        if (GetExportState().characterId == 0)
            GetExportState().characterId = w.NextCharacterId();
        return true;
    }
    CDoubleRect GetBounds() const override { return bounds; }
    int GetDepthCount() const override { return depthCount; }
    int GetDepthOffset() const override { return depthOffset; }
};

TEST(SymbolExport, BeginExportResetsTheStateFromTheStagePosition) {
    CharSymbol s;
    s.SetStagePosition(10.0, 5.0);
    s.SetExportStageSize({550.0, 400.0});
    SymbolExportState& st = s.GetExportState();
    st.characterId = st.spriteId = st.buttonId = 9;
    st.placed = st.buttonPlaced = true;
    st.stageDepth = 4;
    st.colorTransform.alphaMult = 3;

    CSwfWriter w;
    s.BeginExport(w, 3);
    EXPECT_EQ(st.characterId, 0);
    EXPECT_EQ(st.spriteId, 0);
    EXPECT_EQ(st.buttonId, 0);
    EXPECT_FALSE(st.placed);
    EXPECT_FALSE(st.buttonPlaced);
    EXPECT_EQ(st.depth, 3);
    EXPECT_EQ(st.stageDepth, 0);
    EXPECT_TRUE(st.matrix.IsEqual(CMatrix3(200.0, 100.0, 1.0, 1.0, 0.0, 90.0)));
    EXPECT_TRUE(st.lastMatrix.IsEqual(st.matrix));
    EXPECT_TRUE(st.colorTransform.IsIdentity());
    EXPECT_TRUE(st.lastColorTransform.IsIdentity());
    EXPECT_EQ(st.stageSize, CDoublePoint(550.0, 400.0));
}

TEST(SymbolExport, ObjectWithoutEffectsIsPlacedInFrameZeroOnly) {
    CharSymbol s;
    s.SetStagePosition(10.0, 5.0);
    CSwfWriter w;
    s.BeginExport(w, 2);
    for (int f = 0; f < 3; ++f)
        s.WriteFrame(w, f);
    EXPECT_EQ(s.defineCalls, 1);
    // Flags 0x0E, depth 2, id 1, translation (200, 100) in 9 bits, identity colour.
    const ByteVec expected = {0x8A, 0x06, 0x0E, 0x02, 0x00, 0x01,
                              0x00, 0x12, 0xC8, 0x32, 0x00, 0x00};
    EXPECT_EQ(Written(w), expected);
    EXPECT_TRUE(s.IsPlaced());
    EXPECT_EQ(s.GetExportState().stageDepth, 2);
}

TEST(SymbolExport, PlaceOrMoveWritesOnlyWhatChanged) {
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 2);
    s.DefineCharacter(w);
    const CMatrix3 m0(100.0, 0.0, 1.0, 1.0, 0.0, 90.0);
    const CMatrix3 m1(100.0, 40.0, 1.0, 1.0, 0.0, 90.0);
    CColorTransform half;
    half.alphaMult = 128;

    s.PlaceOrMove(w, m0, CColorTransform());
    s.PlaceOrMove(w, m0, CColorTransform()); // unchanged: nothing
    s.GetExportState().stageDepth = 7;       // moves go to where the object stands
    s.PlaceOrMove(w, m1, CColorTransform()); // matrix only
    s.PlaceOrMove(w, m1, half);              // colour only
    s.PlaceOrMove(w, m1, half);              // unchanged: nothing

    const ByteVec moveMatrix = Tag(26, SwfBytes().u8(0x05).u16(7).translation(100, 40, 8).v);
    // hasAdd 0, hasMult 1, 10 bits (256 needs 10), multipliers red, green, blue, alpha.
    const ByteVec moveCxform = Tag(26, SwfBytes()
                                           .u8(0x09)
                                           .u16(7)
                                           .bits(0, 1)
                                           .bits(1, 1)
                                           .bits(10, 4)
                                           .bits(256, 10)
                                           .bits(256, 10)
                                           .bits(256, 10)
                                           .bits(128, 10)
                                           .v);
    EXPECT_EQ(Written(w), Concat({PlaceNew(1, 2, 100, 0, 8), moveMatrix, moveCxform}));
    EXPECT_TRUE(s.GetExportState().lastMatrix.IsEqual(m1));
    EXPECT_EQ(s.GetExportState().lastColorTransform, half);
}

TEST(SymbolExport, RemoveFromStageRemovesOnceAndAllowsANewPlacement) {
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 5);
    s.RemoveFromStage(w); // never placed: nothing
    s.WriteFrame(w, 0);
    s.RemoveFromStage(w);
    s.RemoveFromStage(w); // already gone: nothing
    EXPECT_FALSE(s.IsPlaced());
    EXPECT_EQ(s.GetExportState().stageDepth, 0);
    s.PlaceOrMove(w, CMatrix3(), CColorTransform());
    EXPECT_EQ(Written(w),
              Concat({PlaceNew(1, 5, 0, 0, 1), RemoveObject(5), PlaceNew(1, 5, 0, 0, 1)}));
}

TEST(SymbolExport, ZeroStageDepthNeverWritesAMoveAtDepthZero) {
    // A removal that cleared the stage depth but left the placed flag (a button taken off the
    // stage) must lead to a fresh placement, not to a move at depth 0.
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 4);
    s.DefineCharacter(w);
    s.GetExportState().placed = true;
    s.GetExportState().lastMatrix = CMatrix3(5.0, 5.0, 1.0, 1.0, 0.0, 90.0);
    s.PlaceOrMove(w, CMatrix3(), CColorTransform());
    EXPECT_EQ(Written(w), PlaceNew(1, 4, 0, 0, 1));
}

TEST(SymbolExport, SaveAndRestoreExportState) {
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 2);
    s.WriteFrame(w, 0);
    s.SaveExportState();
    s.GetExportState().depth = 1;
    s.GetExportState().stageDepth = 0;
    s.GetExportState().lastMatrix.SetTranslation(1.0, 1.0);
    s.RestoreExportState();
    EXPECT_EQ(s.GetExportState().depth, 2);
    EXPECT_EQ(s.GetExportState().stageDepth, 2);
    EXPECT_TRUE(s.GetExportState().lastMatrix.IsEqual(CMatrix3()));
}

TEST(SymbolExport, SettleStageDepthOnlyForAPlacedObject) {
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 6);
    s.GetExportState().stageDepth = 9;
    s.SettleStageDepth(); // no character placed: stays
    EXPECT_EQ(s.GetExportState().stageDepth, 9);
    s.DefineCharacter(w);
    s.GetExportState().placed = true;
    s.SettleStageDepth();
    EXPECT_EQ(s.GetExportState().stageDepth, 6);
}

TEST(SymbolExport, VisibilityNeedsPlacementOpacityAndTheStage) {
    CharSymbol s;
    s.bounds = CDoubleRect(-100.0, -50.0, 100.0, 50.0);
    s.SetStagePosition(10.0, 5.0);
    s.SetExportStageSize({100.0, 100.0}); // 2000 x 2000 twips
    CSwfWriter w;
    s.BeginExport(w, 1);
    EXPECT_FALSE(s.IsVisibleOnStage()); // not placed
    EXPECT_TRUE(s.IntersectsStage());
    s.WriteFrame(w, 0);
    EXPECT_TRUE(s.IsVisibleOnStage());

    CColorTransform clear;
    clear.alphaMult = 0;
    s.PlaceOrMove(w, s.GetExportState().lastMatrix, clear);
    EXPECT_FALSE(s.IsVisibleOnStage());
    s.PlaceOrMove(w, CMatrix3(2100.0, 100.0, 1.0, 1.0, 0.0, 90.0), CColorTransform());
    EXPECT_FALSE(s.IsVisibleOnStage()); // left edge at 2000: touches, does not overlap
    s.PlaceOrMove(w, CMatrix3(2099.0, 100.0, 1.0, 1.0, 0.0, 90.0), CColorTransform());
    EXPECT_TRUE(s.IsVisibleOnStage());
}

TEST(SymbolExport, PlainSymbolNeedsOneDepthAndNoFrames) {
    CSymbolObj s;
    EXPECT_EQ(s.GetOwnDepthCount(), 1);
    EXPECT_EQ(s.GetDepthCount(), 1);
    EXPECT_EQ(s.GetDepthOffset(), 0);
    EXPECT_EQ(s.GetFrameCount(), 0);
    EXPECT_FALSE(s.HasLetterEffects());
    EXPECT_FALSE(s.HasCharacter());
    CSwfWriter w;
    s.BeginExport(w, 1);
    s.WriteFrame(w, 0); // nothing to place
    EXPECT_FALSE(s.IsPlaced());
    EXPECT_EQ(s.GetExportState().stageDepth, 0);
    EXPECT_TRUE(Written(w).empty());
}

// ---- Buttons and sprites ----

// Bits needed for v in two's complement, sign bit included.
int SBits(int32_t v) {
    int n = 1;
    while (v < -(1 << (n - 1)) || v >= (1 << (n - 1)))
        ++n;
    return n;
}

// DefineShape of a white rectangle (x0, y0)-(x1, y1) twips, drawn as move-to (x0, y0) with fill
// index 1 and four line-to edges around.
ByteVec WhiteRectangleShape(uint16_t id, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    SwfBytes b;
    b.u16(id);
    const int rn = std::max({SBits(x0), SBits(x1), SBits(y0), SBits(y1)});
    b.bits(rn, 5).bits(x0, rn).bits(x1, rn).bits(y0, rn).bits(y1, rn);
    b.u8(1).u8(0).u8(255).u8(255).u8(255).u8(0); // one solid white fill, no line
    b.bits(1, 4).bits(0, 4);
    const int mn = std::max(SBits(x0), SBits(y0));
    b.bits(0b000101, 6).bits(mn, 5).bits(x0, mn).bits(y0, mn).bits(1, 1);
    auto horizontal = [&](int32_t dx) {
        const int n = std::max(SBits(dx), 2);
        b.bits(0b11, 2).bits(n - 2, 4).bits(0b00, 2).bits(dx, n);
    };
    auto vertical = [&](int32_t dy) {
        const int n = std::max(SBits(dy), 2);
        b.bits(0b11, 2).bits(n - 2, 4).bits(0b01, 2).bits(dy, n);
    };
    horizontal(x1 - x0);
    vertical(y1 - y0);
    horizontal(x0 - x1);
    vertical(y0 - y1);
    b.bits(0, 6);
    return Tag(2, b.v);
}

// One BUTTONRECORD: states, character, depth 1, identity matrix and colour transform.
SwfBytes& ButtonRecord(SwfBytes& b, uint8_t states, uint16_t id) {
    return b.u8(states).u16(id).u16(1).identityMatrix().identityCxform();
}

// A symbol whose events hold one release event with a stop action.
void AddReleaseStop(CSymbolObj& s) {
    auto event = std::make_unique<CEventObj>(nullptr, CEventObj::kRelease);
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    s.InsertEvent(std::move(event));
}

class LetterSymbol : public CharSymbol {
public:
    bool HasLetterEffects() const override { return true; }
};

TEST(SymbolButton, ObjectWithActionsIsPlacedOnceAsAButton) {
    CharSymbol s;
    s.bounds = CDoubleRect(-20.0, -10.0, 20.0, 10.0);
    // An event without actions writes no condition record of its own.
    s.InsertEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kPress));
    EXPECT_FALSE(s.HasEventActions());
    AddReleaseStop(s);
    EXPECT_TRUE(s.HasEventActions());

    CSwfWriter w;
    s.BeginExport(w, 2);
    s.WriteFrame(w, 0);
    s.Show(w, CMatrix3(300.0, 0.0, 1.0, 1.0, 0.0, 90.0), CColorTransform()); // kept where it is
    s.WriteFrame(w, 1);

    SwfBytes button;
    button.u16(3).u8(0).u16(19); // id, not a menu, action offset past 2 + 8 + 8 + 1 bytes
    ButtonRecord(button, 0x07, 1);
    ButtonRecord(button, 0x08, 2);
    button.u8(0);
    button.u16(6).u16(8).u8(0x07).u8(0); // release: stop
    button.u16(0).u16(0).u8(0);          // end of the condition records
    const ByteVec place =
        Tag(26, SwfBytes().u8(0x0E).u16(2).u16(3).identityMatrix().identityCxform().v);
    EXPECT_EQ(Written(w),
              Concat({WhiteRectangleShape(2, -20, -10, 20, 10), Tag(34, button.v), place}));

    const SymbolExportState& st = s.GetExportState();
    EXPECT_EQ(st.buttonId, 3);
    EXPECT_TRUE(s.IsButtonOnStage());
    EXPECT_FALSE(s.IsPlaced());
    EXPECT_TRUE(st.lastMatrix.IsEqual(CMatrix3()));
}

TEST(SymbolButton, RemovingTheButtonClearsItsPlacement) {
    CharSymbol s;
    AddReleaseStop(s);
    CSwfWriter w;
    s.BeginExport(w, 4);
    s.WriteFrame(w, 0);
    ASSERT_TRUE(s.IsButtonOnStage());
    CSwfWriter w2;
    s.RemoveFromStage(w2);
    s.RemoveButton(w2); // gone already: nothing
    EXPECT_EQ(Written(w2), RemoveObject(4));
    EXPECT_FALSE(s.IsButtonOnStage());
    EXPECT_EQ(s.GetExportState().stageDepth, 0);
}

TEST(SymbolButton, SpriteHoldsTheObjectAtDepthOneAndKeepsTheOuterState) {
    CharSymbol s;
    CSwfWriter w;
    s.BeginExport(w, 3);
    s.WriteFrame(w, 0); // character 1 placed at depth 3
    s.DefineSprite(w);

    const ByteVec inner =
        Tag(26, SwfBytes().u8(0x0E).u16(1).u16(1).identityMatrix().identityCxform().v);
    const ByteVec sprite = Tag(39, Concat({SwfBytes().u16(2).u16(1).v, inner, kShowFrame, {0, 0}}));
    EXPECT_EQ(Written(w), Concat({PlaceNew(1, 3, 0, 0, 1), sprite}));
    const SymbolExportState& st = s.GetExportState();
    EXPECT_EQ(st.spriteId, 2);
    EXPECT_EQ(st.depth, 3);
    EXPECT_EQ(st.stageDepth, 3);
    EXPECT_TRUE(st.placed);
}

TEST(SymbolButton, LetterObjectShowsItsSpriteInTheButton) {
    LetterSymbol s;
    s.bounds = CDoubleRect(-20.0, -10.0, 20.0, 10.0);
    AddReleaseStop(s);
    CSwfWriter w;
    s.BeginExport(w, 2);
    s.DefineCharacter(w); // id 1
    s.DefineButton(w);    // sprite 2, hit shape 3, button 4
    EXPECT_EQ(s.GetExportState().spriteId, 2);
    EXPECT_EQ(s.GetExportState().buttonId, 4);

    const ByteVec inner =
        Tag(26, SwfBytes().u8(0x0E).u16(1).u16(1).identityMatrix().identityCxform().v);
    const ByteVec sprite = Tag(39, Concat({SwfBytes().u16(2).u16(1).v, inner, kShowFrame, {0, 0}}));
    SwfBytes button;
    button.u16(4).u8(0).u16(19);
    ButtonRecord(button, 0x07, 2); // the sprite, not the character
    ButtonRecord(button, 0x08, 3);
    button.u8(0).u16(6).u16(8).u8(0x07).u8(0).u16(0).u16(0).u8(0);
    EXPECT_EQ(Written(w),
              Concat({sprite, WhiteRectangleShape(3, -20, -10, 20, 10), Tag(34, button.v)}));
}

// ---- Scenes ----

CharSymbol* AddChar(CSceneObj& scene, double x = 0.0, double y = 0.0) {
    auto child = std::make_unique<CharSymbol>();
    child->SetParent(&scene);
    child->SetStagePosition(x, y);
    auto* raw = child.get();
    scene.AddChild(std::move(child));
    return raw;
}

TEST(SceneExport, EmptySceneWritesOneFrame) {
    CSceneObj scene;
    CSwfWriter w;
    CSwfShape stage = MakeStageRectangle(100.0, 100.0);
    scene.WriteSwf(w, false, stage, {100.0, 100.0});
    EXPECT_EQ(Written(w), kShowFrame);
    EXPECT_EQ(stage.id, -1); // no link: the stage rectangle is not needed
}

TEST(SceneExport, DepthsAreAssignedFromTheTail) {
    CSceneObj scene;
    CharSymbol* front = AddChar(scene);
    CharSymbol* middle = AddChar(scene);
    CharSymbol* back = AddChar(scene);
    middle->depthCount = 3;
    front->depthOffset = 2;
    CSwfWriter w;
    CSwfShape stage = MakeStageRectangle(100.0, 100.0);
    scene.WriteSwf(w, true, stage, {100.0, 100.0});
    EXPECT_EQ(back->GetExportState().depth, 1);
    EXPECT_EQ(middle->GetExportState().depth, 2);
    EXPECT_EQ(front->GetExportState().depth, 7); // 2 + 3, then its offset of 2
    EXPECT_EQ(front->GetExportState().stageSize, CDoublePoint(100.0, 100.0));
    // Frame 0 writes the back object first, so it takes the first character id.
    EXPECT_EQ(Written(w), Concat({PlaceNew(1, 1, 0, 0, 1), PlaceNew(2, 2, 0, 0, 1),
                                  PlaceNew(3, 7, 0, 0, 1), kShowFrame}));
}

TEST(SceneExport, FrameEventsFollowTheObjectsOfTheirFrame) {
    CSceneObj scene;
    AddChar(scene);
    auto event = std::make_unique<CEventAtFrame>(nullptr, 1);
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    scene.InsertEvent(std::move(event));
    CSwfWriter w;
    CSwfShape stage = MakeStageRectangle(100.0, 100.0);
    scene.WriteSwf(w, true, stage, {100.0, 100.0});
    const ByteVec doAction = Tag(12, {0x07, 0x00});
    EXPECT_EQ(Written(w), Concat({PlaceNew(1, 1, 0, 0, 1), kShowFrame, doAction, kShowFrame}));
}

TEST(SceneExport, OnlyAnEarlierSceneRemovesItsObjectsHeadFirst) {
    for (bool last : {false, true}) {
        CSceneObj scene;
        AddChar(scene);
        AddChar(scene);
        CSwfWriter w;
        CSwfShape stage = MakeStageRectangle(100.0, 100.0);
        scene.WriteSwf(w, last, stage, {100.0, 100.0});
        ByteVec expected = Concat({PlaceNew(1, 1, 0, 0, 1), PlaceNew(2, 2, 0, 0, 1), kShowFrame});
        if (!last)
            expected = Concat({expected, RemoveObject(2), RemoveObject(1)});
        EXPECT_EQ(Written(w), expected) << "last scene: " << last;
    }
}

// The URL button of a linked scene: hit-test state only, a release opening `url`.
ByteVec LinkButton(uint16_t id, uint16_t stageId, const std::string& url) {
    SwfBytes b;
    b.u16(id).u8(0).u16(11); // offset past 2 + 8 + 1 bytes
    ButtonRecord(b, 0x08, stageId);
    b.u8(0);
    b.u16(0).u16(8).u8(0x83).u16(static_cast<uint32_t>(url.size()) + 2);
    for (char c : url)
        b.u8(static_cast<uint8_t>(c));
    b.u8(0).u8(0);         // URL end, empty target
    b.u16(0).u16(0).u8(0); // end of the condition records
    return Tag(34, b.v);
}

ByteVec PlaceLinkButton(uint16_t id) {
    return Tag(26, SwfBytes().u8(0x06).u16(1).u16(id).identityMatrix().v);
}

TEST(SceneExport, LinkedScenesShareOneStageRectangle) {
    CSceneObj first;
    first.SetLink("u");
    CharSymbol* object = AddChar(first);
    CSceneObj second;
    second.SetLink("u");

    CSwfWriter w;
    CSwfShape stage = MakeStageRectangle(1.0, 1.0);
    first.WriteSwf(w, false, stage, {1.0, 1.0});
    EXPECT_EQ(stage.id, 1);
    EXPECT_EQ(object->GetExportState().depth, 2); // depth 1 is the link's
    second.WriteSwf(w, true, stage, {1.0, 1.0});

    EXPECT_EQ(Written(w),
              Concat({WhiteRectangleShape(1, 0, 0, 20, 20), LinkButton(2, 1, "u"),
                      PlaceLinkButton(2), PlaceNew(3, 2, 0, 0, 1), kShowFrame, RemoveObject(1),
                      RemoveObject(2), LinkButton(4, 1, "u"), PlaceLinkButton(4), kShowFrame}));
}

} // namespace
} // namespace tavro
