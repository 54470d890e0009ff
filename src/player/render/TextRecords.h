// Reads the records of a static text (DefineText, DefineText2) after its bounds, matrix and bit
// counts: style records that set the font, colour, pen position and height, and the glyph
// entries of the glyph records in between, each with the pen position it is drawn at. Reading
// stops at the end record, at a glyph record of no glyphs, or when the bytes run out.
#pragma once

#include "player/BitReader.h"

#include <cstdint>

namespace tavro::player::render {

struct TextRecord {
    enum Type : uint8_t { End, Style, Glyph };
    Type type = End;
    // Style: the flags byte (0x08 font, 0x04 colour, 0x02 y, 0x01 x) and the fields it gives.
    // The colour is 0xAARRGGBB; without alpha in the record its alpha is 255.
    uint8_t flags = 0;
    uint16_t fontId = 0;
    bool hasColor = false; // the colour was read whole
    uint32_t argb = 0;
    uint16_t height = 0;
    // Glyph: the glyph index and advance. Style and glyph: the pen after a style record, or
    // where the glyph is drawn.
    uint32_t glyph = 0;
    int32_t advance = 0;
    int64_t x = 0, y = 0;
};

class TextRecordReader {
public:
    // `in` stands at the first record; the bit counts come from the text's header.
    TextRecordReader(BitReader& in, unsigned glyphBits, unsigned advanceBits, bool alpha)
        : in_(in), glyphBits_(glyphBits), advanceBits_(advanceBits), alpha_(alpha) {}

    // The next style record or glyph entry; false at the end or when the data is damaged.
    bool Next(TextRecord& rec);

private:
    BitReader& in_;
    unsigned glyphBits_, advanceBits_;
    bool alpha_;
    unsigned glyphsLeft_ = 0; // entries still to come in the current glyph record
    int64_t x_ = 0, y_ = 0;
};

} // namespace tavro::player::render
