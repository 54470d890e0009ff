#include "model/CNodeLineTo.h"

#include "model/DrawContext.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CNodeLineTo, CPathNode, 1)

std::unique_ptr<CPathNode> CNodeLineTo::Clone() const {
    return std::make_unique<CNodeLineTo>(*this);
}

void CNodeLineTo::Draw(DrawContext& dc, const CDoublePoint* replacement) const {
    const CDoublePoint& p = replacement ? replacement[0] : target;
    dc.LineTo(p.Round());
}

void CNodeLineTo::WriteShapeRecord(CSwfWriter& w, IntPoint& current,
                                   const IntPoint* replacement) const {
    WriteStraightEdge(w, current, replacement ? *replacement : target.Round());
}

} // namespace tavro
