#include "model/CMatrix3.h"

#include "model/Archive.h"

#include <cmath>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CMatrix3, CRootObj, 1)

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

CMatrix3::CMatrix3(double tx, double ty, double sx, double sy, double angleX, double angleY) {
    SetIdentity();
    SetFromParts(tx, ty, sx, sy, angleX, angleY);
}

CMatrix3::CMatrix3(const CMatrix3* other) {
    if (other != nullptr)
        Assign(*other);
    else
        SetIdentity();
}

void CMatrix3::Serialize(Archive& ar) {
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        for (double v : m)
            ar.WriteDouble(v);
    } else {
        double v[9];
        for (double& e : v)
            e = ar.ReadDouble();
        SetElements(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    }
}

void CMatrix3::Assign(const CMatrix3& o) {
    SetElements(o.m[0], o.m[1], o.m[2], o.m[3], o.m[4], o.m[5], o.m[6], o.m[7], o.m[8]);
}

void CMatrix3::SetElements(double m0, double m1, double m2, double m3, double m4, double m5,
                           double m6, double m7, double m8) {
    m[0] = m0;
    m[1] = m1;
    m[2] = m2;
    m[3] = m3;
    m[4] = m4;
    m[5] = m5;
    m[6] = m6;
    m[7] = m7;
    m[8] = m8;
}

void CMatrix3::SetIdentity() {
    SetElements(1, 0, 0, 0, 1, 0, 0, 0, 1);
}

CMatrix3 CMatrix3::Product(const CMatrix3& other) const {
    const double* a = m;
    const double* b = other.m;
    double r[9];
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            r[row * 3 + col] =
                a[row * 3] * b[col] + a[row * 3 + 1] * b[3 + col] + a[row * 3 + 2] * b[6 + col];
        }
    }
    CMatrix3 result;
    result.SetElements(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]);
    return result;
}

void CMatrix3::Multiply(const CMatrix3& other) {
    Assign(Product(other));
}

bool CMatrix3::IsEqual(const CMatrix3& other) const {
    for (int i = 0; i < 9; ++i) {
        if (std::fabs(m[i] - other.m[i]) > 1e-10)
            return false;
    }
    return true;
}

CDoublePoint CMatrix3::TransformPoint(const CDoublePoint& p) const {
    return {m[0] * p.x + m[3] * p.y + m[6], m[1] * p.x + m[4] * p.y + m[7]};
}

CDoubleRect CMatrix3::TransformRect(const CDoubleRect& r) const {
    std::array<CDoublePoint, 4> corners = r.Corners();
    for (CDoublePoint& c : corners)
        c = TransformPoint(c);
    return CDoubleRect::BoundsOfPoints(corners.data(), corners.size());
}

void CMatrix3::SetTranslation(double tx, double ty) {
    SetElements(m[0], m[1], m[2], m[3], m[4], m[5], tx, ty, m[8]);
}

CDoublePoint CMatrix3::GetScale() const {
    return {std::sqrt(m[0] * m[0] + m[1] * m[1]), std::sqrt(m[3] * m[3] + m[4] * m[4])};
}

CDoublePoint CMatrix3::GetAxisAngles() const {
    return {CDoublePoint::AngleOf(m[0], m[1]), CDoublePoint::AngleOf(m[3], m[4])};
}

void CMatrix3::SetFromParts(double tx, double ty, double sx, double sy, double angleX,
                            double angleY) {
    const double ax = angleX * kRadiansPerDegree;
    const double ay = angleY * kRadiansPerDegree;
    SetElements(sx * std::cos(ax), sx * std::sin(ax), 0.0, sy * std::cos(ay), sy * std::sin(ay),
                0.0, tx, ty, 1.0);
}

} // namespace tavro
