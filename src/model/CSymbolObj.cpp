#include "model/CSymbolObj.h"

#include "base/CColorTransform.h"
#include "effects/CEventObj.h"
#include "model/Archive.h"
#include "model/DrawContext.h"
#include "model/EffectTimeline.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfRecords.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CSymbolObj, CTavroObj, 1)

namespace {

// PlaceObject2 fields are 16 bits wide.
uint16_t Id16(int32_t id) {
    return static_cast<uint16_t>(id);
}

} // namespace

CSymbolObj::CSymbolObj(CTavroObj* parent) : CTavroObj(parent), events_(this), effects_(this) {}

CSymbolObj::CSymbolObj(const CSymbolObj& other)
    : CTavroObj(other), matrix_(other.matrix_), events_(this), effects_(this) {}

CSymbolObj::~CSymbolObj() = default;

void CSymbolObj::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    ar.SerializeMember(matrix_);
    ar.SerializeMember(effects_);
    ar.SerializeMember(events_);
    if (ar.IsLoading()) {
        effects_.SetParentOfChildren(this);
        events_.SetParentOfChildren(this);
    }
}

void CSymbolObj::Draw(DrawContext&, const IntRect&, bool) {}

void CSymbolObj::BeginExport(CSwfWriter&, int depth) {
    SymbolExportState& s = exportState_;
    s.ZeroIntegers();
    s.depth = depth;
    const CDoublePoint position = GetStagePosition();
    s.matrix = CMatrix3();
    s.matrix.SetTranslation(position.x * 20.0, position.y * 20.0);
    s.colorTransform = CColorTransform();
    s.lastMatrix = s.matrix;
    s.lastColorTransform = s.colorTransform;
}

void CSymbolObj::WriteFrame(CSwfWriter& writer, int frame) {
    if (HasEffects()) {
        EffectTimeline::WriteFrame(*this, writer, frame);
        return;
    }
    if (frame != 0)
        return;
    DefineCharacter(writer);
    // Copies: Show may overwrite the export state it is given.
    const CMatrix3 matrix = exportState_.matrix;
    const CColorTransform cxform = exportState_.colorTransform;
    Show(writer, matrix, cxform);
}

bool CSymbolObj::DefineCharacter(CSwfWriter&) {
    return true;
}

bool CSymbolObj::HasCharacter() const {
    return exportState_.characterId > 0;
}

bool CSymbolObj::IsPlaced() const {
    return exportState_.characterId > 0 && exportState_.placed;
}

bool CSymbolObj::IsButtonOnStage() const {
    return exportState_.buttonPlaced && exportState_.buttonId >= 1 && exportState_.stageDepth > 0;
}

void CSymbolObj::SaveExportState() {
    savedExportState_ = exportState_;
}

void CSymbolObj::RestoreExportState() {
    exportState_ = savedExportState_;
}

void CSymbolObj::PlaceOrMove(CSwfWriter& writer, const CMatrix3& matrix,
                             const CColorTransform& cxform) {
    SymbolExportState& s = exportState_;
    // Nothing stands at depth 0, so a zero stage depth always means a new placement, even when
    // a removal left the placed flag behind.
    if (s.stageDepth == 0) {
        if (s.characterId <= 0)
            return; // no character to place (a plain symbol)
        s.stageDepth = s.depth;
        writer.WritePlaceObject2(Id16(s.characterId), &matrix, &cxform, Id16(s.depth), false);
        s.placed = true;
    } else {
        const bool matrixChanged = !matrix.IsEqual(s.lastMatrix);
        const bool cxformChanged = cxform != s.lastColorTransform;
        if (matrixChanged || cxformChanged)
            writer.WritePlaceObject2(0, matrixChanged ? &matrix : nullptr,
                                     cxformChanged ? &cxform : nullptr, Id16(s.stageDepth), true);
    }
    s.lastMatrix = matrix;
    s.lastColorTransform = cxform;
}

void CSymbolObj::RemoveFromStage(CSwfWriter& writer) {
    if (IsButtonOnStage()) {
        RemoveButton(writer);
        return;
    }
    SymbolExportState& s = exportState_;
    if (s.placed && s.stageDepth != 0) {
        writer.WriteRemoveObject2(Id16(s.stageDepth));
        s.placed = false;
        s.stageDepth = 0;
    }
}

void CSymbolObj::Show(CSwfWriter& writer, const CMatrix3& matrix, const CColorTransform& cxform) {
    if (!HasEventActions()) {
        PlaceOrMove(writer, matrix, cxform);
        return;
    }
    SymbolExportState& s = exportState_;
    if (s.buttonPlaced)
        return; // a button keeps its first placement
    DefineButton(writer);
    writer.WritePlaceObject2(Id16(s.buttonId), &matrix, &cxform, Id16(s.depth), false);
    s.stageDepth = s.depth;
    s.buttonPlaced = true;
    s.lastMatrix = matrix;
    s.lastColorTransform = cxform;
}

void CSymbolObj::RemoveButton(CSwfWriter& writer) {
    if (!IsButtonOnStage())
        return;
    writer.WriteRemoveObject2(Id16(exportState_.stageDepth));
    exportState_.stageDepth = 0;
    exportState_.buttonPlaced = false;
}

void CSymbolObj::DefineButton(CSwfWriter& writer) {
    const bool letters = HasLetterEffects();
    if (letters && exportState_.spriteId < 1)
        DefineSprite(writer);

    // The hit area: a white rectangle around the object's bounds.
    CSwfShape hitArea = CSwfShape::FilledRectangle(GetBounds(), CColor(255, 255, 255));
    const uint16_t hitId = hitArea.Define(writer);

    const uint16_t buttonId = writer.NextCharacterId();
    exportState_.buttonId = buttonId;
    const int32_t displayId = letters ? exportState_.spriteId : exportState_.characterId;
    const ButtonCharacter states[] = {
        {kButtonUp | kButtonOver | kButtonDown, Id16(displayId)},
        {kButtonHitTest, hitId},
    };
    BeginDefineButton2(writer, buttonId, false, states);
    for (const auto& child : events_.GetChildList()) {
        if (const auto* event = DynamicCast<CEventObj>(child.get()))
            event->ExportEvent(writer, CEventObj::kButtonFrame);
    }
    EndDefineButton2(writer);
}

void CSymbolObj::DefineSprite(CSwfWriter& writer) {
    SaveExportState();
    // Inside the sprite the object stands alone at depth 1 and is placed anew.
    exportState_.depth = 1;
    exportState_.stageDepth = 0;
    exportState_.placed = false;
    const SpriteTag sprite = BeginDefineSprite(writer);
    exportState_.spriteId = sprite.id;
    PlaceOrMove(writer, CMatrix3(), CColorTransform());
    EndDefineSprite(writer, sprite);
    RestoreExportState();
    exportState_.spriteId = sprite.id;
}

bool CSymbolObj::HasEventActions() const {
    // Only events that really write actions count, so a button is never defined around an
    // event whose children are not actions.
    for (const auto& child : events_.GetChildList()) {
        const auto* event = DynamicCast<CEventObj>(child.get());
        if (event != nullptr && event->HasActions())
            return true;
    }
    return false;
}

int CSymbolObj::GetOwnDepthCount() const {
    return 1;
}

int CSymbolObj::GetDepthOffset() const {
    return HasEffects() ? EffectTimeline::GetDepthOffset(*this) : 0;
}

int CSymbolObj::GetDepthCount() const {
    return HasEffects() ? EffectTimeline::GetDepthCount(*this) : GetOwnDepthCount();
}

int CSymbolObj::GetFrameCount() const {
    return HasEffects() ? EffectTimeline::GetFrameCount(*this) : 0;
}

CDoubleRect CSymbolObj::GetBounds() const {
    return {};
}

IntRect CSymbolObj::GetScreenRect() const {
    return {};
}

bool CSymbolObj::HitTest(int x, int y) const {
    const IntRect r = GetScreenRect();
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

bool CSymbolObj::HitTestMask(int, int) const {
    return false;
}

bool CSymbolObj::HasLetterEffects() const {
    return false;
}

bool CSymbolObj::IsVisibleOnStage() const {
    if (!IsPlaced() && !IsButtonOnStage())
        return false;
    if (exportState_.lastColorTransform.alphaMult < 1)
        return false;
    return IntersectsStage();
}

bool CSymbolObj::IntersectsStage() const {
    const CDoubleRect stage(0.0, 0.0, exportState_.stageSize.x * 20.0,
                            exportState_.stageSize.y * 20.0);
    return exportState_.lastMatrix.TransformRect(GetBounds()).Intersects(stage);
}

void CSymbolObj::ResetLetters() {}

void CSymbolObj::ResetSymbol() {
    ResetBase();
    reserved_ = 0;
    hitTestMask_.reset();
    exportState_.ZeroIntegers();
}

void CSymbolObj::CopySymbol(const CSymbolObj& other) {
    CopyBase(other);
    matrix_ = other.matrix_;
}

bool CSymbolObj::IsEqualSymbol(const CSymbolObj& other) const {
    return IsEqualBase(other) && matrix_.IsEqual(other.matrix_);
}

CTavroObj::Position CSymbolObj::InsertEffect(std::unique_ptr<CTavroObj> effect) {
    if (!effect)
        return {};
    effect->SetParent(this);
    return EffectTimeline::InsertEffect(*this, std::move(effect));
}

CTavroObj::Position CSymbolObj::ReinsertEffectAt(Position pos) {
    return EffectTimeline::ReinsertEffectAt(*this, pos);
}

void CSymbolObj::NormaliseTimeline() {
    EffectTimeline::NormaliseTimeline(*this);
}

namespace {

// The frame an event of an event list sorts by; children that are not events sort like button
// events, at the end.
int EventFrame(const CTavroObj* child) {
    const auto* event = DynamicCast<CEventObj>(child);
    return event != nullptr ? event->GetFrame() : -1;
}

} // namespace

CTavroObj::Position CSymbolObj::InsertEvent(std::unique_ptr<CEventObj> event) {
    if (!event)
        return {};
    event->SetParent(this);
    const int frame = event->GetFrame();
    if (frame < 0)
        return events_.AddChild(std::move(event));
    // Before the first event at the same or a later frame, and before the events without a
    // frame, which stay at the end.
    for (Position pos = events_.GetHeadPosition(); pos; pos = events_.NextPosition(pos)) {
        const int other = EventFrame(events_.GetChildAt(pos));
        if (other < 0 || other >= frame)
            return events_.InsertChildBefore(pos, std::move(event));
    }
    return events_.AddChild(std::move(event));
}

CTavroObj::Position CSymbolObj::ReinsertEvent(Position pos) {
    CTavroObj* child = events_.GetChildAt(pos);
    if (child == nullptr || EventFrame(child) < 0)
        return pos;
    if (DynamicCast<CEventObj>(child) == nullptr)
        return pos;
    std::unique_ptr<CTavroObj> owned = events_.RemoveChildAt(pos);
    return InsertEvent(std::unique_ptr<CEventObj>(static_cast<CEventObj*>(owned.release())));
}

CTavroObj::Position CSymbolObj::ReinsertSelectedEvent() {
    const Position pos = ReinsertEvent(events_.GetSelectedPosition());
    events_.SelectPosition(pos);
    return pos;
}

void CSymbolObj::SaveTimelineSnapshot() {
    Archive ar;
    effects_.Serialize(ar);
    ar.Close();
    timelineSnapshot_ = ar.TakeBuffer();
}

bool CSymbolObj::RestoreTimelineSnapshot() {
    if (timelineSnapshot_.empty())
        return false;
    // Read into a fresh container first, so that the current effects are replaced, never added
    // to, and stay as they are should reading fail.
    CTavroObj loaded;
    {
        Archive ar{std::span<const uint8_t>(timelineSnapshot_)};
        loaded.Serialize(ar);
    }
    effects_.DeleteAllChildren();
    effects_.SetName(loaded.GetName());
    const std::vector<int> selection = loaded.GetSelectionIndexes();
    for (auto& child : loaded.GetChildList()) {
        child->SetParent(this);
        effects_.AddChild(std::move(child));
    }
    loaded.DeleteAllChildren(); // only emptied slots are left
    effects_.SetSelectionIndexes(selection);
    return true;
}

void CSymbolObj::SettleStageDepth() {
    if (exportState_.stageDepth != 0 && IsPlaced())
        exportState_.stageDepth = exportState_.depth;
}

void CSymbolObj::SetHitTestMask(std::unique_ptr<DrawMask> mask) {
    hitTestMask_ = std::move(mask);
}

} // namespace tavro
