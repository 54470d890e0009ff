#include "editor/UndoHistory.h"

#include "model/Archive.h"
#include "model/CDocObj.h"

namespace tavro::editor {

void UndoHistory::Clear() {
    snapshots_.clear();
    position_.reset();
}

void UndoHistory::Record(const CDocObj& doc, bool force) {
    if (position_ && *position_ + 1 < snapshots_.size())
        snapshots_.resize(*position_ + 1);
    if (!position_ || force)
        snapshots_.push_back(SaveObjectToMemory(doc));
    position_.reset();
}

bool UndoHistory::CanUndo() const {
    return !snapshots_.empty() && position_ != size_t{0};
}

bool UndoHistory::CanRedo() const {
    return !snapshots_.empty() && position_ && *position_ + 1 < snapshots_.size();
}

bool UndoHistory::Undo(CDocObj& doc) {
    if (!CanUndo())
        return false;
    if (!position_) {
        Record(doc, false);
        position_ = snapshots_.size() - 1;
    }
    *position_ -= 1;
    Restore(*position_, doc);
    return true;
}

bool UndoHistory::Redo(CDocObj& doc) {
    if (!CanRedo())
        return false;
    *position_ += 1;
    Restore(*position_, doc);
    return true;
}

// The snapshot is read into a fresh document first, so a damaged snapshot leaves the document
// as it is. The file the document belongs to is not part of the history: undoing a change made
// before a Save As must not point the next Save at the old file.
void UndoHistory::Restore(size_t index, CDocObj& doc) const {
    CDocObj restored;
    LoadObjectFromMemory(snapshots_[index], restored);
    const std::string fileName = doc.GetName();
    doc.TakeContentFrom(restored);
    doc.SetName(fileName);
}

} // namespace tavro::editor
