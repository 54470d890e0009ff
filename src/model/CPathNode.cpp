#include "model/CPathNode.h"

#include "base/Rounding.h"
#include "model/Archive.h"
#include "swf/CSwfWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CPathNode, CRootObj, 1)

namespace {

// The widest delta an edge record holds: its bit count is a 4-bit field plus 2, so 17 bits.
constexpr int64_t kMaxEdgeDelta = 65535;
// A move's bit count is a 5-bit field, so coordinates keep to 31 bits.
constexpr int32_t kMaxCoordinate = (int32_t{1} << 30) - 1;
constexpr int32_t kMinCoordinate = -(int32_t{1} << 30);

int EdgeBits(std::initializer_list<int32_t> deltas) {
    int n = 2;
    for (int32_t d : deltas)
        n = std::max(n, CSwfWriter::SignedBitCount(d));
    return n;
}

// One straight edge record whose deltas are known to fit.
void WriteStraightRecord(CSwfWriter& w, int32_t dx, int32_t dy) {
    const int n = EdgeBits({dx, dy});
    w.WriteBits(1, 1); // edge
    w.WriteBits(1, 1); // straight
    w.WriteBits(n - 2, 4);
    if (dx != 0 && dy != 0) {
        w.WriteBits(1, 1); // general line
        w.WriteBits(dx, n);
        w.WriteBits(dy, n);
    } else if (dy == 0) {
        w.WriteBits(0, 1);
        w.WriteBits(0, 1); // horizontal
        w.WriteBits(dx, n);
    } else {
        w.WriteBits(0, 1);
        w.WriteBits(1, 1); // vertical
        w.WriteBits(dy, n);
    }
}

bool Fits(int64_t d) {
    return d >= -kMaxEdgeDelta && d <= kMaxEdgeDelta;
}

// A control point kept within the coordinate range (NaN counts as 0), so that halving a curve
// always ends after a few levels.
CDoublePoint ClampControl(const CDoublePoint& p) {
    auto clamp = [](double v) {
        return std::isnan(v) ? 0.0 : std::clamp(v, double(kMinCoordinate), double(kMaxCoordinate));
    };
    return {clamp(p.x), clamp(p.y)};
}

IntPoint RoundPoint(const CDoublePoint& p) {
    return {CPathNode::ClampCoordinate(RoundToInt(p.x)),
            CPathNode::ClampCoordinate(RoundToInt(p.y))};
}

} // namespace

int32_t CPathNode::ClampCoordinate(int32_t v) {
    return std::clamp(v, kMinCoordinate, kMaxCoordinate);
}

void CPathNode::Serialize(Archive& ar) {
    CDoublePoint* points = GetPoints();
    const int n = GetPointCount();
    if (points == nullptr || n <= 0)
        return;
    if (ar.IsStoring()) {
        for (int i = 0; i < n; ++i) {
            ar.WriteDouble(points[i].x);
            ar.WriteDouble(points[i].y);
        }
    } else if (ar.GetStoredSchema(*GetRuntimeClass()) >= 1) {
        for (int i = 0; i < n; ++i) {
            points[i].x = ar.ReadDouble();
            points[i].y = ar.ReadDouble();
        }
    }
}

std::unique_ptr<CPathNode> CPathNode::Clone() const {
    return nullptr;
}

CDoublePoint* CPathNode::GetPoints() {
    return nullptr;
}

int CPathNode::GetPointCount() const {
    return 0;
}

bool CPathNode::IsMoveTo() const {
    return false;
}

bool CPathNode::IsClosePath() const {
    return false;
}

bool CPathNode::IsCurve() const {
    return GetPointCount() > 1;
}

bool CPathNode::IsEqual(const CPathNode& other) const {
    if (std::strcmp(GetRuntimeClass()->className, other.GetRuntimeClass()->className) != 0)
        return false;
    const int n = GetPointCount();
    if (n != other.GetPointCount())
        return false;
    const CDoublePoint* a = GetPoints();
    const CDoublePoint* b = other.GetPoints();
    if (n <= 0 || a == nullptr || b == nullptr)
        return n <= 0 || a == b;
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

void CPathNode::Draw(DrawContext&, const CDoublePoint*) const {}

void CPathNode::WriteShapeRecord(CSwfWriter&, IntPoint&, const IntPoint*) const {}

const CDoublePoint* CPathNode::GetLastPoint() const {
    const int n = GetPointCount();
    const CDoublePoint* points = GetPoints();
    return n > 0 && points != nullptr ? &points[n - 1] : nullptr;
}

void CPathNode::WriteStraightEdge(CSwfWriter& w, IntPoint& current, IntPoint target) {
    target = {ClampCoordinate(target.x), ClampCoordinate(target.y)};
    const int64_t dx = int64_t{target.x} - current.x;
    const int64_t dy = int64_t{target.y} - current.y;
    if (dx == 0 && dy == 0)
        return;
    // Pieces at cumulative rounded positions: every piece fits and together they reach the
    // target exactly.
    const int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    const int64_t pieces = (longest + kMaxEdgeDelta - 1) / kMaxEdgeDelta;
    int64_t doneX = 0, doneY = 0;
    for (int64_t i = 1; i <= pieces; ++i) {
        const int64_t x = i == pieces ? dx : dx * i / pieces;
        const int64_t y = i == pieces ? dy : dy * i / pieces;
        WriteStraightRecord(w, static_cast<int32_t>(x - doneX), static_cast<int32_t>(y - doneY));
        doneX = x;
        doneY = y;
    }
    current = target;
}

void CPathNode::WriteCurvedEdge(CSwfWriter& w, IntPoint& current, const CDoublePoint& rawControl,
                                IntPoint anchor) {
    anchor = {ClampCoordinate(anchor.x), ClampCoordinate(anchor.y)};
    const CDoublePoint control = ClampControl(rawControl);
    const IntPoint c = RoundPoint(control);
    const int64_t cdx = int64_t{c.x} - current.x, cdy = int64_t{c.y} - current.y;
    const int64_t adx = int64_t{anchor.x} - c.x, ady = int64_t{anchor.y} - c.y;
    if (cdx == 0 && cdy == 0 && adx == 0 && ady == 0) {
        current = anchor;
        return;
    }
    if (!Fits(cdx) || !Fits(cdy) || !Fits(adx) || !Fits(ady)) {
        // Halve the curve (de Casteljau at t = 1/2); each half's control legs are about half as
        // long, and the halves meet at the rounded midpoint.
        const CDoublePoint p0(current.x, current.y), p2(anchor.x, anchor.y);
        const CDoublePoint c1 = (p0 + control) * 0.5;
        const CDoublePoint c2 = (control + p2) * 0.5;
        const IntPoint mid = RoundPoint((c1 + c2) * 0.5);
        WriteCurvedEdge(w, current, c1, mid);
        WriteCurvedEdge(w, current, c2, anchor);
        return;
    }
    const int32_t d[4] = {static_cast<int32_t>(cdx), static_cast<int32_t>(cdy),
                          static_cast<int32_t>(adx), static_cast<int32_t>(ady)};
    const int n = EdgeBits({d[0], d[1], d[2], d[3]});
    w.WriteBits(1, 1); // edge
    w.WriteBits(0, 1); // curved
    w.WriteBits(n - 2, 4);
    for (int32_t v : d)
        w.WriteBits(v, n);
    current = anchor;
}

} // namespace tavro
