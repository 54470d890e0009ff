#include "model/CPath.h"

#include "model/Archive.h"
#include "model/CNodeCurveTo2.h"
#include "model/CNodeLineTo.h"
#include "model/CNodeMoveTo.h"
#include "swf/CSwfWriter.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CPath, CRootObj, 1)

CPath::CPath(const CPath& other) : CRootObj(other), modified(other.modified) {
    nodes_.reserve(other.nodes_.size());
    for (const auto& node : other.nodes_)
        if (auto copy = node->Clone())
            nodes_.push_back(std::move(copy));
}

CPath& CPath::operator=(const CPath& other) {
    if (this != &other) {
        CPath copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CPath::~CPath() = default;

void CPath::Serialize(Archive& ar) {
    if (ar.IsStoring()) {
        ar.WriteVersion(classInfo);
        ar.WriteObjectList(nodes_);
        return;
    }
    modified = 1;
    if (ar.ReadVersion() == 0)
        return;
    nodes_.clear();
    ar.ReadObjectList<CPathNode>(
        [this](std::unique_ptr<CPathNode> node) { nodes_.push_back(std::move(node)); });
}

bool CPath::IsEqual(const CPath& other) const {
    if (nodes_.size() != other.nodes_.size())
        return false;
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (!nodes_[i]->IsEqual(*other.nodes_[i]))
            return false;
    return true;
}

int32_t CPath::Reserved(int32_t, int32_t, int32_t, int32_t) const {
    return 0;
}

void CPath::AddMoveTo(double x, double y, int32_t fillStyle1, int32_t lineStyle) {
    AddNode(std::make_unique<CNodeMoveTo>(CDoublePoint(x, y), fillStyle1, lineStyle));
}

void CPath::AddLineTo(double x, double y) {
    const CDoublePoint p(x, y);
    if (!nodes_.empty()) {
        const CDoublePoint* last = nodes_.back()->GetLastPoint();
        if (last != nullptr && *last == p)
            return;
    }
    AddNode(std::make_unique<CNodeLineTo>(p));
}

void CPath::AddCurveTo2(const CDoublePoint& control, const CDoublePoint& anchor) {
    AddNode(std::make_unique<CNodeCurveTo2>(control, anchor));
}

void CPath::AddNode(std::unique_ptr<CPathNode> node) {
    if (!node)
        return;
    nodes_.push_back(std::move(node));
    modified = 1;
}

void CPath::RemoveAll() {
    nodes_.clear();
}

void CPath::Offset(double dx, double dy) {
    for (auto& node : nodes_) {
        CDoublePoint* points = node->GetPoints();
        for (int i = 0; points != nullptr && i < node->GetPointCount(); ++i) {
            points[i].x += dx;
            points[i].y += dy;
        }
    }
}

CDoubleRect CPath::GetBounds() const {
    CDoubleRect r(1e30, 1e30, -1e30, -1e30);
    for (const auto& node : nodes_) {
        const CDoublePoint* points = node->GetPoints();
        for (int i = 0; points != nullptr && i < node->GetPointCount(); ++i) {
            r.x0 = std::min(r.x0, points[i].x);
            r.y0 = std::min(r.y0, points[i].y);
            r.x1 = std::max(r.x1, points[i].x);
            r.y1 = std::max(r.y1, points[i].y);
        }
    }
    return r;
}

void CPath::WriteShapeRecords(CSwfWriter& writer) const {
    IntPoint current;
    for (const auto& node : nodes_)
        node->WriteShapeRecord(writer, current);
    writer.WriteBits(0, 6); // end of shape
}

void CPath::Draw(DrawContext& dc) const {
    for (const auto& node : nodes_)
        node->Draw(dc);
}

} // namespace tavro
