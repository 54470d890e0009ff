#include "effects/CActionPlay.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/SwfRecords.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionPlay, CActionObj, 1)

CActionPlay::CActionPlay(CTavroObj* parent) : CActionObj(parent, kNoPage) {}

void CActionPlay::Serialize(Archive& ar) {
    CActionObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

std::string CActionPlay::GetName() const {
    return std::string(LoadEffectString(string_id::kPlay));
}

bool CActionPlay::ExportAction(CSwfWriter& writer) const {
    WriteActionPlay(writer);
    return true;
}

uint32_t CActionPlay::GetRecordSize() const {
    return 1;
}

} // namespace tavro
