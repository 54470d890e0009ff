#include "player/render/TextDrawer.h"

#include "player/BitReader.h"
#include "player/render/CharacterSource.h"
#include "player/render/FontGlyphTable.h"
#include "player/render/ShapeDrawer.h"
#include "player/render/TextRecords.h"

namespace tavro::player::render {

void TextDrawer::DrawGlyph(std::span<const uint8_t> fontData, uint8_t fontTag, uint32_t glyph,
                           const Matrix16& glyphToObject, ColorRecord* color, const DrawState& st) {
    FontGlyphTable table(fontData, fontTag);
    std::span<const uint8_t> shape = table.Glyph(glyph);
    if (shape.empty())
        return;
    DrawState gs = st;
    gs.toDevice = Matrix16::Concat(glyphToObject, st.toDevice);
    shapes_.DrawGlyph(shape, color, gs);
}

void TextDrawer::Draw(std::span<const uint8_t> data, bool alpha, const DrawState& st) {
    BitReader in(data.data(), data.size());
    in.ReadRect();
    Matrix16 textMatrix = in.ReadMatrix();
    unsigned glyphBits = in.U8();
    unsigned advanceBits = in.U8();
    if (!in.ok() || glyphBits > 32 || advanceBits > 32)
        return;
    DrawState ts = st;
    ts.toDevice = Matrix16::Concat(textMatrix, st.toDevice);

    std::span<const uint8_t> font;
    uint8_t fontTag = 0;
    FontGlyphTable table({}, 0);
    ColorRecord* color = nullptr;
    int32_t height = 0;
    TextRecordReader records(in, glyphBits, advanceBits, alpha);
    TextRecord rec;
    while (records.Next(rec)) {
        if (rec.type == TextRecord::Style) {
            if (rec.flags & 0x08) {
                const bool haveFont = source_ && source_->Font(rec.fontId, font, fontTag);
                table = FontGlyphTable(haveFont ? font : std::span<const uint8_t>(), fontTag);
                height = rec.height;
            }
            if (rec.hasColor)
                color = frame_.Solid(rec.argb, ts);
            continue;
        }
        std::span<const uint8_t> shape = table.Glyph(rec.glyph);
        if (!shape.empty() && color) {
            // height / 1024 in 16.16 is height * 64.
            Matrix16 g = Matrix16::Scale(height * 64, height * 64);
            g.tx = int32_t(rec.x);
            g.ty = int32_t(rec.y);
            DrawState gs = ts;
            gs.toDevice = Matrix16::Concat(g, ts.toDevice);
            shapes_.DrawGlyph(shape, color, gs);
        }
    }
}

} // namespace tavro::player::render
