#include "model/CNodeCurveTo3.h"

#include "model/DrawContext.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CNodeCurveTo3, CPathNode, 1)

std::unique_ptr<CPathNode> CNodeCurveTo3::Clone() const {
    return std::make_unique<CNodeCurveTo3>(*this);
}

void CNodeCurveTo3::Draw(DrawContext& dc, const CDoublePoint* replacement) const {
    const CDoublePoint* p = replacement ? replacement : points;
    dc.BezierTo(p[0].Round(), p[1].Round(), p[2].Round());
}

} // namespace tavro
