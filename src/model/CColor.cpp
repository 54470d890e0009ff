#include "model/CColor.h"

#include "model/Archive.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CColor, CRootObj, 1)

CColor CColor::FromColorRef(uint32_t colorRef) {
    return CColor(static_cast<int32_t>(colorRef & 0xFF),
                  static_cast<int32_t>((colorRef >> 8) & 0xFF),
                  static_cast<int32_t>((colorRef >> 16) & 0xFF));
}

uint32_t CColor::ToColorRef() const {
    return (static_cast<uint32_t>(red) & 0xFF) | ((static_cast<uint32_t>(green) & 0xFF) << 8) |
           ((static_cast<uint32_t>(blue) & 0xFF) << 16);
}

void CColor::Serialize(Archive& ar) {
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(red);
        ar.WriteInt(green);
        ar.WriteInt(blue);
        ar.WriteInt(alpha);
    } else {
        red = ar.ReadInt();
        green = ar.ReadInt();
        blue = ar.ReadInt();
        alpha = ar.ReadInt();
    }
}

} // namespace tavro
