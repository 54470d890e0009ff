// An outline: an ordered list of owned path nodes (move-to, line-to, quadratic and cubic curves,
// close-path). Glyph outlines and the rectangles of shapes are built as paths; a path writes
// itself as the shape records of an SWF shape.
//
// Archive form: version byte (1), then the node list. Loading replaces the nodes and sets
// `modified`.
#pragma once

#include "base/CDoublePoint.h"
#include "base/CDoubleRect.h"
#include "model/CPathNode.h"
#include "model/CRootObj.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavro {

class CSwfWriter;
class DrawContext;

class CPath : public CRootObj {
    TAVRO_DECLARE_CLASS(CPath)
public:
    using NodeList = std::vector<std::unique_ptr<CPathNode>>;

    // 1 after every append and after loading; 0 after construction.
    int32_t modified = 0;

    CPath() = default;
    // Deep copies: every node is cloned (a node whose class cannot clone itself is left out).
    CPath(const CPath& other);
    CPath& operator=(const CPath& other);
    CPath(CPath&&) noexcept = default;
    CPath& operator=(CPath&&) noexcept = default;
    ~CPath() override;

    void Serialize(Archive& ar) override;
    // Same node count and every node equal (CPathNode::IsEqual) to the one at the same index.
    virtual bool IsEqual(const CPath& other) const;
    // Kept so the operations of a path stay in one order; no role here: answers 0.
    virtual int32_t Reserved(int32_t a, int32_t b, int32_t c, int32_t d) const;

    // Appends a move-to. A style index of -1 leaves that style unchanged.
    void AddMoveTo(double x, double y, int32_t fillStyle1 = -1, int32_t lineStyle = -1);
    // Appends a line-to, unless the last point of the last node already equals (x, y) within
    // 1e-10. After a node without points (a close-path) it always appends.
    void AddLineTo(double x, double y);
    void AddLineTo(const CDoublePoint& p) { AddLineTo(p.x, p.y); }
    void AddCurveTo2(const CDoublePoint& control, const CDoublePoint& anchor);
    // Appends any node (a cubic or close-path node, for example); null is ignored.
    void AddNode(std::unique_ptr<CPathNode> node);
    void RemoveAll();

    const NodeList& GetNodes() const { return nodes_; }
    size_t GetNodeCount() const { return nodes_.size(); }
    bool IsEmpty() const { return nodes_.empty(); }

    // Moves every point of every node by (dx, dy).
    void Offset(double dx, double dy);

    // The box over every point of every node, control points included. An empty path gives the
    // inverted box (1e30, 1e30, -1e30, -1e30).
    CDoubleRect GetBounds() const;

    // Every node's shape record in list order from the pen (0, 0), then the end-of-shape record
    // (six zero bits). No alignment follows.
    void WriteShapeRecords(CSwfWriter& writer) const;

    // Draws every node in list order.
    void Draw(DrawContext& dc) const;

private:
    NodeList nodes_;
};

} // namespace tavro
