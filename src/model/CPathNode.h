// One node of a CPath: a fixed number of points (in the units of the path, twips at export) and
// the operations that draw it and write it as an SWF shape record. The base holds no points and
// does nothing; the node classes (CNodeMoveTo, CNodeLineTo, CNodeCurveTo2, CNodeCurveTo3,
// CNodeClosePath) fill in the operations.
//
// Archive form: no version byte, only the points, each as two doubles (x, y). A node reads its
// points only when the schema stored for its class in the archive is at least 1.
#pragma once

#include "base/CDoublePoint.h"
#include "base/IntPoint.h"
#include "model/CRootObj.h"

#include <cstdint>
#include <memory>

namespace tavro {

class CSwfWriter;
class DrawContext;

class CPathNode : public CRootObj {
    TAVRO_DECLARE_CLASS(CPathNode)
public:
    CPathNode() = default;

    void Serialize(Archive& ar) override;
    // A new node of the same class equal in every field; null for the base.
    virtual std::unique_ptr<CPathNode> Clone() const;
    // The node's GetPointCount() points, or null when it has none.
    virtual CDoublePoint* GetPoints();
    const CDoublePoint* GetPoints() const { return const_cast<CPathNode*>(this)->GetPoints(); }
    virtual int GetPointCount() const;
    virtual bool IsMoveTo() const;
    virtual bool IsClosePath() const;
    // More than one point: a quadratic or cubic curve.
    virtual bool IsCurve() const;
    // Same class name, same point count and every point equal within 1e-10. Style indices of a
    // move-to are not compared.
    virtual bool IsEqual(const CPathNode& other) const;
    // Draws the node with every coordinate rounded to a whole pixel. `points`, when given, holds
    // GetPointCount() points used instead of the node's own (for example transformed ones).
    virtual void Draw(DrawContext& dc, const CDoublePoint* points = nullptr) const;
    // Appends the node's shape record at the writer's bit cursor and advances the pen `current`
    // (integer twips). `target`, when given, replaces the end point of a straight edge.
    virtual void WriteShapeRecord(CSwfWriter& writer, IntPoint& current,
                                  const IntPoint* target = nullptr) const;

    // The last point, or null for a node without points.
    const CDoublePoint* GetLastPoint() const;

    // Coordinates of shape records are kept within what the 5-bit bit count of a move can
    // describe; a pen further out is moved to that edge.
    static int32_t ClampCoordinate(int32_t v);

protected:
    CPathNode(const CPathNode&) = default;

    // Edge records. An edge whose deltas do not fit the record's 17-bit limit is written as
    // several edges that add up to the same move; a zero-length edge writes nothing.
    static void WriteStraightEdge(CSwfWriter& writer, IntPoint& current, IntPoint target);
    static void WriteCurvedEdge(CSwfWriter& writer, IntPoint& current, const CDoublePoint& control,
                                IntPoint anchor);
};

} // namespace tavro
