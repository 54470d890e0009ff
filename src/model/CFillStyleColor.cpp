#include "model/CFillStyleColor.h"

#include "model/Archive.h"
#include "swf/CSwfWriter.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CFillStyleColor, CFillStyle, 1)

void CFillStyleColor::Serialize(Archive& ar) {
    CFillStyle::Serialize(ar);
    // The colour does not depend on this level's version: it is always there.
    ar.SerializeVersion(classInfo);
    ar.SerializeMember(color);
}

std::unique_ptr<CFillStyle> CFillStyleColor::Clone() const {
    return std::make_unique<CFillStyleColor>(color);
}

bool CFillStyleColor::IsEqual(const CFillStyle& other) const {
    if (!CFillStyle::IsEqual(other))
        return false;
    // Same class name: `other` is a colour fill (or a class registered under that same name).
    const auto* o = DynamicCast<CFillStyleColor>(&other);
    return o != nullptr && o->color == color;
}

bool CFillStyleColor::IsTransparent() const {
    return color.alpha == 0;
}

bool CFillStyleColor::WriteFillStyle(CSwfWriter& writer) const {
    writer.WriteUI8(0x00);
    writer.WriteRGB(color, false);
    return true;
}

void CFillStyleColor::CopyColorFrom(const CFillStyleColor& other) {
    color = other.color;
}

} // namespace tavro
