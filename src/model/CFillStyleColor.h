// A solid colour fill.
#pragma once

#include "model/CColor.h"
#include "model/CFillStyle.h"

namespace tavro {

class CFillStyleColor : public CFillStyle {
    TAVRO_DECLARE_CLASS(CFillStyleColor)
public:
    CColor color;

    CFillStyleColor() = default;
    explicit CFillStyleColor(const CColor& c) : color(c) {}

    void Serialize(Archive& ar) override;
    // A new colour fill with the same colour.
    std::unique_ptr<CFillStyle> Clone() const override;
    // Same class and equal colours.
    bool IsEqual(const CFillStyle& other) const override;
    // True when the colour's alpha is 0.
    bool IsTransparent() const override;
    // The solid-fill record: byte 0x00, then red, green, blue.
    bool WriteFillStyle(CSwfWriter& writer) const override;
    virtual void CopyColorFrom(const CFillStyleColor& other);
};

} // namespace tavro
