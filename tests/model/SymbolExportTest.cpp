// Display-list bookkeeping of symbols and the frame loop of scenes, checked against SWF bytes
// built by hand.
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"
#include "model/CSymbolObj.h"
#include "swf/CSwfWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
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

} // namespace
} // namespace tavro
