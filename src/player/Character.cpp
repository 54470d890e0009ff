#include "player/Character.h"

#include "player/MovieLevel.h"

namespace tavro::player {

std::span<const uint8_t> Character::Bytes(const ByteRange& r) const {
    if (!r.present || !owner || !owner->SharedBytes())
        return {};
    const auto& buf = *owner->SharedBytes();
    if (r.offset > buf.size() || r.length > buf.size() - r.offset)
        return {};
    return {buf.data() + r.offset, r.length};
}

} // namespace tavro::player
