// Definition and action records written through a CSwfWriter: DefineShape, DefineSprite framing,
// the DefineButton2 layout, DoAction, action records, DefineFont with DefineFontInfo, and
// DefineText. The callers (shapes, symbols, buttons, events, fonts, text objects) bring their
// own data in the small plain structures below.
//
// Character ids: the functions that say they take an id call NextCharacterId themselves and
// return it; the others write the id they are given.
#pragma once

#include "base/CDoubleRect.h"
#include "base/IntRect.h"
#include "model/CColor.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tavro {

class CFillStyleColor;
class CLineStyle;
class CPath;
class CSwfWriter;

// ---- Shapes ----

// DefineShape: id, bounds, a fill array with `fill` if given, a line array with `line` if
// given, one fill bit and one line bit when the style exists, the path's shape records.
void WriteDefineShape(CSwfWriter& w, uint16_t id, const IntRect& bounds, const CPath& path,
                      const CFillStyleColor* fill, const CLineStyle* line);

// ---- Sprites ----

struct SpriteTag {
    uint16_t id = 0;
    uint32_t tagStart = 0;
};
// Opens a DefineSprite of one frame and takes its id. The caller writes the inner tags (each
// framed by its own BeginTag / EndTag), then closes it with EndDefineSprite, which adds
// ShowFrame and End and patches the sprite's length over everything inside.
SpriteTag BeginDefineSprite(CSwfWriter& w);
void EndDefineSprite(CSwfWriter& w, const SpriteTag& sprite);

// ---- Buttons ----

enum ButtonState : uint8_t { kButtonUp = 1, kButtonOver = 2, kButtonDown = 4, kButtonHitTest = 8 };

struct ButtonCharacter {
    uint8_t states = 0; // ButtonState bits
    uint16_t characterId = 0;
};
// Opens a DefineButton2: id, menu flag, one record per entry (depth 1, identity matrix and colour
// transform), the end of the records, and the action offset pointing just after them. The
// caller then writes its condition records and closes with EndDefineButton2.
void BeginDefineButton2(CSwfWriter& w, uint16_t id, bool menu,
                        std::span<const ButtonCharacter> characters);
// The empty condition record that ends every list (0, 0, 0 in 2 + 2 + 1 bytes), then EndTag.
void EndDefineButton2(CSwfWriter& w);
// A condition record of its own size: BeginButtonCondition writes the size placeholder and the
// condition word and returns the placeholder's position; the caller writes action records;
// EndButtonCondition writes the end-of-actions byte and patches the size.
uint32_t BeginButtonCondition(CSwfWriter& w, uint16_t conditions);
void EndButtonCondition(CSwfWriter& w, uint32_t sizePosition);

// ---- Frame actions ----

// DoAction: BeginDoAction opens the tag; the caller writes action records; EndDoAction writes
// the end-of-actions byte and closes the tag.
void BeginDoAction(CSwfWriter& w);
void EndDoAction(CSwfWriter& w);

// ---- Action records ----
// With `play` set, a go-to record is followed by a play record.

void WriteActionGotoFrame(CSwfWriter& w, uint16_t frame, bool play);
// A label longer than 65,534 bytes is cut so that its length field stays true.
void WriteActionGotoLabel(CSwfWriter& w, std::string_view label, bool play);
void WriteActionNextFrame(CSwfWriter& w, bool play);
void WriteActionPreviousFrame(CSwfWriter& w, bool play);
// URL and target together must fit the 16-bit length field: the target is cut first, then the
// URL, so the record is never corrupt.
void WriteActionGetUrl(CSwfWriter& w, std::string_view url, std::string_view target);
void WriteActionPlay(CSwfWriter& w);
void WriteActionStop(CSwfWriter& w);

// ---- Fonts ----

// DefineFont with one glyph per path (null: an empty glyph), in order, each with one fill bit
// and one line bit. Takes and returns the font id. The offset table is 16-bit: a glyph whose
// outline would push the glyphs after it beyond it is written empty (see docs/paths.md).
uint16_t WriteDefineFont(CSwfWriter& w, std::span<const CPath* const> glyphs);
// DefineFontInfo: the face name (at most 255 bytes), no style flags, one code byte per glyph.
void WriteDefineFontInfo(CSwfWriter& w, uint16_t fontId, std::string_view faceName,
                         std::span<const uint8_t> codes);

// ---- Static text ----

struct DefineTextStyle {
    CDoubleRect bounds; // rounded into the RECT
    uint16_t fontId = 0;
    CColor color;   // written as RGB
    double x = 0.0; // pen position of the first letter
    double y = 0.0;
    int32_t fontSize = 0; // pixels; the text height is fontSize x 20 twips
    uint32_t fontGlyphCount = 0;
};
struct DefineTextLetter {
    int32_t glyphIndex = -1; // below 0: no glyph, nothing written
    double advance = 0.0;    // horizontal, to the next letter's pen position
    double y = 0.0;          // the letter's pen y
    double lineStep = 0.0;   // vertical distance to the next letter's line; 0 on the same line
};
// DefineText: takes and returns the text id. Glyph records are cut at line changes and, because
// a record holds at most 127 glyphs, after every 127 glyphs: the next record then gives both
// offsets, the pen's x and the line's y, so the line goes on exactly where it stood.
uint16_t WriteDefineText(CSwfWriter& w, const DefineTextStyle& style,
                         std::span<const DefineTextLetter> letters);

} // namespace tavro
