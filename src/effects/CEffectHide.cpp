#include "effects/CEffectHide.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CSymbolObj.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectHide, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectHide", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CEffectHide::CEffectHide(CTavroObj* parent) : CEffectObj(parent) {
    SetNumFrames(1);
    SetName(GetDefaultName());
}

CEffectHide::~CEffectHide() = default;

void CEffectHide::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

bool CEffectHide::ExportFrame(CSwfWriter& writer, int, const CMatrix3&, const CColorTransform&) {
    if (CSymbolObj* owner = GetOwner())
        owner->RemoveFromStage(writer);
    return true;
}

std::string CEffectHide::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kHide));
}

bool CEffectHide::ShowsNameInTimeline() const {
    return false;
}

bool CEffectHide::CanSetNumFrames() const {
    return false;
}

std::optional<CColor> CEffectHide::GetTimelineColor() const {
    return CColor(255, 0, 0);
}

bool CEffectHide::EditSettings(bool) {
    return true;
}

bool CEffectHide::HasSettingsDialog() const {
    return false;
}

bool CEffectHide::IsVisibleAtEnd() const {
    return false;
}

} // namespace tavro
