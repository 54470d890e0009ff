// A quadratic Bézier curve from the pen: points[0] is the control point, points[1] the
// anchor (end point).
#pragma once

#include "model/CPathNode.h"

namespace tavro {

class CNodeCurveTo2 : public CPathNode {
    TAVRO_DECLARE_CLASS(CNodeCurveTo2)
public:
    CDoublePoint points[2];

    CNodeCurveTo2() = default;
    CNodeCurveTo2(const CDoublePoint& control, const CDoublePoint& anchor)
        : points{control, anchor} {}

    std::unique_ptr<CPathNode> Clone() const override;
    using CPathNode::GetPoints;
    CDoublePoint* GetPoints() override { return points; }
    int GetPointCount() const override { return 2; }
    // Drawn as the equal cubic curve, from the context's current position.
    void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const override;
    // Curved edge record (control delta from the pen, anchor delta from the control); nothing
    // when both round onto the pen. The pen becomes the rounded anchor.
    void WriteShapeRecord(CSwfWriter& writer, IntPoint& current,
                          const IntPoint* target = nullptr) const override;
};

} // namespace tavro
