// Display-list bookkeeping of symbols and the frame loop of scenes, against SWF bytes built by
// hand.
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "model/CSceneObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavro {
namespace {

using ByteVec = std::vector<uint8_t>;

// Bits most significant first, bytes little-endian; byte fields align.
struct Swf {
    ByteVec v;
    int used = 8; // bits used in the last byte
    Swf& bits(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used == 8)
                v.push_back(0), used = 0;
            v.back() |= static_cast<uint8_t>(((value >> i) & 1u) << (7 - used++));
        }
        return *this;
    }
    Swf& u8(uint32_t x) { return used = 8, v.push_back(static_cast<uint8_t>(x)), *this; }
    Swf& u16(uint32_t x) { return u8(x & 0xFF).u8(x >> 8); }
    Swf& move(int32_t tx, int32_t ty, int n) { // MATRIX with a translation of n-bit fields
        return used = 8, bits(0, 2).bits(n, 5).bits(tx, n).bits(ty, n);
    }
    Swf& noMove() { return move(0, 0, 1); }
    Swf& noColor() { return used = 8, bits(0, 6); }
    // CXFORMWITHALPHA of alpha multiplier 128: hasAdd 0, hasMult 1, 10 bits (for 256), then
    // red, green, blue and alpha multipliers.
    Swf& half() {
        used = 8;
        return bits(0b01, 2).bits(10, 4).bits(256, 10).bits(256, 10).bits(256, 10).bits(128, 10);
    }
};

ByteVec Tag(uint16_t code, const ByteVec& body) {
    ByteVec t = Swf().u16(code * 64u + static_cast<uint32_t>(body.size())).v;
    return t.insert(t.end(), body.begin(), body.end()), t;
}
ByteVec Cat(std::initializer_list<ByteVec> parts) {
    ByteVec all;
    for (const ByteVec& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
const ByteVec kShowFrame = {0x40, 0x00};
ByteVec Remove(uint16_t depth) {
    return Tag(28, Swf().u16(depth).v);
}
ByteVec Place(uint16_t id, uint16_t depth, int32_t tx = 0, int32_t ty = 0, int n = 1) {
    return Tag(26, Swf().u8(0x0E).u16(depth).u16(id).move(tx, ty, n).noColor().v);
}
// The tags after the 8 signature bytes, without the End tag and the trailing zero byte.
ByteVec Written(CSwfWriter& w) {
    w.Finish();
    return ByteVec(w.GetImageBytes().begin() + 8, w.GetImageBytes().end() - 3);
}

int SBits(int32_t v) { // two's complement width, sign bit included
    int n = 1;
    while (v < -(1 << (n - 1)) || v >= (1 << (n - 1)))
        ++n;
    return n;
}
// DefineShape: move-to (x0, y0) with white fill 1, four edges around to (x1, y1) and back.
ByteVec WhiteRect(uint16_t id, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Swf b;
    const int rn = std::max({SBits(x0), SBits(x1), SBits(y0), SBits(y1)});
    b.u16(id).bits(rn, 5).bits(x0, rn).bits(x1, rn).bits(y0, rn).bits(y1, rn);
    b.u8(1).u8(0).u8(255).u8(255).u8(255).u8(0).bits(0x10, 8); // white fill, no line, 1/0 bits
    const int mn = std::max(SBits(x0), SBits(y0));
    b.bits(0b000101, 6).bits(mn, 5).bits(x0, mn).bits(y0, mn).bits(1, 1);
    for (auto [d, vertical] : {std::pair{x1 - x0, 0}, {y1 - y0, 1}, {x0 - x1, 0}, {y0 - y1, 1}}) {
        const int n = std::max(SBits(d), 2);
        b.bits(0b11, 2).bits(n - 2, 4).bits(vertical, 2).bits(d, n);
    }
    return Tag(2, b.bits(0, 6).v);
}
Swf& ButtonRecord(Swf& b, uint8_t states, uint16_t id) {
    return b.u8(states).u16(id).u16(1).noMove().noColor();
}
// A symbol's DefineButton2 with one release-stop condition record.
ByteVec StopButton(uint16_t id, uint16_t displayId, uint16_t hitId) {
    Swf b;
    ButtonRecord(b.u16(id).u8(0).u16(19), 0x07, displayId); // offset: 2 + 8 + 8 + 1 bytes
    ButtonRecord(b, 0x08, hitId).u8(0);
    return Tag(34, b.u16(6).u16(8).u8(0x07).u8(0).u16(0).u16(0).u8(0).v);
}
// A linked scene's DefineButton2: hit state only, release opens `url` with no target.
ByteVec LinkButton(uint16_t id, uint16_t stageId, const std::string& url) {
    Swf b;
    ButtonRecord(b.u16(id).u8(0).u16(11), 0x08, stageId).u8(0); // offset: 2 + 8 + 1 bytes
    b.u16(0).u16(8).u8(0x83).u16(static_cast<uint32_t>(url.size()) + 2);
    for (char c : url)
        b.u8(static_cast<uint8_t>(c));
    return Tag(34, b.u8(0).u8(0).u16(0).u16(0).u8(0).v);
}
ByteVec PlaceLink(uint16_t id) {
    return Tag(26, Swf().u8(0x06).u16(1).u16(id).noMove().v);
}

// A symbol whose DefineCharacter takes an id and writes nothing.
class CharSymbol : public CSymbolObj {
public:
    CDoubleRect bounds{-20.0, -10.0, 20.0, 10.0};
    int depthCount = 1, depthOffset = 0;
    bool letters = false;
    bool DefineCharacter(CSwfWriter& w) override {
        if (GetExportState().characterId == 0)
            GetExportState().characterId = w.NextCharacterId();
        return true;
    }
    CDoubleRect GetBounds() const override { return bounds; }
    int GetDepthCount() const override { return depthCount; }
    int GetDepthOffset() const override { return depthOffset; }
    bool HasLetterEffects() const override { return letters; }
};

void AddStopEvent(CSymbolObj& s, std::unique_ptr<CEventObj> event) {
    event->AddChild(std::make_unique<CActionStop>(event.get()));
    s.InsertEvent(std::move(event));
}

TEST(SymbolExport, PlacedOnceThenMovedOnlyByWhatChangedThenRemoved) {
    CharSymbol s;
    s.SetStagePosition(10.0, 5.0);
    CSwfWriter w;
    s.BeginExport(w, 2);
    for (int f = 0; f < 3; ++f) // without effects, frames after 0 write nothing
        s.WriteFrame(w, f);
    CColorTransform half;
    half.alphaMult = 128;
    const CMatrix3 m(200.0, 140.0, 1.0, 1.0, 0.0, 90.0);
    s.PlaceOrMove(w, m, CColorTransform()); // matrix only
    s.PlaceOrMove(w, m, half);              // colour only
    s.PlaceOrMove(w, m, half);              // nothing
    s.RemoveFromStage(w);
    s.RemoveFromStage(w); // nothing
    s.PlaceOrMove(w, m, half);
    // A stage depth of 0 with the placed flag left behind is a new placement, not a move.
    s.GetExportState().stageDepth = 0;
    s.PlaceOrMove(w, CMatrix3(), CColorTransform());

    // The stage position (200, 100) twips is the matrix 0x12 0xC8 0x32 0x00.
    EXPECT_EQ(Written(w),
              Cat({{0x8A, 0x06, 0x0E, 0x02, 0x00, 0x01, 0x00, 0x12, 0xC8, 0x32, 0x00, 0x00},
                   Tag(26, Swf().u8(0x05).u16(2).move(200, 140, 9).v),
                   Tag(26, Swf().u8(0x09).u16(2).half().v),
                   Remove(2),
                   Tag(26, Swf().u8(0x0E).u16(2).u16(1).move(200, 140, 9).half().v),
                   Place(1, 2)}));

    CSymbolObj plain; // without a character nothing is placed
    CSwfWriter w2;
    plain.BeginExport(w2, 1);
    plain.WriteFrame(w2, 0);
    EXPECT_TRUE(Written(w2).empty());
}

TEST(SymbolExport, ObjectWithActionsIsPlacedOnceAsAButton) {
    CharSymbol s;
    s.InsertEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kPress)); // no action
    EXPECT_FALSE(s.HasEventActions());
    AddStopEvent(s, std::make_unique<CEventObj>(nullptr, CEventObj::kRelease));
    CSwfWriter w;
    s.BeginExport(w, 2);
    s.WriteFrame(w, 0);
    s.Show(w, CMatrix3(300.0, 0.0, 1.0, 1.0, 0.0, 90.0), CColorTransform()); // stays put
    s.RemoveFromStage(w);
    s.RemoveButton(w); // gone already
    EXPECT_EQ(Written(w),
              Cat({WhiteRect(2, -20, -10, 20, 10), StopButton(3, 1, 2), Place(3, 2), Remove(2)}));
}

TEST(SymbolExport, LetterButtonShowsItsSpriteAndKeepsItsOuterState) {
    CharSymbol s;
    s.letters = true;
    CSwfWriter w;
    s.BeginExport(w, 3);
    s.WriteFrame(w, 0); // character 1 at depth 3
    AddStopEvent(s, std::make_unique<CEventObj>(nullptr, CEventObj::kRelease));
    s.DefineButton(w); // sprite 2 (the object placed anew at depth 1), hit 3, button 4
    const ByteVec sprite = Tag(39, Cat({Swf().u16(2).u16(1).v, Place(1, 1), kShowFrame, {0, 0}}));
    EXPECT_EQ(Written(w),
              Cat({Place(1, 3), sprite, WhiteRect(3, -20, -10, 20, 10), StopButton(4, 2, 3)}));
    const SymbolExportState& st = s.GetExportState();
    EXPECT_EQ(std::vector<int>({st.spriteId, st.buttonId, st.depth, st.stageDepth, st.placed}),
              std::vector<int>({2, 4, 3, 3, 1}));
}

CharSymbol* AddChar(CSceneObj& scene) {
    auto child = std::make_unique<CharSymbol>();
    child->SetParent(&scene);
    return static_cast<CharSymbol*>(scene.GetChildAt(scene.AddChild(std::move(child))));
}

TEST(SceneExport, DepthsFromTheTailFramesEventsAndRemoval) {
    CSceneObj scene;
    CSwfWriter empty;
    CSwfShape stage = MakeStageRectangle(100.0, 100.0);
    scene.WriteSwf(empty, false, stage, {100.0, 100.0});
    EXPECT_EQ(Written(empty), kShowFrame); // an empty scene still writes one frame

    CharSymbol* front = AddChar(scene);
    AddChar(scene)->depthCount = 3;
    AddChar(scene);
    front->depthOffset = 2;
    AddStopEvent(scene, std::make_unique<CEventAtFrame>(nullptr, 1));
    for (bool last : {true, false}) {
        CSwfWriter w;
        scene.WriteSwf(w, last, stage, {100.0, 100.0});
        // Tail first: depths 1, 2 (needs 3), then 5 + offset 2; ids in the same order.
        ByteVec expected = Cat(
            {Place(1, 1), Place(2, 2), Place(3, 7), kShowFrame, Tag(12, {0x07, 0x00}), kShowFrame});
        if (!last) // an earlier scene takes its objects off, head first
            expected = Cat({expected, Remove(7), Remove(2), Remove(1)});
        EXPECT_EQ(Written(w), expected) << "last scene: " << last;
    }
    EXPECT_EQ(stage.id, -1); // no link: no stage rectangle
}

TEST(SceneExport, LinkedScenesShareOneStageRectangle) {
    CSceneObj first, second;
    first.SetLink("u");
    second.SetLink("u");
    AddChar(first);
    CSwfWriter w;
    CSwfShape stage = MakeStageRectangle(1.0, 1.0);
    first.WriteSwf(w, false, stage, {1.0, 1.0});
    second.WriteSwf(w, true, stage, {1.0, 1.0});
    EXPECT_EQ(Written(w), Cat({WhiteRect(1, 0, 0, 20, 20), LinkButton(2, 1, "u"), PlaceLink(2),
                               Place(3, 2), kShowFrame, Remove(1), Remove(2), LinkButton(4, 1, "u"),
                               PlaceLink(4), kShowFrame}));
}

} // namespace
} // namespace tavro
