#include "model/CFillStyle.h"

#include <cstring>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CFillStyle, CRootObj, 1)

void CFillStyle::Serialize(Archive&) {}

void CFillStyle::CopyFrom(const CFillStyle&) {}

std::unique_ptr<CFillStyle> CFillStyle::Clone() const {
    return nullptr;
}

bool CFillStyle::IsEqual(const CFillStyle& other) const {
    return std::strcmp(GetRuntimeClass()->className, other.GetRuntimeClass()->className) == 0;
}

bool CFillStyle::IsTransparent() const {
    return false;
}

bool CFillStyle::WriteFillStyle(CSwfWriter&) const {
    return true;
}

int32_t CFillStyle::Reserved(int32_t) const {
    return 0;
}

} // namespace tavro
