// The seam between a displayable object and its timeline of effects.
//
// A symbol hands everything that depends on what its effects are to these functions: the frames
// of an object that has effects (which effect owns the frame, the interpolated matrix and colour
// transform, the effect's own frame output), the depths and frames its effects need, and the
// order of the effect list. The symbol itself writes only objects without effects. The bodies
// are in src/effects/EffectTimeline.cpp.
#pragma once

#include "model/CSymbolObj.h"

#include <memory>

namespace tavro {

class CSwfWriter;

namespace EffectTimeline {

// Writes frame `frame` (0-based, the object's own counter) of an object that has effects.
void WriteFrame(CSymbolObj& obj, CSwfWriter& writer, int frame);

// Depths to skip before the object's own (the largest extra count of its effects).
int GetDepthOffset(const CSymbolObj& obj);

// Depths the object needs while its effects run (the largest of the effects' counts).
int GetDepthCount(const CSymbolObj& obj);

// Frames the effects cover: the largest start frame + frame count (0 when none covers any).
int GetFrameCount(const CSymbolObj& obj);

// Puts `effect` into the object's effect list by the timeline order rule and returns its
// position. The effect's parent is already the object. The inserted effect keeps its start
// frame; earlier effects that it overlaps move back (never before frame 0) and later ones
// forward, so that no two effects overlap.
CTavroObj::Position InsertEffect(CSymbolObj& obj, std::unique_ptr<CTavroObj> effect);

// Unlinks the effect at `pos` and inserts it again; returns its new position. A selected effect
// stays selected.
CTavroObj::Position ReinsertEffectAt(CSymbolObj& obj, CTavroObj::Position pos);

// Re-inserts every effect in list order, keeping the selection, until the list is in order.
void NormaliseTimeline(CSymbolObj& obj);

} // namespace EffectTimeline
} // namespace tavro
