#include "player/render/StrokeBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavro::player::render {

namespace {

uint64_t ISqrt(uint64_t v) {
    uint64_t r = 0, bit = uint64_t(1) << 62;
    while (bit > v)
        bit >>= 2;
    while (bit) {
        if (v >= r + bit) {
            v -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return r;
}

int64_t Length(int64_t dx, int64_t dy) {
    // Exact in integers while the squares cannot overflow; damaged coordinates can be far
    // larger, and then the floating-point length is close enough.
    constexpr int64_t kExact = int64_t{1} << 31;
    if (dx > -kExact && dx < kExact && dy > -kExact && dy < kExact)
        return int64_t(ISqrt(uint64_t(dx * dx) + uint64_t(dy * dy)));
    return int64_t(std::hypot(double(dx), double(dy)));
}

int64_t DivRound(int64_t n, int64_t d) {
    return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

// The 8 points of a unit circle at multiples of 45 degrees and the control points of the
// quadratic arcs between them (16.16).
constexpr int32_t kC = 46341; // cos 45
constexpr int32_t kT = 27146; // tan 22.5
constexpr int32_t kOn[8][2] = {{65536, 0},  {kC, kC},   {0, 65536},  {-kC, kC},
                               {-65536, 0}, {-kC, -kC}, {0, -65536}, {kC, -kC}};
constexpr int32_t kCtl[8][2] = {{65536, kT},   {kT, 65536},   {-kT, 65536}, {-65536, kT},
                                {-65536, -kT}, {-kT, -65536}, {kT, -65536}, {65536, -kT}};

constexpr int kMaxBendSplits = 5;

} // namespace

void StrokeBuilder::Begin(ColorRecord* record, int64_t width) {
    record_ = record;
    // Wider than the whole coordinate range is no different from that range, and the offset
    // arithmetic stays far from overflow.
    width_ = std::clamp<int64_t>(width, 1, 65536);
    started_ = false;
}

void StrokeBuilder::MoveTo(DevicePoint p) {
    pen_ = p;
    started_ = false;
}

void StrokeBuilder::LineTo(DevicePoint p) {
    if (!record_)
        return;
    if (width_ > 3 && !started_)
        Disc(pen_);
    started_ = true;
    Segment(pen_, p);
    if (width_ > 3)
        Disc(p);
    pen_ = p;
}

void StrokeBuilder::CurveTo(DevicePoint c, DevicePoint p) {
    if (!record_)
        return;
    if (width_ <= 3) {
        // Thin lines follow the curve as short bars.
        int64_t dx = std::abs(2 * c.x - pen_.x - p.x), dy = std::abs(2 * c.y - pen_.y - p.y);
        int n = int(std::clamp<int64_t>(int64_t(ISqrt(uint64_t(dx + dy))) + 1, 1, 32));
        DevicePoint prev = pen_;
        started_ = true;
        for (int i = 1; i <= n; ++i) {
            // Point at t = i / n.
            int64_t a = int64_t(n - i) * (n - i), b = 2 * int64_t(i) * (n - i), d = int64_t(i) * i;
            int64_t nn = int64_t(n) * n;
            DevicePoint q{DivRound(a * pen_.x + b * c.x + d * p.x, nn),
                          DivRound(a * pen_.y + b * c.y + d * p.y, nn)};
            Segment(prev, q);
            prev = q;
        }
        pen_ = p;
        return;
    }
    if (!started_)
        Disc(pen_);
    started_ = true;
    Band(pen_, c, p, 0);
    Disc(p);
    pen_ = p;
}

// A closed polygon with the record inside: the record goes on the side that makes the inside
// count +1 whichever way the polygon turns.
void StrokeBuilder::Polygon(const DevicePoint* pts, int n) {
    __int128 area = 0;
    for (int i = 0; i < n; ++i) {
        const DevicePoint& a = pts[i];
        const DevicePoint& b = pts[(i + 1) % n];
        area += __int128(a.x) * b.y - __int128(b.x) * a.y;
    }
    if (area == 0)
        return;
    if (area > 0)
        edges_.SetFills(nullptr, record_);
    else
        edges_.SetFills(record_, nullptr);
    for (int i = 0; i < n; ++i)
        edges_.DeviceLine(pts[i], pts[(i + 1) % n]);
}

void StrokeBuilder::Segment(DevicePoint a, DevicePoint b) {
    if (width_ <= 3) {
        Bar(a, b);
        return;
    }
    int64_t dx = b.x - a.x, dy = b.y - a.y;
    int64_t len = Length(dx, dy);
    if (len == 0)
        return;
    int64_t half = width_; // offsets are w / 2: compute with doubled numerators
    int64_t nx = DivRound(-dy * half, 2 * len), ny = DivRound(dx * half, 2 * len);
    DevicePoint quad[4] = {
        {a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
    Polygon(quad, 4);
}

void StrokeBuilder::Bar(DevicePoint a, DevicePoint b) {
    const int64_t w = width_, h = w / 2;
    bool vertical = std::abs(b.y - a.y) >= std::abs(b.x - a.x);
    DevicePoint q[4];
    if (vertical) {
        if (a.y > b.y)
            std::swap(a, b);
        // Columns [x - h, x - h + w), rows from the top end's square to the bottom end's.
        q[0] = {a.x - h, a.y - h};
        q[1] = {a.x - h + w, a.y - h};
        q[2] = {b.x - h + w, b.y - h + w};
        q[3] = {b.x - h, b.y - h + w};
    } else {
        if (a.x > b.x)
            std::swap(a, b);
        q[0] = {a.x - h, a.y - h};
        q[1] = {b.x - h + w, b.y - h};
        q[2] = {b.x - h + w, b.y - h + w};
        q[3] = {a.x - h, a.y - h + w};
    }
    Polygon(q, 4);
}

void StrokeBuilder::Disc(DevicePoint centre) {
    const int64_t r2 = width_; // radius * 2
    auto at = [&](const int32_t v[2]) {
        return DevicePoint{centre.x + DivRound(int64_t(v[0]) * r2, 2 * 65536),
                           centre.y + DivRound(int64_t(v[1]) * r2, 2 * 65536)};
    };
    // Arcs run clockwise on screen (y down): inside on the right.
    edges_.SetFills(nullptr, record_);
    for (int i = 0; i < 8; ++i)
        edges_.DeviceCurve(at(kOn[i]), at(kCtl[i]), at(kOn[(i + 1) % 8]));
}

void StrokeBuilder::Band(DevicePoint p0, DevicePoint c, DevicePoint p1, int depth) {
    int64_t chord = Length(p1.x - p0.x, p1.y - p0.y);
    int64_t bend = Length(2 * c.x - p0.x - p1.x, 2 * c.y - p0.y - p1.y) / 2;
    if (depth < kMaxBendSplits && bend >= 7 && bend > 2 * chord) {
        DevicePoint q0{(p0.x + c.x) >> 1, (p0.y + c.y) >> 1};
        DevicePoint q1{(c.x + p1.x) >> 1, (c.y + p1.y) >> 1};
        DevicePoint m{(q0.x + q1.x) >> 1, (q0.y + q1.y) >> 1};
        Band(p0, q0, m, depth + 1);
        Band(m, q1, p1, depth + 1);
        return;
    }
    // Unit normals (16.16) of the tangents at both ends.
    int64_t t0x = c.x - p0.x, t0y = c.y - p0.y, t1x = p1.x - c.x, t1y = p1.y - c.y;
    if (t0x == 0 && t0y == 0)
        t0x = p1.x - p0.x, t0y = p1.y - p0.y;
    if (t1x == 0 && t1y == 0)
        t1x = p1.x - p0.x, t1y = p1.y - p0.y;
    int64_t l0 = Length(t0x, t0y), l1 = Length(t1x, t1y);
    if (l0 == 0 || l1 == 0)
        return;
    int64_t n0x = -t0y * 65536 / l0, n0y = t0x * 65536 / l0;
    int64_t n1x = -t1y * 65536 / l1, n1y = t1x * 65536 / l1;
    int64_t dot = (n0x * n1x + n0y * n1y) >> 16; // cos of the turn, 16.16
    const int64_t r2 = width_;                   // radius * 2
    auto off = [&](int64_t nx, int64_t ny) {
        return DevicePoint{DivRound(nx * r2, 2 * 65536), DivRound(ny * r2, 2 * 65536)};
    };
    DevicePoint o0 = off(n0x, n0y), o1 = off(n1x, n1y);
    if (dot < -58982) { // turns by more than ~154 degrees: fall back to the chord
        Segment(p0, p1);
        return;
    }
    // Offset control point: c + r (n0 + n1) / (1 + n0.n1).
    int64_t den = 65536 + dot;
    DevicePoint oc{DivRound((n0x + n1x) * r2, 2 * den), DivRound((n0y + n1y) * r2, 2 * den)};
    DevicePoint a0{p0.x + o0.x, p0.y + o0.y}, a1{p1.x + o1.x, p1.y + o1.y};
    DevicePoint b0{p0.x - o0.x, p0.y - o0.y}, b1{p1.x - o1.x, p1.y - o1.y};
    DevicePoint ac{c.x + oc.x, c.y + oc.y}, bc{c.x - oc.x, c.y - oc.y};
    // Orientation from the control polygon of the band.
    DevicePoint poly[6] = {a0, ac, a1, b1, bc, b0};
    __int128 area = 0;
    for (int i = 0; i < 6; ++i)
        area +=
            __int128(poly[i].x) * poly[(i + 1) % 6].y - __int128(poly[(i + 1) % 6].x) * poly[i].y;
    if (area == 0)
        return;
    if (area > 0)
        edges_.SetFills(nullptr, record_);
    else
        edges_.SetFills(record_, nullptr);
    edges_.DeviceCurve(a0, ac, a1);
    edges_.DeviceLine(a1, b1);
    edges_.DeviceCurve(b1, bc, b0);
    edges_.DeviceLine(b0, a0);
}

} // namespace tavro::player::render
