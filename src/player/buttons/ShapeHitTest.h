// Point-in-shape test over a shape's records, in the shape's own coordinates (twips). Only the
// fills count (line styles are not part of a hit area). Every fill style toggles at each outline
// edge that carries it on one side, the even-odd rule per style that the scan converter applies,
// so a hole cut out of a fill does not hit; curves are flattened to straight pieces.
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
