#include "base/CDoubleRect.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cmath>

namespace tavro {

namespace {
constexpr double kEpsilon = 1e-10;
}

CDoubleRect CDoubleRect::FromCornerAndSize(const CDoublePoint& corner, const CDoublePoint& size) {
    return {corner.x, corner.y, corner.x + size.x, corner.y + size.y};
}

bool CDoubleRect::IsEmpty() const {
    return x1 - x0 <= kEpsilon || y1 - y0 <= kEpsilon;
}

IntRect CDoubleRect::Round() const {
    return {RoundToInt(x0), RoundToInt(y0), RoundToInt(x1), RoundToInt(y1)};
}

void CDoubleRect::Union(const CDoubleRect& other) {
    if (other.IsEmpty())
        return;
    if (IsEmpty()) {
        *this = other;
        return;
    }
    x0 = std::min(x0, other.x0);
    y0 = std::min(y0, other.y0);
    x1 = std::max(x1, other.x1);
    y1 = std::max(y1, other.y1);
}

void CDoubleRect::Intersect(const CDoubleRect& other) {
    if (x0 <= other.x1 && x1 >= other.x0 && y0 <= other.y1 && y1 >= other.y0) {
        x0 = std::max(x0, other.x0);
        y0 = std::max(y0, other.y0);
        x1 = std::min(x1, other.x1);
        y1 = std::min(y1, other.y1);
    } else {
        *this = CDoubleRect();
    }
}

bool CDoubleRect::Intersects(const CDoubleRect& other) const {
    CDoubleRect overlap = *this;
    overlap.Intersect(other);
    return overlap.x1 - overlap.x0 > kEpsilon && overlap.y1 - overlap.y0 > kEpsilon;
}

std::array<CDoublePoint, 4> CDoubleRect::Corners() const {
    return {CDoublePoint(x0, y0), CDoublePoint(x1, y0), CDoublePoint(x1, y1), CDoublePoint(x0, y1)};
}

CDoubleRect CDoubleRect::BoundsOfPoints(const CDoublePoint* points, size_t n) {
    CDoubleRect r(1e30, 1e30, -1e30, -1e30);
    for (size_t i = 0; i < n; ++i) {
        r.x0 = std::min(r.x0, points[i].x);
        r.y0 = std::min(r.y0, points[i].y);
        r.x1 = std::max(r.x1, points[i].x);
        r.y1 = std::max(r.y1, points[i].y);
    }
    return r;
}

bool CDoubleRect::operator==(const CDoubleRect& o) const {
    return std::fabs(x0 - o.x0) <= kEpsilon && std::fabs(y0 - o.y0) <= kEpsilon &&
           std::fabs(x1 - o.x1) <= kEpsilon && std::fabs(y1 - o.y1) <= kEpsilon;
}

} // namespace tavro
