#include "swf/CSwfGlyph.h"

#include "base/Cp1252.h"

namespace tavro {

bool IsPrintableCharacter(uint8_t code) {
    return code > 0x20 && code != 0x7F && Cp1252IsDefined(code);
}

bool IsGlyphCharacter(uint8_t code) {
    return code == 0x20 || IsPrintableCharacter(code);
}

} // namespace tavro
