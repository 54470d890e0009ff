// Adds the edges of shape-like characters to the frame, parsing their records as they are
// drawn: DefineShape/2/3 (style arrays, then shape records), font glyphs (shape records only,
// every fill taking the text colour) and morph shapes (start and end records interpolated by
// the object's ratio).
#pragma once

#include "player/BitReader.h"
#include "player/render/FrameBuilder.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tavro::player::render {

class CharacterSource;
class ShapeRecordReader;

class ShapeDrawer {
public:
    ShapeDrawer(FrameBuilder& frame, CharacterSource* source) : frame_(frame), source_(source) {}

    // `data`: a DefineShape record after its bounds; `version` 1, 2 or 3.
    void DrawShape(std::span<const uint8_t> data, int version, const DrawState& st);
    // `data`: one glyph's shape (fill and line bit counts, then records).
    void DrawGlyph(std::span<const uint8_t> data, ColorRecord* color, const DrawState& st);
    // `data`: a DefineMorphShape record after its id.
    void DrawMorph(std::span<const uint8_t> data, const DrawState& st);

    // The 16.16 interpolation value of a morph ratio: 0 -> 0, 65535 -> 65536.
    static int32_t MorphT(uint16_t ratio) { return int32_t(ratio) + (ratio >> 15); }

private:
    struct LineStyle {
        ColorRecord* record = nullptr;
        int64_t width = 0; // device units
    };
    struct Pen {
        int64_t x = 0, y = 0;
    };

    void ReadStyles(BitReader& in, int version, const DrawState& st);
    void ReadMorphStyles(BitReader& in, int32_t t, const DrawState& st);
    ColorRecord* Fill(uint32_t index) const;
    const LineStyle* Line(uint32_t index) const;
    void Walk(BitReader& in, ShapeRecordReader& records, int version, const DrawState& st);
    void ApplyStyleChange(const struct ShapeRecord& rec);
    void Segment(bool curve, Pen c, Pen p);

    FrameBuilder& frame_;
    CharacterSource* source_;
    std::vector<ColorRecord*> fills_;
    std::vector<LineStyle> lines_;
    size_t fillBase_ = 0, lineBase_ = 0; // first style of the current style arrays
    ColorRecord* glyphColor_ = nullptr;  // glyphs: every non-zero fill index
    bool drawLines_ = true;
    // Path state.
    Pen pen_;
    ColorRecord* fill0_ = nullptr;
    ColorRecord* fill1_ = nullptr;
    const LineStyle* line_ = nullptr;
    bool strokeOpen_ = false;
};

} // namespace tavro::player::render
