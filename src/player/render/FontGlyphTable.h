// The glyph shapes of a DefineFont or DefineFont2 record: a glyph count and, per glyph, the
// bytes of its shape, all bounded by the record.
#pragma once

#include <cstdint>
#include <span>

namespace tavro::player::render {

class FontGlyphTable {
public:
    // `data`: the font record after its id; `tagCode`: 10 (DefineFont) or 48 (DefineFont2).
    FontGlyphTable(std::span<const uint8_t> data, uint8_t tagCode);

    uint32_t Count() const { return count_; }
    // The shape bytes of glyph `index` (empty when out of range or damaged).
    std::span<const uint8_t> Glyph(uint32_t index) const;

private:
    uint32_t OffsetAt(uint32_t i) const;

    std::span<const uint8_t> data_;
    size_t tableStart_ = 0; // offsets are relative to this position
    size_t shapesEnd_ = 0;  // end of the last glyph
    uint32_t count_ = 0;
    bool wide_ = false;
};

} // namespace tavro::player::render
