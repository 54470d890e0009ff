// A rectangle of doubles: minimum corner (x0, y0), maximum corner (x1, y1). Default all zero.
#pragma once

#include "base/CDoublePoint.h"
#include "base/IntRect.h"

#include <array>
#include <cstddef>

namespace tavro {

class CDoubleRect {
public:
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;

    CDoubleRect() = default;
    CDoubleRect(double x0_, double y0_, double x1_, double y1_)
        : x0(x0_), y0(y0_), x1(x1_), y1(y1_) {}
    CDoubleRect(const CDoublePoint& minCorner, const CDoublePoint& maxCorner)
        : x0(minCorner.x), y0(minCorner.y), x1(maxCorner.x), y1(maxCorner.y) {}
    static CDoubleRect FromCornerAndSize(const CDoublePoint& corner, const CDoublePoint& size);

    CDoublePoint MinCorner() const { return {x0, y0}; }
    CDoublePoint MaxCorner() const { return {x1, y1}; }
    // (x1 - x0, y1 - y0).
    CDoublePoint Size() const { return {x1 - x0, y1 - y0}; }
    // Width or height at most 1e-10.
    bool IsEmpty() const;
    IntRect Round() const;

    // Grows to cover `other`; an empty rectangle neither contributes nor survives a union with a
    // non-empty one.
    void Union(const CDoubleRect& other);
    // The overlap when the two touch or overlap, else all zero.
    void Intersect(const CDoubleRect& other);
    // True when the overlap has width and height above 1e-10.
    bool Intersects(const CDoubleRect& other) const;

    // (x0,y0), (x1,y0), (x1,y1), (x0,y1).
    std::array<CDoublePoint, 4> Corners() const;
    // The bounding box of the points; with n = 0 the inverted box (1e30, 1e30, -1e30, -1e30).
    static CDoubleRect BoundsOfPoints(const CDoublePoint* points, size_t n);

    bool operator==(const CDoubleRect& o) const;
    bool operator!=(const CDoubleRect& o) const { return !(*this == o); }
};

} // namespace tavro
