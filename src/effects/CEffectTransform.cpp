#include "effects/CEffectTransform.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectTransform, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectTransform", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CEffectTransform::CEffectTransform(CTavroObj* parent) : CEffectObj(parent) {
    SetNumFrames(10);
    SetName(GetDefaultName());
}

CEffectTransform::~CEffectTransform() = default;

void CEffectTransform::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

std::string CEffectTransform::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kTransform));
}

bool CEffectTransform::EditSettings(bool recordUndo) {
    return EditTransform(recordUndo);
}

} // namespace tavro
