#include "player/render/EdgeBuilder.h"

#include "player/render/ScanConverter.h"

#include <algorithm>
#include <cstdlib>

namespace tavro::player::render {

namespace {
constexpr int64_t kLimit = 32000;
constexpr int64_t kHalfLimit = 16000;
constexpr int kMaxDepth = 16;

// v0 + (v1 - v0) * t / 65536, rounded to nearest.
int64_t Lerp(int64_t v0, int64_t v1, int64_t t) {
    __int128 d = __int128(v1 - v0) * t;
    return v0 + int64_t(d >= 0 ? (d + 0x8000) >> 16 : -((-d + 0x8000) >> 16));
}

void Split(DevicePoint p0, DevicePoint c, DevicePoint p1, int64_t t, DevicePoint out[5]) {
    DevicePoint q0{Lerp(p0.x, c.x, t), Lerp(p0.y, c.y, t)};
    DevicePoint q1{Lerp(c.x, p1.x, t), Lerp(c.y, p1.y, t)};
    DevicePoint m{Lerp(q0.x, q1.x, t), Lerp(q0.y, q1.y, t)};
    out[0] = p0, out[1] = q0, out[2] = m, out[3] = q1, out[4] = p1;
}
} // namespace

DevicePoint EdgeBuilder::Map(int32_t x, int32_t y) const {
    Point16 p = matrix_.Map(x, y);
    return {p.x, p.y};
}

void EdgeBuilder::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    DeviceLine(Map(x0, y0), Map(x1, y1));
}

void EdgeBuilder::Curve(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1) {
    DeviceCurve(Map(x0, y0), Map(cx, cy), Map(x1, y1));
}

void EdgeBuilder::DeviceLine(DevicePoint p0, DevicePoint p1) {
    if (!fill0_ && !fill1_)
        return;
    bool reversed = p0.y > p1.y || (p0.y == p1.y && p0.x > p1.x);
    if (reversed)
        std::swap(p0, p1);
    Piece(p0, {(p0.x + p1.x) >> 1, (p0.y + p1.y) >> 1}, p1, true, reversed, 0);
}

void EdgeBuilder::DeviceCurve(DevicePoint p0, DevicePoint c, DevicePoint p1) {
    if (!fill0_ && !fill1_)
        return;
    // Canonical direction: top end first, then left end first.
    bool reversed = p0.y > p1.y || (p0.y == p1.y && p0.x > p1.x);
    if (reversed)
        std::swap(p0, p1);
    Piece(p0, c, p1, false, reversed, 0);
}

// Lines are exact at any height in the scan converter, so only the coordinate-range rules cut
// them; curves are also made monotone and kept short enough for their forward differences.
void EdgeBuilder::Piece(DevicePoint p0, DevicePoint c, DevicePoint p1, bool line, bool reversed,
                        int depth) {
    if (depth > kMaxDepth)
        return;
    int64_t ymin = std::min({p0.y, c.y, p1.y}), ymax = std::max({p0.y, c.y, p1.y});
    if (ymax < -kHalfLimit || ymin > kHalfLimit)
        return;

    // Make the piece monotone in y.
    int64_t lo = std::min(p0.y, p1.y), hi = std::max(p0.y, p1.y);
    if (!line && (c.y < lo || c.y > hi)) {
        int64_t out = c.y < lo ? lo - c.y : c.y - hi;
        if (out < 3) {
            c.y = std::clamp(c.y, lo, hi);
        } else {
            int64_t den = p0.y - 2 * c.y + p1.y;
            int64_t t = den == 0 ? 0 : int64_t((__int128(p0.y - c.y) << 16) / den);
            t = std::clamp<int64_t>(t, 0, 0x10000);
            DevicePoint s[5];
            Split(p0, c, p1, t, s);
            Piece(s[0], s[1], s[2], false, reversed, depth + 1);
            Piece(s[2], s[3], s[4], false, reversed, depth + 1);
            return;
        }
    }

    int64_t xmin = std::min({p0.x, c.x, p1.x}), xmax = std::max({p0.x, c.x, p1.x});
    ymin = std::min({p0.y, c.y, p1.y});
    ymax = std::max({p0.y, c.y, p1.y});
    if (xmin < -kLimit || xmax > kLimit || ymin < -kLimit || ymax > kLimit) {
        if (xmax < -kHalfLimit || xmin > kHalfLimit) {
            int64_t x = xmax < -kHalfLimit ? -kLimit : kLimit;
            DevicePoint a{x, std::clamp(p0.y, -kLimit, kLimit)};
            DevicePoint b{x, std::clamp(p1.y, -kLimit, kLimit)};
            Emit(a, {x, (a.y + b.y) >> 1}, b, reversed);
            return;
        }
    } else if (line || std::abs(p1.y - p0.y) <= 256) {
        Emit(p0, c, p1, reversed);
        return;
    }
    if (line) {
        DevicePoint m{(p0.x + p1.x) >> 1, (p0.y + p1.y) >> 1};
        Piece(p0, {(p0.x + m.x) >> 1, (p0.y + m.y) >> 1}, m, true, reversed, depth + 1);
        Piece(m, {(m.x + p1.x) >> 1, (m.y + p1.y) >> 1}, p1, true, reversed, depth + 1);
        return;
    }
    DevicePoint s[5];
    Split(p0, c, p1, 0x8000, s);
    Piece(s[0], s[1], s[2], false, reversed, depth + 1);
    Piece(s[2], s[3], s[4], false, reversed, depth + 1);
}

void EdgeBuilder::Emit(DevicePoint p0, DevicePoint c, DevicePoint p1, bool reversed) {
    if (p0.y == p1.y)
        return;
    // On the chord when the control point is within 2 units of the end points' midpoint
    // (norm max + min / 2, computed on doubled values to stay exact).
    int64_t dx = std::abs(2 * c.x - p0.x - p1.x), dy = std::abs(2 * c.y - p0.y - p1.y);
    bool isLine = std::max(dx, dy) + std::min(dx, dy) / 2 < 4;
    if (reversed)
        std::swap(p0, p1);
    if (capture_)
        capture_->push_back({int32_t(p0.x), int32_t(p0.y), int32_t(c.x), int32_t(c.y),
                             int32_t(p1.x), int32_t(p1.y), isLine, fill0_, fill1_});
    if (!target_.AddEdge(int32_t(p0.x), int32_t(p0.y), int32_t(c.x), int32_t(c.y), int32_t(p1.x),
                         int32_t(p1.y), isLine, fill0_, fill1_))
        ++dropped_;
}

} // namespace tavro::player::render
