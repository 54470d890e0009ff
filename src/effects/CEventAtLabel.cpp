#include "effects/CEventAtLabel.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEventAtLabel, CEventObj, 1)

CEventAtLabel::CEventAtLabel(CTavroObj* parent) : CEventObj(parent) {}

void CEventAtLabel::Serialize(Archive& ar) {
    CEventObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

int CEventAtLabel::GetPageId() const {
    return kPage;
}

bool CEventAtLabel::ExportEvent(CSwfWriter&, int) const {
    return true;
}

std::string CEventAtLabel::GetDisplayName() const {
    return std::string(LoadEffectString(string_id::kAtLabel));
}

} // namespace tavro
