// A displayable object of a movie: a position on the stage, a timeline of effects and a list of
// events, and the display-list bookkeeping with which it writes itself into an SWF export one
// frame at a time (defining its character once, then placing, moving and removing it, wrapped
// in a button when its events hold actions). Text objects and scenes derive from it.
//
// Effects and events live in two embedded containers; their parent is the symbol itself, not
// the container. What depends on the effects themselves goes through EffectTimeline.h.
#pragma once

#include "base/CDoublePoint.h"
#include "base/CDoubleRect.h"
#include "base/IntRect.h"
#include "model/CMatrix3.h"
#include "model/CTavroObj.h"
#include "model/SymbolExportState.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavro {

class CColorTransform;
class CEventObj;
class CSwfWriter;
class DrawContext;
class DrawMask;

class CSymbolObj : public CTavroObj {
    TAVRO_DECLARE_CLASS(CSymbolObj)
public:
    explicit CSymbolObj(CTavroObj* parent = nullptr);
    ~CSymbolObj() override;

    void Serialize(Archive& ar) override;

    // Editor drawing. A plain symbol draws nothing.
    virtual void Draw(DrawContext& dc, const IntRect& clip, bool selected);

    // Export. BeginExport resets the export state for an export in which the object owns the
    // depths from `depth` on; WriteFrame writes frame `frame` of the object's own timeline.
    virtual void BeginExport(CSwfWriter& writer, int depth);
    virtual void WriteFrame(CSwfWriter& writer, int frame);
    // Defines the object's character when it still needs one. A plain symbol has none.
    virtual bool DefineCharacter(CSwfWriter& writer);
    virtual bool HasCharacter() const;
    virtual bool IsPlaced() const;
    virtual bool IsButtonOnStage() const;
    virtual void SaveExportState();
    virtual void RestoreExportState();
    // Places the character (first time) or moves it with only what changed since the last
    // written values; nothing when nothing changed.
    virtual void PlaceOrMove(CSwfWriter& writer, const CMatrix3& matrix,
                             const CColorTransform& cxform);
    virtual void RemoveFromStage(CSwfWriter& writer);
    // With event actions: defines and places the button once, later calls write nothing.
    // Otherwise PlaceOrMove.
    virtual void Show(CSwfWriter& writer, const CMatrix3& matrix, const CColorTransform& cxform);
    virtual void RemoveButton(CSwfWriter& writer);
    virtual void DefineButton(CSwfWriter& writer);
    // A one-frame sprite holding the object at depth 1; its id becomes the sprite id.
    virtual void DefineSprite(CSwfWriter& writer);
    // At least one event holds at least one action.
    virtual bool HasEventActions() const;
    virtual int GetOwnDepthCount() const;
    virtual int GetDepthOffset() const;
    virtual int GetDepthCount() const;
    virtual int GetFrameCount() const;
    // Bounds in twips around the object's origin; all zero for a plain symbol.
    virtual CDoubleRect GetBounds() const;
    // The editor rectangle in pixels; all zero for a plain symbol.
    virtual IntRect GetScreenRect() const;
    // Inside GetScreenRect (left and top edges included, right and bottom excluded).
    virtual bool HitTest(int x, int y) const;
    virtual bool HitTestMask(int x, int y) const;
    virtual bool HasLetterEffects() const;
    // Placed (or its button is), not fully transparent, and inside the stage.
    virtual bool IsVisibleOnStage() const;
    // The bounds under the last written matrix meet the stage rectangle of the export.
    virtual bool IntersectsStage() const;
    virtual void ResetLetters();

    // Name and selection empty, reserved value 0, no hit-test mask, export-state ids, flags and
    // depths 0. The matrix, effects and events stay.
    void ResetSymbol();
    // Name, parent pointer and matrix (not effects, events or export state).
    void CopySymbol(const CSymbolObj& other);
    // IsEqualBase and matrices equal within 1e-10.
    bool IsEqualSymbol(const CSymbolObj& other) const;

    // The position on the stage in pixels: the translation of the editor matrix.
    CDoublePoint GetStagePosition() const { return matrix_.GetTranslation(); }
    void SetStagePosition(double x, double y) { matrix_.SetTranslation(x, y); }
    const CMatrix3& GetMatrix() const { return matrix_; }

    // Effects, in timeline order.
    CTavroObj& GetEffectList() { return effects_; }
    const CTavroObj& GetEffectList() const { return effects_; }
    bool HasEffects() const { return effects_.GetChildCount() > 0; }
    CTavroObj* GetSelectedEffect() const { return effects_.GetSelectedChild(); }
    // Takes the effect, makes this symbol its parent and puts it in timeline order.
    Position InsertEffect(std::unique_ptr<CTavroObj> effect);
    Position ReinsertEffectAt(Position pos);
    void NormaliseTimeline();

    // Events, sorted by frame; events with a negative frame (button events) at the end.
    CTavroObj& GetEventList() { return events_; }
    const CTavroObj& GetEventList() const { return events_; }
    // Takes the event, makes this symbol its parent and inserts it in frame order.
    Position InsertEvent(std::unique_ptr<CEventObj> event);
    // Unlinks the event at `pos` and inserts it again (after its frame changed); an event with
    // a negative frame stays where it is. Returns its position.
    Position ReinsertEvent(Position pos);
    // ReinsertEvent of the selected event, which stays selected.
    Position ReinsertSelectedEvent();

    // An in-memory copy of the effect list, for a page that edits the timeline and may cancel.
    void SaveTimelineSnapshot();
    // Replaces the effect list by the copy last saved. False (nothing changes) when none was.
    bool RestoreTimelineSnapshot();
    bool HasTimelineSnapshot() const { return !timelineSnapshot_.empty(); }

    // Export bookkeeping, also used by the timeline driver and derived objects.
    SymbolExportState& GetExportState() { return exportState_; }
    const SymbolExportState& GetExportState() const { return exportState_; }
    // The movie's stage in pixels, for IsVisibleOnStage / IntersectsStage; kept across
    // BeginExport.
    void SetExportStageSize(const CDoublePoint& sizePixels) { exportState_.stageSize = sizePixels; }
    // After the last frame of an effect: something of the object on the display list now stands
    // at its assigned depth.
    void SettleStageDepth();

    // The pixel mask for exact hit tests, built by objects that draw ink (none for a plain
    // symbol).
    DrawMask* GetHitTestMask() const { return hitTestMask_.get(); }
    void SetHitTestMask(std::unique_ptr<DrawMask> mask);

protected:
    // Copies what CopySymbol copies; effects and events start empty.
    CSymbolObj(const CSymbolObj& other);

private:
    CMatrix3 matrix_; // editor placement; only the translation (pixels) is used
    int32_t reserved_ = 0;
    std::unique_ptr<DrawMask> hitTestMask_;
    std::vector<uint8_t> timelineSnapshot_;
    CTavroObj events_;
    CTavroObj effects_;
    SymbolExportState exportState_;
    SymbolExportState savedExportState_;
};

} // namespace tavro
