#include "model/CTavroObj.h"

#include "model/Archive.h"

#include <algorithm>
#include <unordered_map>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CTavroObj, CRootObj, 1)

CTavroObj::CTavroObj(CTavroObj* parent) : parent_(parent) {}

CTavroObj::CTavroObj(const CTavroObj& other)
    : CRootObj(other), name_(other.name_), parent_(other.parent_) {}

CTavroObj::~CTavroObj() = default;

std::string CTavroObj::GetName() const {
    return name_;
}

void CTavroObj::SetName(std::string_view name) {
    name_.assign(name);
}

void CTavroObj::ResetBase() {
    name_.clear();
    selection_.clear();
}

void CTavroObj::CopyBase(const CTavroObj& other) {
    name_ = other.name_;
    parent_ = other.parent_;
}

bool CTavroObj::IsEqualBase(const CTavroObj& other) const {
    return parent_ == other.parent_ && name_ == other.name_;
}

void CTavroObj::SetParentOfChildren(CTavroObj* parent) {
    for (auto& child : children_)
        child->SetParent(parent);
}

CTavroObj::Position CTavroObj::GetHeadPosition() {
    return children_.empty() ? Position() : Position(children_.begin());
}

CTavroObj::Position CTavroObj::GetTailPosition() {
    return children_.empty() ? Position() : Position(std::prev(children_.end()));
}

CTavroObj::Position CTavroObj::NextPosition(Position pos) {
    if (!pos)
        return {};
    auto next = std::next(pos.it_);
    return next == children_.end() ? Position() : Position(next);
}

CTavroObj::Position CTavroObj::PrevPosition(Position pos) {
    if (!pos || pos.it_ == children_.begin())
        return {};
    return Position(std::prev(pos.it_));
}

CTavroObj* CTavroObj::GetChildAt(Position pos) const {
    return pos ? pos.it_->get() : nullptr;
}

CTavroObj::Position CTavroObj::GetPositionOfIndex(int index) {
    if (index < 0 || static_cast<size_t>(index) >= children_.size())
        return {};
    return Position(std::next(children_.begin(), index));
}

int CTavroObj::GetIndexOfPosition(Position pos) const {
    if (!pos)
        return -1;
    int index = 0;
    for (auto it = children_.begin(); it != children_.end(); ++it, ++index) {
        if (it == ChildList::const_iterator(pos.it_))
            return index;
    }
    return -1;
}

CTavroObj::Position CTavroObj::FindChild(const CTavroObj* obj) {
    if (obj == nullptr)
        return {};
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->get() == obj)
            return Position(it);
    }
    return {};
}

CTavroObj::Position CTavroObj::AddChild(std::unique_ptr<CTavroObj> obj) {
    children_.push_back(std::move(obj));
    return Position(std::prev(children_.end()));
}

CTavroObj::Position CTavroObj::InsertChildBefore(Position pos, std::unique_ptr<CTavroObj> obj) {
    auto where = pos ? pos.it_ : children_.begin();
    return Position(children_.insert(where, std::move(obj)));
}

void CTavroObj::DropFromSelection(ChildList::iterator it) {
    for (Position& entry : selection_) {
        if (entry && entry.it_ == it)
            entry = Position();
    }
}

std::unique_ptr<CTavroObj> CTavroObj::RemoveChildAt(Position pos) {
    if (!pos)
        return nullptr;
    DropFromSelection(pos.it_);
    std::unique_ptr<CTavroObj> obj = std::move(*pos.it_);
    children_.erase(pos.it_);
    return obj;
}

void CTavroObj::DeleteChildAt(Position pos, bool selectNeighbour) {
    if (!pos)
        return;
    const bool wasSelected = GetSelectedPosition() == pos;
    Position neighbour;
    if (wasSelected && selectNeighbour) {
        neighbour = PrevPosition(pos);
        if (!neighbour)
            neighbour = NextPosition(pos);
    }
    RemoveChildAt(pos); // destroyed here, after it has left the list and the selection
    if (wasSelected)
        SelectPosition(neighbour);
}

void CTavroObj::DeleteSelectedChild(bool selectNeighbour) {
    DeleteChildAt(GetSelectedPosition(), selectNeighbour);
}

void CTavroObj::DeleteAllChildren() {
    selection_.clear();
    // Children leave the list before they are destroyed, so a destructor never sees a
    // half-emptied parent.
    ChildList doomed;
    doomed.swap(children_);
    doomed.clear();
}

bool CTavroObj::MoveChildEarlier(Position pos) {
    if (!pos || pos.it_ == children_.begin())
        return false;
    // splice keeps the iterator (and so every position and the selection) valid.
    children_.splice(std::prev(pos.it_), children_, pos.it_);
    return true;
}

bool CTavroObj::MoveChildLater(Position pos) {
    if (!pos)
        return false;
    auto next = std::next(pos.it_);
    if (next == children_.end())
        return false;
    children_.splice(std::next(next), children_, pos.it_);
    return true;
}

CTavroObj::Position CTavroObj::GetSelectedPosition() const {
    return selection_.empty() ? Position() : selection_.front();
}

void CTavroObj::SelectPosition(Position pos) {
    selection_.clear();
    if (pos)
        selection_.push_back(pos);
}

std::vector<int> CTavroObj::GetSelectionIndexes() const {
    std::vector<int> indexes;
    indexes.reserve(selection_.size());
    if (selection_.size() <= 1) {
        for (const Position& entry : selection_)
            indexes.push_back(GetIndexOfPosition(entry));
        return indexes;
    }
    // A loaded selection may be long: index the children once instead of once per entry.
    std::unordered_map<const CTavroObj*, int> indexOf;
    int i = 0;
    for (const auto& child : children_)
        indexOf.emplace(child.get(), i++);
    for (const Position& entry : selection_) {
        auto it = entry ? indexOf.find(entry.it_->get()) : indexOf.end();
        indexes.push_back(it == indexOf.end() ? -1 : it->second);
    }
    return indexes;
}

void CTavroObj::SetSelectionIndexes(const std::vector<int>& indexes) {
    selection_.clear();
    if (indexes.empty())
        return;
    std::vector<ChildList::iterator> byIndex;
    byIndex.reserve(children_.size());
    for (auto it = children_.begin(); it != children_.end(); ++it)
        byIndex.push_back(it);
    selection_.reserve(indexes.size());
    for (int index : indexes) {
        const bool valid = index >= 0 && static_cast<size_t>(index) < byIndex.size();
        selection_.push_back(valid ? Position(byIndex[static_cast<size_t>(index)]) : Position());
    }
}

void CTavroObj::Serialize(Archive& ar) {
    if (ar.IsStoring()) {
        ar.WriteVersion(classInfo);
        ar.WriteString(name_);
        ar.WriteObjectList(children_);
        const std::vector<int> indexes = GetSelectionIndexes();
        ar.WriteDword(static_cast<uint32_t>(indexes.size()));
        for (int index : indexes)
            ar.WriteInt(index);
        return;
    }

    if (ar.ReadVersion() == 0)
        return;
    name_ = ar.ReadString();
    ar.ReadObjectList<CTavroObj>([this](std::unique_ptr<CTavroObj> child) {
        child->SetParent(this); // also right when a later child fails to load
        children_.push_back(std::move(child));
    });
    const uint32_t count = ar.ReadDword();
    if (static_cast<uint64_t>(count) * 4 > ar.GetRemaining())
        throw ArchiveError(ArchiveError::Cause::EndOfFile, "selection exceeds the data left");
    std::vector<int> indexes(count);
    for (int& index : indexes)
        index = ar.ReadInt();
    SetSelectionIndexes(indexes);
    SetParentOfChildren(this);
}

} // namespace tavro
