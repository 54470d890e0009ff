// What a PlaceObject tag (or an action) hands to the display list.
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"

#include <cstdint>
#include <string_view>

namespace tavro::player {

class Character;

struct PlaceInfo {
    // PlaceObject2 flag bits.
    static constexpr uint8_t kMove = 0x01;
    static constexpr uint8_t kHasCharacter = 0x02;
    static constexpr uint8_t kHasMatrix = 0x04;
    static constexpr uint8_t kHasCxform = 0x08;
    static constexpr uint8_t kHasRatio = 0x10;
    static constexpr uint8_t kHasName = 0x20;
    static constexpr uint8_t kHasClipDepth = 0x40;

    uint8_t flags = 0;
    Character* character = nullptr;
    uint16_t depth = 0;
    Matrix16 matrix;
    ColorXform cxform;
    uint16_t ratio = 0;
    std::string_view name; // points into the tag; copied by the display list
    uint16_t clipDepth = 0;
    bool scriptTransformed = false;
};

} // namespace tavro::player
