// A straight line from the pen to its target.
#pragma once

#include "model/CPathNode.h"

namespace tavro {

class CNodeLineTo : public CPathNode {
    TAVRO_DECLARE_CLASS(CNodeLineTo)
public:
    CDoublePoint target;

    CNodeLineTo() = default;
    explicit CNodeLineTo(const CDoublePoint& target_) : target(target_) {}

    std::unique_ptr<CPathNode> Clone() const override;
    using CPathNode::GetPoints;
    CDoublePoint* GetPoints() override { return &target; }
    int GetPointCount() const override { return 1; }
    void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const override;
    // Straight edge record to the rounded target (or to `target` when given); nothing when the
    // pen is already there.
    void WriteShapeRecord(CSwfWriter& writer, IntPoint& current,
                          const IntPoint* target = nullptr) const override;
};

} // namespace tavro
