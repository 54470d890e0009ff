#include "effects/CTextEffectObj.h"

#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CTextEffectObj, CEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CTextEffectObj", "CEffectObj", 1, ArchiveLevelForm::VersionIgnored, {}}};

} // namespace

CTextEffectObj::CTextEffectObj(CTavroObj* parent) : CEffectObj(parent) {}

CTextEffectObj::~CTextEffectObj() = default;

void CTextEffectObj::Serialize(Archive& ar) {
    CEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

void CTextEffectObj::OnEffectStart(CSwfWriter&) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return;
    for (TextLetter& letter : text->GetLetters()) {
        letter.matrix = letter.restMatrix;
        letter.colorTransform = letter.restColorTransform;
    }
}

CTextObj* CTextEffectObj::GetTextOwner() const {
    return DynamicCast<CTextObj>(GetParent());
}

} // namespace tavro
