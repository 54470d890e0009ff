// One monotone piece of an outline in device units, top end first: a straight line or a
// quadratic curve whose control point lies within the piece's y range.
#pragma once

#include <cstdint>

namespace tavro::player::render {

struct ColorRecord;

struct Edge {
    int32_t x0 = 0, y0 = 0;       // top end (y0 < y1)
    int32_t cx = 0, cy = 0;       // control point
    int32_t x1 = 0, y1 = 0;       // bottom end
    int8_t dir = 1;               // +1 when the source outline ran downwards here, -1 upwards
    bool isLine = true;           // the control point lies on the chord (within 2 units)
    ColorRecord* fill0 = nullptr; // left of the source direction
    ColorRecord* fill1 = nullptr; // right of the source direction
    Edge* next = nullptr;         // scanline bucket chain
};

} // namespace tavro::player::render
