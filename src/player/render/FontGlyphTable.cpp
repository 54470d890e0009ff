#include "player/render/FontGlyphTable.h"

namespace tavro::player::render {

FontGlyphTable::FontGlyphTable(std::span<const uint8_t> data, uint8_t tagCode) : data_(data) {
    auto u16 = [&](size_t p) { return uint32_t(data[p] | (data[p + 1] << 8)); };
    if (tagCode == 10) {
        // The first offset is the size of the offset table.
        if (data.size() < 2)
            return;
        uint32_t first = u16(0);
        if (first < 2 || first > data.size())
            return;
        count_ = first / 2;
        tableStart_ = 0;
        shapesEnd_ = data.size();
        return;
    }
    if (tagCode != 48 || data.size() < 3)
        return;
    uint8_t flags = data[0];
    size_t p = 2;
    size_t nameLen = data[p++];
    p += nameLen;
    if (p + 2 > data.size())
        return;
    uint32_t glyphs = u16(p);
    p += 2;
    wide_ = (flags & 0x08) != 0;
    size_t offsetBytes = wide_ ? 4 : 2;
    tableStart_ = p;
    // The glyph offsets and the code-table offset after them must be present.
    if ((size_t(glyphs) + 1) * offsetBytes > data.size() - p)
        return;
    count_ = glyphs;
    uint32_t codeTable = OffsetAt(glyphs);
    shapesEnd_ = codeTable <= data.size() - tableStart_ ? tableStart_ + codeTable : data.size();
}

uint32_t FontGlyphTable::OffsetAt(uint32_t i) const {
    size_t p = tableStart_ + size_t(i) * (wide_ ? 4 : 2);
    if (wide_)
        return uint32_t(data_[p]) | (uint32_t(data_[p + 1]) << 8) | (uint32_t(data_[p + 2]) << 16) |
               (uint32_t(data_[p + 3]) << 24);
    return uint32_t(data_[p]) | (uint32_t(data_[p + 1]) << 8);
}

std::span<const uint8_t> FontGlyphTable::Glyph(uint32_t index) const {
    if (index >= count_)
        return {};
    size_t begin = tableStart_ + OffsetAt(index);
    size_t end = index + 1 < count_ ? tableStart_ + OffsetAt(index + 1) : shapesEnd_;
    if (begin >= end || end > data_.size() || end > shapesEnd_)
        return {};
    return data_.subspan(begin, end - begin);
}

} // namespace tavro::player::render
