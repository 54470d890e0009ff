#include "effects/CEffectShow.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectShow, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectShow", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CEffectShow::CEffectShow(CTavroObj* parent) : CEffectObj(parent) {
    SetNumFrames(1);
    SetName(GetDefaultName());
}

CEffectShow::~CEffectShow() = default;

void CEffectShow::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

std::string CEffectShow::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kShow));
}

bool CEffectShow::ShowsNameInTimeline() const {
    return false;
}

bool CEffectShow::CanSetNumFrames() const {
    return false;
}

std::optional<CColor> CEffectShow::GetTimelineColor() const {
    return CColor(0, 255, 0);
}

bool CEffectShow::EditSettings(bool) {
    return true;
}

bool CEffectShow::HasSettingsDialog() const {
    return false;
}

bool CEffectShow::IsVisibleAtEnd() const {
    return true;
}

} // namespace tavro
