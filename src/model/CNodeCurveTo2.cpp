#include "model/CNodeCurveTo2.h"

#include "model/DrawContext.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CNodeCurveTo2, CPathNode, 1)

std::unique_ptr<CPathNode> CNodeCurveTo2::Clone() const {
    return std::make_unique<CNodeCurveTo2>(*this);
}

void CNodeCurveTo2::Draw(DrawContext& dc, const CDoublePoint* replacement) const {
    const CDoublePoint* p = replacement ? replacement : points;
    // The quadratic (p0, c, a) is the cubic (p0, p0 + 2/3 (c - p0), a + 2/3 (c - a)).
    const IntPoint start = dc.GetCurrentPosition();
    const CDoublePoint p0(start.x, start.y);
    const CDoublePoint c1 = p0 + (p[0] - p0) * (2.0 / 3.0);
    const CDoublePoint c2 = p[1] + (p[0] - p[1]) * (2.0 / 3.0);
    dc.BezierTo(c1.Round(), c2.Round(), p[1].Round());
}

void CNodeCurveTo2::WriteShapeRecord(CSwfWriter& w, IntPoint& current, const IntPoint*) const {
    WriteCurvedEdge(w, current, points[0], points[1].Round());
}

} // namespace tavro
