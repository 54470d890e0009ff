// Undo by whole-document snapshots: each entry is the archive of the whole movie. The position
// is either "none" (the document is newer than every entry) or one entry, the state shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavro {
class CDocObj;
}

namespace tavro::editor {

class UndoHistory {
public:
    // Every snapshot is dropped; the position becomes none.
    void Clear();

    // Called before a change. Entries after the position are discarded (the redo branch); with
    // the position at none, or with `force`, the document's current state is appended. The
    // position becomes none.
    void Record(const CDocObj& doc, bool force);

    // Undo is possible unless the history is empty or the position is its first entry.
    bool CanUndo() const;
    // Redo is possible when the position is an entry other than the last.
    bool CanRedo() const;

    // Steps back and replaces the document's content by that snapshot. At position none the
    // current state is appended first, so that Redo can return to it. False when there is
    // nothing to undo. Throws ArchiveError only for a damaged snapshot.
    bool Undo(CDocObj& doc);
    bool Redo(CDocObj& doc);

    size_t Size() const { return snapshots_.size(); }
    std::optional<size_t> Position() const { return position_; }

private:
    void Restore(size_t index, CDocObj& doc) const;

    std::vector<std::vector<uint8_t>> snapshots_;
    std::optional<size_t> position_;
};

} // namespace tavro::editor
