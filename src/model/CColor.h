// An RGBA colour, each channel an integer 0..255. Default: opaque black.
#pragma once

#include "model/CRootObj.h"

#include <cstdint>

namespace tavro {

class CColor : public CRootObj {
    TAVRO_DECLARE_CLASS(CColor)
public:
    int32_t red = 0, green = 0, blue = 0, alpha = 255;

    CColor() = default;
    CColor(int32_t r, int32_t g, int32_t b, int32_t a = 255)
        : red(r), green(g), blue(b), alpha(a) {}

    // From a 0x00BBGGRR value (red in the low byte); alpha 255.
    static CColor FromColorRef(uint32_t colorRef);
    // 0x00BBGGRR: red | green << 8 | blue << 16.
    uint32_t ToColorRef() const;

    void Serialize(Archive& ar) override;

    bool operator==(const CColor& other) const {
        return red == other.red && green == other.green && blue == other.blue &&
               alpha == other.alpha;
    }
    bool operator!=(const CColor& other) const { return !(*this == other); }
};

} // namespace tavro
