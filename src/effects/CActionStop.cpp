#include "effects/CActionStop.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/SwfRecords.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionStop, CActionObj, 1)

CActionStop::CActionStop(CTavroObj* parent) : CActionObj(parent, kNoPage) {}

void CActionStop::Serialize(Archive& ar) {
    CActionObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

std::string CActionStop::GetName() const {
    return std::string(LoadEffectString(string_id::kStop));
}

bool CActionStop::ExportAction(CSwfWriter& writer) const {
    WriteActionStop(writer);
    return true;
}

uint32_t CActionStop::GetRecordSize() const {
    return 1;
}

} // namespace tavro
