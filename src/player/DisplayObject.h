// A placed instance in the display list. Children are kept sorted by ascending depth, so drawing
// order is the child order. Objects live in the display list's pool.
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/Rect.h"
#include "player/RenderCache.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tavro::player {

class Character;
class DisplayList;
class Timeline;

class DisplayObject {
public:
    DisplayObject();
    ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    DisplayList* displayList = nullptr;
    DisplayObject* parent = nullptr;
    DisplayObject* nextSibling = nullptr;
    DisplayObject* firstChild = nullptr;

    Character* character = nullptr;
    uint16_t depth = 0;
    uint16_t ratio = 0;
    std::string name;
    // For sprites and level roots the object's own timeline; otherwise the parent's.
    Timeline* timeline = nullptr;
    // Owns `timeline` for sprites.
    std::unique_ptr<Timeline> ownTimeline;

    Matrix16 matrix;
    ColorXform cxform;
    uint16_t clipDepth = 0; // non-zero: a clipping mask for depths up to and including it
    bool scriptTransformed = false;
    bool visible = true;

    // Set whenever the object's character, transform or ratio changed since the last screen
    // update (the display list's anyDirty is set with it). The renderer clears both.
    bool dirty = true;
    // Device bounds of the object as last drawn; empty when it was not drawn.
    Rect cachedBounds;
    // The renderer's cached edges and other per-object state.
    std::unique_ptr<RenderCache> renderCache;

    // Button tracking state of a button instance (used by the button code).
    uint8_t buttonState = 0;

    // This object's matrix concatenated with every ancestor's (the display list root's matrix
    // included), i.e. object space to stage twips. The view matrix is not part of it.
    Matrix16 WorldMatrix() const;
    ColorXform WorldCxform() const;

    // The child at exactly `depth`, or nullptr.
    DisplayObject* FindChild(uint16_t depth) const;
    bool IsSprite() const;
    bool IsButton() const;
    bool IsEditText() const;
};

} // namespace tavro::player
