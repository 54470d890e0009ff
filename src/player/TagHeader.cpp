#include "player/TagHeader.h"

namespace tavro::player {

bool TagHeader::Read(const uint8_t* data, uint32_t limit, uint32_t pos, TagHeader& out) {
    if (pos > limit || limit - pos < 2)
        return false;
    uint32_t word = uint32_t(data[pos]) | (uint32_t(data[pos + 1]) << 8);
    uint64_t length = word & 0x3F;
    uint32_t p = pos + 2;
    if (length == 0x3F) {
        if (limit - p < 4)
            return false;
        length = uint64_t(data[p]) | (uint64_t(data[p + 1]) << 8) | (uint64_t(data[p + 2]) << 16) |
                 (uint64_t(data[p + 3]) << 24);
        p += 4;
    }
    if (length > uint64_t(limit - p))
        return false;
    out.code = uint16_t(word >> 6);
    out.start = pos;
    out.bodyPos = p;
    out.end = p + uint32_t(length);
    return true;
}

} // namespace tavro::player
