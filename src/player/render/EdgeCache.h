// The edges of one drawn object in device units, kept between frames with the colour records
// they use, so that an object that did not change is not parsed and cut again. Dropped when the
// object, one of its parents or the view changes.
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/RenderCache.h"
#include "player/render/ColorRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tavro::player::render {

class EdgeCache : public RenderCache {
public:
    // Fill references of a cached edge.
    static constexpr int32_t kNone = -1;
    static constexpr int32_t kClipRecord = -2; // the clip layer being drawn

    struct CachedEdge {
        int32_t x0, y0, cx, cy, x1, y1;
        bool isLine;
        int32_t fill0, fill1; // index into `records`, or kNone / kClipRecord
    };

    // What the edges were made from; a cache whose inputs differ is not used.
    struct Inputs {
        const void* character = nullptr;
        Matrix16 toDevice;
        ColorXform cxform;
        uint16_t ratio = 0;
        bool clipLayer = false;
        bool smooth = false;
        bool operator==(const Inputs& o) const {
            return character == o.character && toDevice == o.toDevice && cxform == o.cxform &&
                   ratio == o.ratio && clipLayer == o.clipLayer && smooth == o.smooth;
        }
    };
    Inputs inputs;

    // Record templates in drawing order: no links, layer or clip chain; gradient ramps and
    // colour tables point into the storage below.
    std::vector<ColorRecord> records;
    std::vector<std::array<uint32_t, 256>> ramps;
    std::vector<std::array<uint8_t, 1024>> luts;
    std::vector<CachedEdge> edges;
};

} // namespace tavro::player::render
