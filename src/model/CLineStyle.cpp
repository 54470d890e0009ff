#include "model/CLineStyle.h"

#include "base/Rounding.h"
#include "model/Archive.h"
#include "swf/CSwfWriter.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CLineStyle, CRootObj, 1)

void CLineStyle::Serialize(Archive& ar) {
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(style);
        ar.WriteDouble(width);
        ar.SerializeMember(color);
        ar.WriteByteArray(pattern);
    } else {
        style = ar.ReadInt();
        width = ar.ReadDouble();
        ar.SerializeMember(color);
        pattern = ar.ReadByteArray();
    }
}

std::unique_ptr<CLineStyle> CLineStyle::Clone() const {
    return std::make_unique<CLineStyle>(*this);
}

bool CLineStyle::IsEqual(const CLineStyle& other) const {
    return style == other.style && color == other.color && width == other.width &&
           pattern == other.pattern;
}

void CLineStyle::WriteLineStyle(CSwfWriter& writer) const {
    // The record holds an unsigned 16-bit width; anything outside is clamped to it.
    const int32_t w = std::clamp<int32_t>(RoundToInt(width), 0, 0xFFFF);
    writer.WriteUI16(static_cast<uint32_t>(w));
    writer.WriteRGB(color, false);
}

} // namespace tavro
