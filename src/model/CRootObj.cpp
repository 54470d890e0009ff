#include "model/CRootObj.h"

namespace tavro {

const ClassInfo CRootObj::classInfo{"CRootObj", ClassInfo::kNoSchema, nullptr, nullptr};

const ClassInfo* CRootObj::GetRuntimeClass() const {
    return &classInfo;
}

CRootObj::~CRootObj() = default;

void CRootObj::Serialize(Archive&) {}

bool CRootObj::IsKindOf(const ClassInfo* cls) const {
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

} // namespace tavro
