#include "effects/CEffectFadeIn.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CSymbolObj.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectFadeIn, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectFadeIn", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CEffectFadeIn::CEffectFadeIn(CTavroObj* parent) : CEffectObj(parent) {
    SetNumFrames(10);
    SetHiddenRows(RowBit(TransformRow::Alpha));
    SetName(GetDefaultName());
}

CEffectFadeIn::~CEffectFadeIn() = default;

void CEffectFadeIn::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

void CEffectFadeIn::OnEffectStart(CSwfWriter&) {
    const CSymbolObj* owner = GetOwner();
    // A button at rest counts as on the display list: the fade takes over from its opacity.
    const bool onStage = owner != nullptr && (owner->IsPlaced() || owner->IsButtonOnStage());
    TransformSet& start = GetStartSet();
    start.alphaMode = effect_mode::kSetBoth;
    start.alpha = onStage ? owner->GetExportState().colorTransform.alphaMult * 0.390625 : 0.0;
    TransformSet& transform = GetTransformSet();
    transform.alphaMode = effect_mode::kSetBoth;
    transform.alpha = 100.0;
}

std::string CEffectFadeIn::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kFadeIn));
}

bool CEffectFadeIn::EditSettings(bool) {
    return true;
}

bool CEffectFadeIn::HasSettingsDialog() const {
    return false;
}

bool CEffectFadeIn::IsVisibleAtEnd() const {
    return true;
}

} // namespace tavro
