// The object a StartDrag action made follow the mouse, and how it follows.
#pragma once

#include "player/Rect.h"

#include <cstdint>

namespace tavro::player {

class DisplayObject;

struct DragState {
    DisplayObject* object = nullptr;
    bool dragging = false;
    // Mouse position and the object's origin, both in the parent's twips, when the drag began.
    int32_t startMouseX = 0;
    int32_t startMouseY = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    bool lockCenter = false;
    // Limits of the object's origin in its parent's twips; empty for none.
    Rect constraint;

    void Clear() { *this = DragState(); }
};

} // namespace tavro::player
