// A cubic Bézier curve from the pen: two control points, then the anchor. It is drawn, and
// counts in a path's bounds, but has no shape record: shapes are never written with cubic curves.
#pragma once

#include "model/CPathNode.h"

namespace tavro {

class CNodeCurveTo3 : public CPathNode {
    TAVRO_DECLARE_CLASS(CNodeCurveTo3)
public:
    CDoublePoint points[3];

    CNodeCurveTo3() = default;
    CNodeCurveTo3(const CDoublePoint& control1, const CDoublePoint& control2,
                  const CDoublePoint& anchor)
        : points{control1, control2, anchor} {}

    std::unique_ptr<CPathNode> Clone() const override;
    using CPathNode::GetPoints;
    CDoublePoint* GetPoints() override { return points; }
    int GetPointCount() const override { return 3; }
    void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const override;
};

} // namespace tavro
