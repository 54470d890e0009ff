#include "base/CDoublePoint.h"

#include "base/Rounding.h"

#include <cmath>

namespace tavro {

namespace {
constexpr double kEpsilon = 1e-10;
constexpr double kDegreesPerRadian = 57.29577951308232;
} // namespace

CDoublePoint& CDoublePoint::operator+=(const CDoublePoint& o) {
    x += o.x;
    y += o.y;
    return *this;
}

CDoublePoint& CDoublePoint::operator-=(const CDoublePoint& o) {
    x -= o.x;
    y -= o.y;
    return *this;
}

CDoublePoint& CDoublePoint::operator*=(double f) {
    x *= f;
    y *= f;
    return *this;
}

CDoublePoint& CDoublePoint::operator/=(double f) {
    x /= f;
    y /= f;
    return *this;
}

double CDoublePoint::Length() const {
    return std::sqrt(LengthSquared());
}

double CDoublePoint::Angle() const {
    return AngleOf(x, y);
}

double CDoublePoint::AngleOf(double vx, double vy) {
    if (std::fabs(vx) < kEpsilon)
        return vy > 0.0 ? 90.0 : 270.0;
    double a = std::atan(vy / vx) * kDegreesPerRadian;
    if (vx < 0.0)
        a += 180.0;
    if (a < 0.0)
        a += 360.0;
    return a;
}

IntPoint CDoublePoint::Round() const {
    return {RoundToInt(x), RoundToInt(y)};
}

bool CDoublePoint::operator==(const CDoublePoint& o) const {
    return std::fabs(x - o.x) <= kEpsilon && std::fabs(y - o.y) <= kEpsilon;
}

} // namespace tavro
