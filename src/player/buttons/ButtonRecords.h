// The parsed body of a button character (DefineButton or DefineButton2): its state records and
// its action lists. Parsing is bounded by the character's bytes: a damaged record ends the record
// list, a damaged condition record ends the action lists, and nothing is ever read outside the
// tag.
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"

#include <cstdint>
#include <vector>

namespace tavro::player {

class Character;

class ButtonRecords {
public:
    // State bits of a record.
    static constexpr uint8_t kUp = 0x01;
    static constexpr uint8_t kOver = 0x02;
    static constexpr uint8_t kDown = 0x04;
    static constexpr uint8_t kHitTest = 0x08;

    struct Record {
        uint8_t states = 0;
        uint16_t characterId = 0;
        uint16_t depth = 0;
        Matrix16 matrix;
        ColorXform cxform;
    };

    // One action list and the transitions (bit 1 << event) that run it. `offset` is absolute
    // within the owning level's buffer, as the action queue wants it.
    struct ActionList {
        uint16_t conditions = 0;
        uint32_t offset = 0;
        uint32_t length = 0;
    };

    // A DefineButton's single action list runs on the release over the button (event 3).
    static constexpr uint16_t kReleaseCondition = 1u << 3;

    // Reads `button` (a character of type Button); a character of any other type gives empty
    // lists.
    static ButtonRecords Read(const Character& button);

    std::vector<Record> records;
    std::vector<ActionList> actions;
    bool trackAsMenu = false;
};

} // namespace tavro::player
