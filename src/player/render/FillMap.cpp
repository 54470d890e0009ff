#include "player/render/FillMap.h"

namespace tavro::player::render {

namespace {
using Wide = __int128;

int64_t Saturate(Wide v, Wide limit) {
    return int64_t(v > limit ? limit : v < -limit ? -limit : v);
}
} // namespace

bool FillMap::Build(const Matrix16& f, const Matrix16& m) {
    // Product p = f then m: 2x2 part with 32 fractional bits, translation with 16.
    Wide pa = Wide(f.a) * m.a + Wide(f.b) * m.c;
    Wide pb = Wide(f.a) * m.b + Wide(f.b) * m.d;
    Wide pc = Wide(f.c) * m.a + Wide(f.d) * m.c;
    Wide pd = Wide(f.c) * m.b + Wide(f.d) * m.d;
    Wide ptx = Wide(f.tx) * m.a + Wide(f.ty) * m.c + (Wide(m.tx) << 16);
    Wide pty = Wide(f.tx) * m.b + Wide(f.ty) * m.d + (Wide(m.ty) << 16);

    // Reduce to 24 fractional bits so that det (48 bits of fraction) and the shifted cofactors
    // stay well inside 128 bits.
    pa >>= 8, pb >>= 8, pc >>= 8, pd >>= 8;
    Wide det = pa * pd - pb * pc; // 48 fractional bits
    if (det == 0)
        return false;
    // inverse terms: cofactor / det with 32 fractional bits = cofactor << 56 / det.
    auto inv = [det](Wide cof) { return Saturate((cof << 56) / det, FillMap::kTermLimit); };
    Wide ia = inv(pd), ib = inv(-pb), ic = inv(-pc), id = inv(pa);
    a = int64_t(ia), b = int64_t(ib), c = int64_t(ic), d = int64_t(id);
    // translation: -(inverse 2x2) * (ptx, pty); ptx has 16 fractional bits.
    tx = Saturate(-((ia * ptx + ic * pty) >> 16), FillMap::kPositionLimit);
    ty = Saturate(-((ib * ptx + id * pty) >> 16), FillMap::kPositionLimit);
    return true;
}

} // namespace tavro::player::render
