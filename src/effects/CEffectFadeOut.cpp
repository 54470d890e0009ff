#include "effects/CEffectFadeOut.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CSymbolObj.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectFadeOut, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectFadeOut", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CEffectFadeOut::CEffectFadeOut(CTavroObj* parent) : CEffectObj(parent) {
    SetNumFrames(10);
    SetHiddenRows(RowBit(TransformRow::Alpha));
    SetName(GetDefaultName());
}

CEffectFadeOut::~CEffectFadeOut() = default;

void CEffectFadeOut::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

void CEffectFadeOut::OnEffectStart(CSwfWriter&) {
    const CSymbolObj* owner = GetOwner();
    // A button at rest counts as on the display list: the fade takes over from its opacity.
    const bool onStage = owner != nullptr && (owner->IsPlaced() || owner->IsButtonOnStage());
    TransformSet& start = GetStartSet();
    start.alphaMode = effect_mode::kSetBoth;
    start.alpha = onStage ? owner->GetExportState().colorTransform.alphaMult * 0.390625 : 100.0;
    TransformSet& transform = GetTransformSet();
    transform.alphaMode = effect_mode::kSetBoth;
    transform.alpha = 0.0;
}

std::string CEffectFadeOut::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kFadeOut));
}

bool CEffectFadeOut::EditSettings(bool) {
    return true;
}

bool CEffectFadeOut::HasSettingsDialog() const {
    return false;
}

bool CEffectFadeOut::IsVisibleAtEnd() const {
    return false;
}

} // namespace tavro
