// A point (or vector) of doubles. Equality allows 1e-10 per coordinate.
#pragma once

#include "base/IntPoint.h"

namespace tavro {

class CDoublePoint {
public:
    double x = 0.0, y = 0.0;

    CDoublePoint() = default;
    CDoublePoint(double x_, double y_) : x(x_), y(y_) {}

    CDoublePoint operator+(const CDoublePoint& o) const { return {x + o.x, y + o.y}; }
    CDoublePoint operator-(const CDoublePoint& o) const { return {x - o.x, y - o.y}; }
    CDoublePoint operator*(double f) const { return {x * f, y * f}; }
    CDoublePoint operator/(double f) const { return {x / f, y / f}; }
    CDoublePoint& operator+=(const CDoublePoint& o);
    CDoublePoint& operator-=(const CDoublePoint& o);
    CDoublePoint& operator*=(double f);
    CDoublePoint& operator/=(double f);

    double LengthSquared() const { return x * x + y * y; }
    double Length() const;
    // Direction in degrees in [0, 360) by the angle rule: a vector with |x| < 1e-10 points at 90
    // when y > 0 and at 270 otherwise (the zero vector included).
    double Angle() const;
    double DistanceTo(const CDoublePoint& o) const { return (*this - o).Length(); }

    // Each coordinate rounded half away from zero.
    IntPoint Round() const;

    bool operator==(const CDoublePoint& o) const;
    bool operator!=(const CDoublePoint& o) const { return !(*this == o); }

    // The angle rule above, for a vector (vx, vy).
    static double AngleOf(double vx, double vy);
};

} // namespace tavro
