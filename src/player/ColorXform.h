// Colour transform of the player: per channel c' = c * mult / 256 + add, clamped to 0..255.
// Multipliers are in 1/256 (256 = 1.0), additions in colour units.
#pragma once

#include <cstdint>

namespace tavro::player {

struct ColorXform {
    static constexpr uint8_t kHasMult = 0x01;
    static constexpr uint8_t kHasAdd = 0x02;

    uint8_t flags = 0;
    int32_t aMul = 256;
    int32_t aAdd = 0;
    int32_t rMul = 256;
    int32_t rAdd = 0;
    int32_t gMul = 256;
    int32_t gAdd = 0;
    int32_t bMul = 256;
    int32_t bAdd = 0;

    static constexpr ColorXform Identity() { return ColorXform(); }

    // True when every channel maps to itself (flags are not consulted).
    constexpr bool IsIdentity() const {
        return aMul == 256 && rMul == 256 && gMul == 256 && bMul == 256 && aAdd == 0 && rAdd == 0 &&
               gAdd == 0 && bAdd == 0;
    }

    // Recomputes `flags` from the terms.
    void UpdateFlags();

    // Applies one channel's terms to a value 0..255.
    static uint8_t ApplyChannel(int32_t value, int32_t mul, int32_t add);
    // Applies the transform to a straight (not premultiplied) 0xAARRGGBB colour.
    uint32_t ApplyArgb(uint32_t argb) const;

    // The transform that applies `inner` first and then `outer` (an object's cxform inside its
    // parent's world cxform). Terms are kept within +-32767*256 so repeated nesting cannot
    // overflow.
    static ColorXform Concat(const ColorXform& inner, const ColorXform& outer);

    friend constexpr bool operator==(const ColorXform& x, const ColorXform& y) {
        return x.aMul == y.aMul && x.aAdd == y.aAdd && x.rMul == y.rMul && x.rAdd == y.rAdd &&
               x.gMul == y.gMul && x.gAdd == y.gAdd && x.bMul == y.bMul && x.bAdd == y.bAdd;
    }
};

} // namespace tavro::player
