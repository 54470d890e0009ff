#include "effects/CEffectSlide.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CMatrix3.h"
#include "model/CSymbolObj.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectSlide, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectSlide",
     "CEffectObj",
     1,
     ArchiveLevelForm::Versioned,
     {{"slideOut", ArchiveFieldType::Int}, {"direction", ArchiveFieldType::Int}}}};

// The position just outside the stage (width w, height h, twips) in `direction` for an object
// whose box around its origin is `box`, keeping the home coordinate on the axis it does not
// leave by.
CDoublePoint OffStage(int32_t direction, const CDoubleRect& box, const CDoublePoint& home, double w,
                      double h) {
    CDoublePoint p = home;
    const bool left = direction == CEffectSlide::kLeft || direction == CEffectSlide::kTopLeft ||
                      direction == CEffectSlide::kBottomLeft;
    const bool right = direction == CEffectSlide::kRight || direction == CEffectSlide::kTopRight ||
                       direction == CEffectSlide::kBottomRight;
    const bool top = direction == CEffectSlide::kTop || direction == CEffectSlide::kTopLeft ||
                     direction == CEffectSlide::kTopRight;
    const bool bottom = direction == CEffectSlide::kBottom ||
                        direction == CEffectSlide::kBottomLeft ||
                        direction == CEffectSlide::kBottomRight;
    if (left)
        p.x = -box.x1;
    if (right)
        p.x = w - box.x0;
    if (top)
        p.y = -box.y1;
    if (bottom)
        p.y = h - box.y0;
    return p;
}

} // namespace

CEffectSlide::CEffectSlide(bool slideOut, int32_t direction, CTavroObj* parent)
    : CEffectObj(parent), slideOut_(slideOut ? 1 : 0), direction_(direction) {
    SetNumFrames(10);
    SetHiddenRows(RowBit(TransformRow::XPosition) | RowBit(TransformRow::YPosition));
    if (!slideOut) {
        GetStartSet().alphaMode = effect_mode::kSetBoth;
        GetStartSet().alpha = 100.0;
    }
    SetName(GetDefaultName());
}

CEffectSlide::~CEffectSlide() = default;

void CEffectSlide::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) < 1)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(slideOut_);
        ar.WriteInt(direction_);
    } else {
        slideOut_ = ar.ReadInt();
        direction_ = ar.ReadInt();
    }
}

void CEffectSlide::OnEffectStart(CSwfWriter&) {
    const CSymbolObj* owner = GetOwner();
    if (owner == nullptr)
        return;
    const SymbolExportState& state = owner->GetExportState();

    // The object as it stands off the stage: at its end state for a slide out, at its start
    // state for a slide in.
    CDoublePoint scale = GetStartScale();
    CDoublePoint angles = GetStartAngles();
    if (IsSlideOut()) {
        scale = GetEndScale(scale);
        angles = GetEndAngles(angles);
    }
    const CMatrix3 shape(0.0, 0.0, scale.x, scale.y, angles.x, angles.y);
    const CDoubleRect box = shape.TransformRect(owner->GetBounds());

    const double w = state.stageSize.x * 20.0;
    const double h = state.stageSize.y * 20.0;
    CDoublePoint home = state.matrix.GetTranslation();
    if (!IsSlideOut()) {
        // An object that is off the stage now (after a slide out, say) comes home to the
        // position stored in the document.
        const CDoubleRect placed(box.x0 + home.x, box.y0 + home.y, box.x1 + home.x,
                                 box.y1 + home.y);
        if (!placed.Intersects(CDoubleRect(0.0, 0.0, w, h)))
            home = owner->GetStagePosition() * 20.0;
    }
    const CDoublePoint off = OffStage(direction_, box, home, w, h);

    TransformSet& start = GetStartSet();
    TransformSet& transform = GetTransformSet();
    start.move = (IsSlideOut() ? home : off) / 20.0;
    transform.move = (IsSlideOut() ? off : home) / 20.0;
    start.moveMode = effect_mode::kSetBoth;
    transform.moveMode = effect_mode::kSetBoth;
}

std::string CEffectSlide::GetDefaultName() const {
    return SlideName(IsSlideOut(), direction_);
}

bool CEffectSlide::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

bool CEffectSlide::IsVisibleAtEnd() const {
    return CEffectObj::IsVisibleAtEnd() && !IsSlideOut();
}

} // namespace tavro
