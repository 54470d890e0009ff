// The one display list of a player: a tree of placed objects under a root whose children are the
// root objects of the loaded levels, the list of every live timeline, the action queue, and the
// view transform and invalid rectangle that the renderer works from.
#pragma once

#include "player/ActionQueue.h"
#include "player/BlockPool.h"
#include "player/ColorXform.h"
#include "player/DisplayObject.h"
#include "player/Matrix16.h"
#include "player/PlaceInfo.h"
#include "player/Rect.h"
#include "player/RenderCache.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavro::player {

class PlayerCore;
class Timeline;

class DisplayList {
public:
    // Limits that keep self-placing or explosively nested sprites bounded.
    static constexpr int kMaxNesting = 64;
    static constexpr size_t kMaxObjects = 32768;

    explicit DisplayList(PlayerCore* player);
    ~DisplayList();
    DisplayList(const DisplayList&) = delete;
    DisplayList& operator=(const DisplayList&) = delete;

    PlayerCore* player;

    // Twips to device units (device units are quarter pixels while antiAlias is set).
    Matrix16 viewMatrix;
    ColorXform viewCxform;
    bool antiAlias = false;

    // Parent of every level's root object; never drawn itself.
    DisplayObject root;

    // Background colour from SetBackgroundColor, 0xRRGGBB.
    bool hasBackground = false;
    uint32_t backgroundColor = 0xFFFFFF;

    // Device rectangle still to be redrawn, and whether any object is dirty.
    Rect invalid;
    bool anyDirty = false;

    ActionQueue actions;
    // Every live timeline (level roots and sprites), chained through Timeline::nextInList.
    Timeline* timelines = nullptr;

    // Button tracking (tracked object and state 1..4).
    DisplayObject* trackedButton = nullptr;
    int trackState = 1;

    // Counter behind generated instance names ("instance1", ...); never reset.
    uint32_t instanceCounter = 0;
    // Set when an edit-text field without outline glyphs is defined.
    bool usesDeviceFonts = false;
    // Tags executed by all timelines so far; the action engine limits how many one run causes.
    uint64_t tagsExecuted = 0;

    // The renderer's own state (edge and colour pools, scanline buckets, ...).
    std::unique_ptr<RenderCache> renderer;

    // --- placement (used by the tag code and by actions) ---

    // Places a new object under `parent`, before the first child of equal or greater depth.
    // `timeline` is the timeline that executes the placing tag. Returns nullptr when nothing
    // was placed (no character, or out of memory).
    DisplayObject* Place(DisplayObject* parent, const PlaceInfo& info, Timeline* timeline);
    // Applies a move (PlaceObject2 with the move flag) to the child at info.depth.
    void Modify(DisplayObject* parent, const PlaceInfo& info);
    // Removes the child at `depth` of `parent` (nothing when the depth is empty).
    void Remove(DisplayObject* parent, uint16_t depth);
    // Unlinks `obj` from its parent and destroys it with its subtree.
    void RemoveObject(DisplayObject* obj);

    // Unlinks every child of `parent` into a chain (still owned) and returns its head.
    DisplayObject* DetachChildren(DisplayObject* parent);
    // Inserts an unlinked object among `parent`'s children in depth order (after objects of
    // equal depth).
    void InsertChild(DisplayObject* parent, DisplayObject* obj);
    // Destroys an unlinked object and its subtree.
    void DestroyObject(DisplayObject* obj);

    void MarkDirty(DisplayObject* obj);
    void Invalidate(const Rect& deviceRect);
    // Adds the last drawn bounds of `obj` and all its descendants to the invalid rectangle.
    void InvalidateSubtree(const DisplayObject* obj);

    // --- timelines ---

    void LinkTimeline(Timeline* t);
    void UnlinkTimeline(Timeline* t);
    // Sprite timelines of removed objects are parked here and freed by ReleaseRetired() at a
    // point where no loop walks the timeline list.
    void Retire(std::unique_ptr<Timeline> t);
    void ReleaseRetired();

    size_t LiveObjectCount() const { return objectPool_.LiveCount(); }

private:
    friend class DisplayObject;
    DisplayObject* NewObject();

    BlockPool objectPool_;
    std::vector<std::unique_ptr<Timeline>> retired_;
};

} // namespace tavro::player
