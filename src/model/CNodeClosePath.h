// Closes the current figure when drawn. It has no points and no shape record.
#pragma once

#include "model/CPathNode.h"

namespace tavro {

class CNodeClosePath : public CPathNode {
    TAVRO_DECLARE_CLASS(CNodeClosePath)
public:
    CNodeClosePath() = default;

    std::unique_ptr<CPathNode> Clone() const override;
    bool IsClosePath() const override { return true; }
    void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const override;
};

} // namespace tavro
