// Starts a new figure at its target: the style-change record of a shape, with optional
// fill-style-1 and line-style indices (-1 leaves a style unchanged). The style indices are not
// archived; a loaded move-to has -1 for both.
#pragma once

#include "model/CPathNode.h"

namespace tavro {

class CNodeMoveTo : public CPathNode {
    TAVRO_DECLARE_CLASS(CNodeMoveTo)
public:
    CDoublePoint target;
    int32_t fillStyle1 = -1;
    int32_t lineStyle = -1;

    CNodeMoveTo() = default;
    CNodeMoveTo(const CDoublePoint& target_, int32_t fillStyle1_ = -1, int32_t lineStyle_ = -1)
        : target(target_), fillStyle1(fillStyle1_), lineStyle(lineStyle_) {}

    std::unique_ptr<CPathNode> Clone() const override;
    using CPathNode::GetPoints;
    CDoublePoint* GetPoints() override { return &target; }
    int GetPointCount() const override { return 1; }
    bool IsMoveTo() const override { return true; }
    void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const override;
    // Style-change record: an absolute move, then each style index that is 0 or more in one
    // bit. The pen becomes the rounded target.
    void WriteShapeRecord(CSwfWriter& writer, IntPoint& current,
                          const IntPoint* target = nullptr) const override;
};

} // namespace tavro
