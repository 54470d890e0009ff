#include "effects/CActionObj.h"

#include "model/Archive.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionObj, CTavroObj, 1)

CActionObj::CActionObj(CTavroObj* parent) : CActionObj(parent, kNoPage) {}

CActionObj::CActionObj(CTavroObj* parent, int page) : CTavroObj(parent), page_(page) {}

void CActionObj::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

std::string CActionObj::GetName() const {
    return "Unknown Action";
}

bool CActionObj::ExportAction(CSwfWriter&) const {
    return true;
}

uint32_t CActionObj::GetRecordSize() const {
    return 0;
}

} // namespace tavro
