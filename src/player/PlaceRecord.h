// The fields of a PlaceObject or PlaceObject2 tag as they are stored, before the character id is
// looked up in the dictionary.
#pragma once

#include "player/BitReader.h"
#include "player/PlaceInfo.h"

#include <cstdint>
#include <string_view>

namespace tavro::player {

struct PlaceRecord {
    uint8_t flags = 0; // PlaceInfo's flag bits
    uint16_t depth = 0;
    uint16_t characterId = 0;
    Matrix16 matrix;
    ColorXform cxform;
    uint16_t ratio = 0;
    std::string_view name; // points into the tag
    uint16_t clipDepth = 0;
};

// Reads the body of a PlaceObject2 tag (flags first, fields in flag order) from `r`, which ends at
// the end of the tag. Check r.ok() afterwards.
PlaceRecord ReadPlaceObject2(BitReader& r);

// Reads the body of a PlaceObject tag (id, depth, matrix and an optional colour transform without
// alpha, present when bytes remain before `tagEnd`).
PlaceRecord ReadPlaceObject(BitReader& r, size_t tagEnd);

} // namespace tavro::player
