#include "model/CNodeMoveTo.h"

#include "base/Rounding.h"
#include "model/DrawContext.h"
#include "swf/CSwfWriter.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CNodeMoveTo, CPathNode, 1)

std::unique_ptr<CPathNode> CNodeMoveTo::Clone() const {
    return std::make_unique<CNodeMoveTo>(*this);
}

void CNodeMoveTo::Draw(DrawContext& dc, const CDoublePoint* replacement) const {
    const CDoublePoint& p = replacement ? replacement[0] : target;
    dc.MoveTo(p.Round());
}

void CNodeMoveTo::WriteShapeRecord(CSwfWriter& w, IntPoint& current, const IntPoint*) const {
    const int32_t x = ClampCoordinate(RoundToInt(target.x));
    const int32_t y = ClampCoordinate(RoundToInt(target.y));
    w.WriteBits(0, 1);                       // not an edge
    w.WriteBits(0, 1);                       // no new styles
    w.WriteBits(lineStyle >= 0 ? 1 : 0, 1);  // line style changes
    w.WriteBits(fillStyle1 >= 0 ? 1 : 0, 1); // fill style 1 changes
    w.WriteBits(0, 1);                       // fill style 0 unchanged
    w.WriteBits(1, 1);                       // move
    const int n = std::max(CSwfWriter::SignedBitCount(x), CSwfWriter::SignedBitCount(y));
    w.WriteBits(n, 5);
    w.WriteBits(x, n);
    w.WriteBits(y, n);
    // Shapes declare one fill bit and one line bit when they use styles.
    if (fillStyle1 >= 0)
        w.WriteBits(fillStyle1, 1);
    if (lineStyle >= 0)
        w.WriteBits(lineStyle, 1);
    current = {x, y};
}

} // namespace tavro
