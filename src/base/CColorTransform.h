// A colour transform: four (multiplier, offset) pairs, alpha first. Multipliers are 8.8 fixed
// point (256 = 1.0), offsets are colour units. The default is the identity. A plain value.
#pragma once

#include <cstdint>

namespace tavro {

class CColorTransform {
public:
    int32_t alphaMult = 256, alphaAdd = 0, redMult = 256, redAdd = 0, greenMult = 256, greenAdd = 0,
            blueMult = 256, blueAdd = 0;

    CColorTransform() = default;
    CColorTransform(int32_t alphaMult_, int32_t redMult_, int32_t greenMult_, int32_t blueMult_,
                    int32_t alphaAdd_, int32_t redAdd_, int32_t greenAdd_, int32_t blueAdd_)
        : alphaMult(alphaMult_), alphaAdd(alphaAdd_), redMult(redMult_), redAdd(redAdd_),
          greenMult(greenMult_), greenAdd(greenAdd_), blueMult(blueMult_), blueAdd(blueAdd_) {}

    bool IsIdentity() const { return *this == CColorTransform(); }

    bool operator==(const CColorTransform& o) const {
        return alphaMult == o.alphaMult && alphaAdd == o.alphaAdd && redMult == o.redMult &&
               redAdd == o.redAdd && greenMult == o.greenMult && greenAdd == o.greenAdd &&
               blueMult == o.blueMult && blueAdd == o.blueAdd;
    }
    bool operator!=(const CColorTransform& o) const { return !(*this == o); }
};

} // namespace tavro
