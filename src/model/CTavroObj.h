// The base of every movie object: a name, an ordered list of owned children, a selection inside
// that list and a link to the parent. Destroying an object destroys its children.
//
// Positions. A Position names one child of one object, like a list iterator: it stays valid while
// other children are added, removed or moved, and becomes invalid when its own child is removed
// or deleted. A default-constructed Position is "none" and tests false. Positions of one object
// must not be used with another. Every operation that removes a child also drops it from the
// selection, so the selection never names a child that is gone.
//
// The selection is a list of positions of which only the first is used; operations that select
// replace it by one entry or empty it. Loaded entries that named no child are kept as "none"
// entries (they are written back as index -1).
#pragma once

#include "model/CRootObj.h"

#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

class CTavroObj : public CRootObj {
    TAVRO_DECLARE_CLASS(CTavroObj)
public:
    using ChildList = std::list<std::unique_ptr<CTavroObj>>;

    class Position {
    public:
        Position() = default;
        bool IsNone() const { return !valid_; }
        explicit operator bool() const { return valid_; }
        bool operator==(const Position& o) const {
            return valid_ == o.valid_ && (!valid_ || it_ == o.it_);
        }

    private:
        friend class CTavroObj;
        explicit Position(ChildList::iterator it) : it_(it), valid_(true) {}
        ChildList::iterator it_{};
        bool valid_ = false;
    };

    explicit CTavroObj(CTavroObj* parent = nullptr);
    ~CTavroObj() override;
    CTavroObj& operator=(const CTavroObj&) = delete;

    void Serialize(Archive& ar) override;
    virtual std::string GetName() const;
    virtual void SetName(std::string_view name);

    // Name and selection become empty.
    void ResetBase();
    // Copies name and parent pointer (not children, not selection).
    void CopyBase(const CTavroObj& other);
    // Same parent pointer and byte-for-byte equal names.
    bool IsEqualBase(const CTavroObj& other) const;

    CTavroObj* GetParent() const { return parent_; }
    void SetParent(CTavroObj* parent) { parent_ = parent; }
    void SetParentOfChildren(CTavroObj* parent);

    const ChildList& GetChildList() const { return children_; }
    ChildList& GetChildList() { return children_; }
    size_t GetChildCount() const { return children_.size(); }

    Position GetHeadPosition();
    Position GetTailPosition();
    // The neighbour toward the tail / head, or none at the end.
    Position NextPosition(Position pos);
    Position PrevPosition(Position pos);
    // The child at a position, or null for none.
    CTavroObj* GetChildAt(Position pos) const;
    // The position of the zero-based index, or none when out of range.
    Position GetPositionOfIndex(int index);
    // Zero-based index of a position, or -1 (none or not a child of this object).
    int GetIndexOfPosition(Position pos) const;
    Position FindChild(const CTavroObj* obj);

    // Appends; the child's parent pointer is not changed.
    Position AddChild(std::unique_ptr<CTavroObj> obj);
    // Inserts before `pos`; before none means at the head.
    Position InsertChildBefore(Position pos, std::unique_ptr<CTavroObj> obj);
    // Unlinks without destroying; ownership passes to the caller.
    std::unique_ptr<CTavroObj> RemoveChildAt(Position pos);
    // Unlinks and destroys. If it was the selected child: with selectNeighbour the previous
    // sibling becomes selected, else the next, else nothing; without it nothing is selected.
    void DeleteChildAt(Position pos, bool selectNeighbour);
    void DeleteSelectedChild(bool selectNeighbour);
    // Destroys every child and empties the selection.
    void DeleteAllChildren();

    // Moves one place toward the head / tail, keeping the selection on the moved child.
    // False (nothing moves) for none or a child already at that end.
    bool MoveChildEarlier(Position pos);
    bool MoveChildLater(Position pos);
    bool MoveSelectedEarlier() { return MoveChildEarlier(GetSelectedPosition()); }
    bool MoveSelectedLater() { return MoveChildLater(GetSelectedPosition()); }

    // The first selection entry, or none.
    Position GetSelectedPosition() const;
    CTavroObj* GetSelectedChild() const { return GetChildAt(GetSelectedPosition()); }
    // Replaces the selection by `pos`, or empties it for none.
    void SelectPosition(Position pos);
    void SelectChild(const CTavroObj* obj) { SelectPosition(FindChild(obj)); }
    // The selection as zero-based indexes (-1 for entries that name no child), and back.
    std::vector<int> GetSelectionIndexes() const;
    void SetSelectionIndexes(const std::vector<int>& indexes);

protected:
    // Copies name and parent only; derived classes build their copy constructors on it.
    CTavroObj(const CTavroObj& other);

private:
    void DropFromSelection(ChildList::iterator it);

    std::string name_;
    ChildList children_;
    std::vector<Position> selection_;
    CTavroObj* parent_ = nullptr;
};

} // namespace tavro
