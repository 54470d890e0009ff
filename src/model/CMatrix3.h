// A 3x3 affine matrix of doubles, row-major m0..m8, for row vectors multiplied on the left:
//   x' = m0*x + m3*y + m6,  y' = m1*x + m4*y + m7.
// (m0, m1) is the image of the x axis, (m3, m4) that of the y axis, (m6, m7) the translation;
// m2, m5, m8 are 0, 0, 1 in every matrix the program builds. Default: identity.
#pragma once

#include "base/CDoublePoint.h"
#include "base/CDoubleRect.h"
#include "model/CRootObj.h"

namespace tavro {

class CMatrix3 : public CRootObj {
    TAVRO_DECLARE_CLASS(CMatrix3)
public:
    double m[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};

    CMatrix3() = default;
    CMatrix3(const CMatrix3&) = default;
    CMatrix3& operator=(const CMatrix3&) = default;
    // Identity, then SetFromParts.
    CMatrix3(double tx, double ty, double sx, double sy, double angleX, double angleY);
    // A copy of *other, or the identity when other is null.
    explicit CMatrix3(const CMatrix3* other);

    void Serialize(Archive& ar) override;
    // Copies all nine elements.
    virtual void Assign(const CMatrix3& other);
    // Every other setter goes through this one.
    virtual void SetElements(double m0, double m1, double m2, double m3, double m4, double m5,
                             double m6, double m7, double m8);

    void SetIdentity();
    // this := this x other: points are mapped by this first, then by other.
    void Multiply(const CMatrix3& other);
    // this x other, leaving this unchanged.
    CMatrix3 Product(const CMatrix3& other) const;
    // All nine elements within 1e-10.
    bool IsEqual(const CMatrix3& other) const;

    CDoublePoint TransformPoint(const CDoublePoint& p) const;
    // The bounding box of the four transformed corners.
    CDoubleRect TransformRect(const CDoubleRect& r) const;

    CDoublePoint GetTranslation() const { return {m[6], m[7]}; }
    void SetTranslation(double tx, double ty);
    // (length of the x axis image, length of the y axis image).
    CDoublePoint GetScale() const;
    // (angle of the x axis image, angle of the y axis image), degrees in [0, 360).
    CDoublePoint GetAxisAngles() const;
    // Angles in degrees; an unrotated, unskewed matrix has angleX 0 and angleY 90.
    void SetFromParts(double tx, double ty, double sx, double sy, double angleX, double angleY);
};

} // namespace tavro
