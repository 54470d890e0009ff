#include "player/ColorXform.h"

#include <algorithm>

namespace tavro::player {

namespace {
constexpr int64_t kTermLimit = int64_t(32767) * 256;

int32_t ClampTerm(int64_t v) {
    return int32_t(std::clamp(v, -kTermLimit, kTermLimit));
}

void ConcatChannel(int32_t inMul, int32_t inAdd, int32_t outMul, int32_t outAdd, int32_t& mul,
                   int32_t& add) {
    mul = ClampTerm(int64_t(inMul) * outMul / 256);
    add = ClampTerm(int64_t(inAdd) * outMul / 256 + outAdd);
}
} // namespace

void ColorXform::UpdateFlags() {
    flags = 0;
    if (aMul != 256 || rMul != 256 || gMul != 256 || bMul != 256)
        flags |= kHasMult;
    if (aAdd != 0 || rAdd != 0 || gAdd != 0 || bAdd != 0)
        flags |= kHasAdd;
}

uint8_t ColorXform::ApplyChannel(int32_t value, int32_t mul, int32_t add) {
    int64_t v = int64_t(value) * mul / 256 + add;
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

uint32_t ColorXform::ApplyArgb(uint32_t argb) const {
    uint32_t a = ApplyChannel(int32_t(argb >> 24), aMul, aAdd);
    uint32_t r = ApplyChannel(int32_t((argb >> 16) & 0xFF), rMul, rAdd);
    uint32_t g = ApplyChannel(int32_t((argb >> 8) & 0xFF), gMul, gAdd);
    uint32_t b = ApplyChannel(int32_t(argb & 0xFF), bMul, bAdd);
    return (a << 24) | (r << 16) | (g << 8) | b;
}

ColorXform ColorXform::Concat(const ColorXform& in, const ColorXform& out) {
    ColorXform x;
    ConcatChannel(in.aMul, in.aAdd, out.aMul, out.aAdd, x.aMul, x.aAdd);
    ConcatChannel(in.rMul, in.rAdd, out.rMul, out.rAdd, x.rMul, x.rAdd);
    ConcatChannel(in.gMul, in.gAdd, out.gMul, out.gAdd, x.gMul, x.gAdd);
    ConcatChannel(in.bMul, in.bAdd, out.bMul, out.bAdd, x.bMul, x.bAdd);
    x.UpdateFlags();
    return x;
}

} // namespace tavro::player
