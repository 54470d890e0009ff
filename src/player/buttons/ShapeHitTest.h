// Point-in-shape test over a shape's records, in the shape's own coordinates (twips). Only the
// fills count (line styles are not part of a hit area). The rule is the scan converter's: every
// fill style keeps a count of the outline edges crossed left of the point that carry it on one
// side (with the edge's direction), and the point is inside when any count is not zero. So a hole
// cut out of a fill does not hit, and the hit area is exactly what is drawn. Curves are flattened
// to straight pieces.
#pragma once

#include <cstdint>
#include <span>

namespace tavro::player {

class ShapeHitTest {
public:
    // `data`: a DefineShape record after its bounds; `version` 1, 2 or 3 (DefineShape,
    // DefineShape2, DefineShape3). Damaged records end the outline where they start.
    static bool Contains(std::span<const uint8_t> data, int version, double x, double y);
};

} // namespace tavro::player
