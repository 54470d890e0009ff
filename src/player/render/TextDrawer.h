// Adds the glyphs of a static text (DefineText, DefineText2) to the frame, record by record:
// style records set the font, colour, position and height; each glyph entry draws the font's
// glyph scaled by height / 1024 at the running position, which then moves right by the
// advance. One colour record serves every glyph of one colour.
#pragma once

#include "player/render/FrameBuilder.h"

#include <cstdint>
#include <span>

namespace tavro::player::render {

class CharacterSource;
class ShapeDrawer;

class TextDrawer {
public:
    TextDrawer(FrameBuilder& frame, ShapeDrawer& shapes, CharacterSource* source)
        : frame_(frame), shapes_(shapes), source_(source) {}

    // `data`: the text record after its id (bounds, matrix, bit counts, records); `alpha`: the
    // colours carry alpha (DefineText2).
    void Draw(std::span<const uint8_t> data, bool alpha, const DrawState& st);

    // Draws one glyph of `font` at `glyphToObject` (glyph units to object space) in `color`
    // (a straight 0xAARRGGBB colour); used by edit-text fields as well.
    void DrawGlyph(std::span<const uint8_t> fontData, uint8_t fontTag, uint32_t glyph,
                   const Matrix16& glyphToObject, ColorRecord* color, const DrawState& st);

private:
    FrameBuilder& frame_;
    ShapeDrawer& shapes_;
    CharacterSource* source_;
};

} // namespace tavro::player::render
