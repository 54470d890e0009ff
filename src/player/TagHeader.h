// Reads a tag header (code and length, short or long form) at an offset, checking that the
// header and the whole body lie before `limit`.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavro::player {

struct TagHeader {
    uint16_t code = 0;
    uint32_t start = 0;   // offset of the header
    uint32_t bodyPos = 0; // offset of the body
    uint32_t end = 0;     // offset just past the body

    // False when the header or the body is not complete before `limit` (which must not exceed
    // the size of `data`).
    static bool Read(const uint8_t* data, uint32_t limit, uint32_t pos, TagHeader& out);
};

} // namespace tavro::player
