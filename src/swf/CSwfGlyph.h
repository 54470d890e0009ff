// One character of the per-export font of a text object: its code, its metrics from the last
// outline read, and what has been written for it in this export (its index in the DefineFont,
// or its own letter shape re-centred on the character's black box).
//
// Text is Windows-1252 single-byte text. Which bytes get a glyph and which count as printable
// letters is decided here, once, for the font, the layout, the depth count and the letter
// placements alike.
#pragma once

#include "base/CDoubleRect.h"
#include "swf/FontOutline.h"

#include <cstdint>

namespace tavro {

// A character that shows ink and is placed as a letter of its own: above the space, not DEL,
// and defined in Windows-1252 (0x81, 0x8D, 0x8F, 0x90 and 0x9D are not).
bool IsPrintableCharacter(uint8_t code);

// A character that gets a glyph in a text's font: every printable character and the space,
// whose glyph has no outline but carries the advance.
bool IsGlyphCharacter(uint8_t code);

class CSwfGlyph {
public:
    explicit CSwfGlyph(uint8_t code_) : code(code_) {}

    int32_t shapeId = -1;    // id of the letter shape; -1 when none was written
    int32_t glyphIndex = -1; // position in the DefineFont; -1 until the font is written
    uint8_t code = 0;        // Windows-1252 byte
    int32_t centreX = 0;     // re-centring offset of the letter shape, twips; 0 in font form
    int32_t centreY = 0;
    GlyphMetrics metrics; // from the last outline read (em units of the font used)
    bool written = false; // the letter form has been settled in this export
    CDoubleRect bounds;   // the re-centred letter shape's box, twips

    // The letter form wrote a shape for this glyph (it has ink).
    bool HasShape() const { return shapeId != -1; }
    // The centre offset as a point.
    CDoublePoint Centre() const {
        return {static_cast<double>(centreX), static_cast<double>(centreY)};
    }
};

} // namespace tavro
