#include "player/Matrix16.h"

namespace tavro::player {

namespace {

using Wide = __int128;

int32_t Saturate(Wide v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN + 1)
        return INT32_MIN + 1;
    return int32_t(v);
}

// (v + half) >> 16 with rounding to nearest, half away from zero.
Wide RoundShift16(Wide v) {
    return v >= 0 ? (v + 0x8000) >> 16 : -((-v + 0x8000) >> 16);
}

} // namespace

Point16 Matrix16::Map(int32_t x, int32_t y) const {
    Wide px = RoundShift16(Wide(x) * a + Wide(y) * c) + tx;
    Wide py = RoundShift16(Wide(x) * b + Wide(y) * d) + ty;
    return {Saturate(px), Saturate(py)};
}

Point16 Matrix16::MapDelta(int32_t dx, int32_t dy) const {
    return {Saturate(RoundShift16(Wide(dx) * a + Wide(dy) * c)),
            Saturate(RoundShift16(Wide(dx) * b + Wide(dy) * d))};
}

Rect Matrix16::MapRect(const Rect& r) const {
    if (r.IsEmpty())
        return Rect();
    Rect out;
    const int32_t xs[2] = {r.xmin, r.xmax};
    const int32_t ys[2] = {r.ymin, r.ymax};
    for (int32_t x : xs)
        for (int32_t y : ys) {
            Point16 p = Map(x, y);
            out.AddPoint(p.x, p.y);
        }
    return out;
}

Matrix16 Matrix16::Concat(const Matrix16& in, const Matrix16& out) {
    Matrix16 m;
    m.a = Saturate(RoundShift16(Wide(in.a) * out.a + Wide(in.b) * out.c));
    m.b = Saturate(RoundShift16(Wide(in.a) * out.b + Wide(in.b) * out.d));
    m.c = Saturate(RoundShift16(Wide(in.c) * out.a + Wide(in.d) * out.c));
    m.d = Saturate(RoundShift16(Wide(in.c) * out.b + Wide(in.d) * out.d));
    Point16 t = out.Map(in.tx, in.ty);
    m.tx = t.x;
    m.ty = t.y;
    return m;
}

bool Matrix16::Invert(Matrix16& outM) const {
    // det in 32.32; inverse terms are (cofactor << 32) / det in 16.16.
    Wide det = Wide(a) * d - Wide(b) * c;
    if (det == 0)
        return false;
    auto divRound = [det](Wide num) {
        Wide q = num / det;
        Wide r = num % det;
        // round half away from zero
        Wide r2 = r < 0 ? -r : r;
        Wide d2 = det < 0 ? -det : det;
        if (2 * r2 >= d2)
            q += ((num < 0) != (det < 0)) ? -1 : 1;
        return q;
    };
    Matrix16 m;
    m.a = Saturate(divRound(Wide(d) << 32));
    m.b = Saturate(divRound(-(Wide(b) << 32)));
    m.c = Saturate(divRound(-(Wide(c) << 32)));
    m.d = Saturate(divRound(Wide(a) << 32));
    Point16 t = m.MapDelta(tx, ty);
    m.tx = Saturate(-Wide(t.x));
    m.ty = Saturate(-Wide(t.y));
    outM = m;
    return true;
}

namespace {
uint64_t ISqrt(unsigned __int128 v) {
    uint64_t lo = 0, hi = UINT64_C(1) << 32;
    while (lo + 1 < hi) { // largest r with r*r <= v
        uint64_t mid = lo + (hi - lo) / 2;
        if ((unsigned __int128)mid * mid <= v)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}
} // namespace

int32_t Matrix16::ScaleLength(int32_t len) const {
    uint64_t sx = ISqrt((unsigned __int128)(Wide(a) * a + Wide(b) * b));
    uint64_t sy = ISqrt((unsigned __int128)(Wide(c) * c + Wide(d) * d));
    Wide v = Wide(len) * Wide(sx + sy); // 17.16 scale sum times length
    return Saturate(RoundShift16(v / 2));
}

} // namespace tavro::player
