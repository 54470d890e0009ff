// The seam between a displayable object and its timeline of effects.
//
// A symbol hands everything that depends on what its effects are to these functions: the frames
// of an object that has effects (which effect owns the frame, the interpolated matrix and colour
// transform, the effect's own frame output), the depths and frames its effects need, and the
// order of the effect list. The symbol itself writes only objects without effects.
//
// The bodies here are the stand-in used until the timeline driver exists: an object with
// effects writes nothing, its effects need no extra depths and no frames, and the effect list
// keeps insertion order. The driver replaces these bodies with its own (same declarations).
#pragma once

#include "model/CSymbolObj.h"

#include <memory>

namespace tavro {

class CSwfWriter;

namespace EffectTimeline {

// Writes frame `frame` (0-based, the object's own counter) of an object that has at least one
// effect.
inline void WriteFrame(CSymbolObj& /*obj*/, CSwfWriter& /*writer*/, int /*frame*/) {}

// Depths to skip before the object's own (the largest extra count of its effects).
inline int GetDepthOffset(const CSymbolObj& /*obj*/) {
    return 0;
}

// Depths the object needs while its effects run (the largest of the effects' counts).
inline int GetDepthCount(const CSymbolObj& obj) {
    return obj.GetOwnDepthCount();
}

// Frames the effects cover: the largest start frame + frame count.
inline int GetFrameCount(const CSymbolObj& /*obj*/) {
    return 0;
}

// Puts `effect` into the object's effect list by the timeline order rule and returns its
// position. The effect's parent is already the object.
inline CTavroObj::Position InsertEffect(CSymbolObj& obj, std::unique_ptr<CTavroObj> effect) {
    return obj.GetEffectList().AddChild(std::move(effect));
}

// Unlinks the effect at `pos` and inserts it again; returns its new position.
inline CTavroObj::Position ReinsertEffectAt(CSymbolObj& /*obj*/, CTavroObj::Position pos) {
    return pos;
}

// Re-inserts every effect in list order, keeping the selection, until the list is in order.
inline void NormaliseTimeline(CSymbolObj& /*obj*/) {}

} // namespace EffectTimeline
} // namespace tavro
