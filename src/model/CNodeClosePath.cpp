#include "model/CNodeClosePath.h"

#include "model/DrawContext.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CNodeClosePath, CPathNode, 1)

std::unique_ptr<CPathNode> CNodeClosePath::Clone() const {
    return std::make_unique<CNodeClosePath>(*this);
}

void CNodeClosePath::Draw(DrawContext& dc, const CDoublePoint*) const {
    dc.CloseFigure();
}

} // namespace tavro
