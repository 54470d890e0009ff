// One drawable colour of a frame: a fill or line style of one drawn object (or the clip area of
// a clip layer). Edges carry the records of their two sides; the scan converter keeps the
// records that cover the current span in a list ordered by layer, front first.
#pragma once

#include "player/render/DecodedBitmap.h"
#include "player/render/FillMap.h"

#include <cstdint>

namespace tavro::player::render {

enum class FillKind : uint8_t {
    Solid,
    LinearGradient,
    RadialGradient,
    TiledBitmap,
    ClippedBitmap,
    Clip, // the outline of a clip layer: never drawn, only tested by the records it masks
};

struct ColorRecord;

// The clip layers that mask a record: the record shows only inside every one of them.
struct ClipLink {
    const ColorRecord* clip = nullptr;
    const ClipLink* next = nullptr;
    uint32_t index = 0; // position among the frame's clip links
};

struct ColorRecord {
    // Active-list links (valid while `inList`).
    ColorRecord* prev = nullptr;
    ColorRecord* next = nullptr;

    uint32_t layer = 0; // drawing order; higher is in front
    uint32_t index = 0; // position among the frame's records
    FillKind kind = FillKind::Solid;
    bool opaque = true;
    bool inList = false;
    bool smooth = false; // bitmaps: bilinear sampling
    // Signed count of the edges crossed so far on the current scanline: +1 for each edge that
    // has this record on the side being entered, -1 for each leaving it. The record covers the
    // span while the count is not zero.
    int32_t winding = 0;

    uint32_t color = 0; // premultiplied 0xAARRGGBB (solid fills and lines)
    const ClipLink* clips = nullptr;

    const uint32_t* ramp = nullptr;        // gradients: 256 premultiplied colours
    const DecodedBitmap* bitmap = nullptr; // bitmap fills
    const uint8_t* lut = nullptr;          // bitmap fills: 4 x 256 colour-transform tables
    FillMap map;                           // gradients and bitmaps: device -> fill space

    bool IsInside() const { return winding != 0; }
    // True when the record shows at all in the current span: not a clip, and inside every
    // clip of its chain.
    bool Unmasked() const {
        for (const ClipLink* l = clips; l; l = l->next)
            if (!l->clip->IsInside())
                return false;
        return true;
    }
};

} // namespace tavro::player::render
