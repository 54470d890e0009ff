// One scene of a movie: a symbol whose children are the scene's displayable objects, with an
// optional link opened when the stage is clicked during the scene. Child order is stacking
// order: the head is drawn in front, the tail at the back. The scene assigns its objects their
// depths and drives the frame loop that exports them.
#pragma once

#include "model/CSymbolObj.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavro {

class CSwfShape;

class CSceneObj : public CSymbolObj {
    TAVRO_DECLARE_CLASS(CSceneObj)
public:
    // A scene writes at most this many frames: the frame count of an SWF movie is 16 bits, and
    // an event or effect far out in a damaged file must not make an export loop for ever.
    static constexpr int kMaxFrameCount = 65535;

    static constexpr int32_t kDefaultReservedA = 0;
    static constexpr int32_t kDefaultReservedB = 200;
    static constexpr int32_t kDefaultReservedC = 0;

    explicit CSceneObj(CTavroObj* parent = nullptr);
    // Copies what CopyScene copies; children, effects and events start empty.
    CSceneObj(const CSceneObj& other);
    ~CSceneObj() override;

    void Serialize(Archive& ar) override;

    // The largest frame count of the children and frame + 1 of the scene's events; 0 for an
    // empty scene without events. At most kMaxFrameCount.
    int GetFrameCount() const override;

    // CopySymbol, then link, target frame and reserved B.
    void CopyScene(const CSceneObj& other);
    // IsEqualSymbol and equal link, target frame and reserved B.
    bool IsEqualScene(const CSceneObj& other) const;

    const std::string& GetLink() const { return link_; }
    void SetLink(std::string_view link) { link_.assign(link); }
    const std::string& GetTargetFrame() const { return targetFrame_; }
    void SetTargetFrame(std::string_view target) { targetFrame_.assign(target); }

    // Kept, saved and (B) copied and compared; no other use.
    int32_t GetReservedA() const { return reservedA_; }
    int32_t GetReservedB() const { return reservedB_; }
    int32_t GetReservedC() const { return reservedC_; }
    void SetReservedA(int32_t v) { reservedA_ = v; }
    void SetReservedB(int32_t v) { reservedB_ = v; }
    void SetReservedC(int32_t v) { reservedC_ = v; }

    // The child displayable object at pixel (x, y): the only child whose HitTest is true, or,
    // when several are, the first of them from the head whose HitTestMask is true; else null.
    CSymbolObj* FindChildAt(int x, int y);
    // Called with the newly selected child, or null when the selection was cleared.
    using SelectionNotify = std::function<void(CSymbolObj* selected)>;
    // Selects what FindChildAt finds (or nothing) and tells `notify`, when given.
    CSymbolObj* SelectChildAt(int x, int y, const SelectionNotify& notify = {});
    // Draws the children from the tail (back) to the head (front), each whose screen rectangle
    // meets `clip`, marking the selected child.
    void DrawChildren(DrawContext& dc, const IntRect& clip);

    // Writes the scene's part of an SWF export: the link button, depth assignment, every frame,
    // and (unless it is the last scene) the removal of what it placed. `stageRectangle` is the
    // export's stage rectangle shape, written the first time a scene needs it; `stageSize` is
    // the movie's size in pixels.
    void WriteSwf(CSwfWriter& writer, bool lastScene, CSwfShape& stageRectangle,
                  const CDoublePoint& stageSize);

private:
    std::string link_;
    std::string targetFrame_;
    int32_t reservedA_ = kDefaultReservedA;
    int32_t reservedB_ = kDefaultReservedB;
    int32_t reservedC_ = kDefaultReservedC;
};

} // namespace tavro
