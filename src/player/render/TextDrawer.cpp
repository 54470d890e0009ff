#include "player/render/TextDrawer.h"

#include "player/BitReader.h"
#include "player/render/CharacterSource.h"
#include "player/render/FontGlyphTable.h"
#include "player/render/ShapeDrawer.h"

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
    bool haveFont = false;
    ColorRecord* color = nullptr;
    int64_t x = 0, y = 0;
    int32_t height = 0;
    while (in.ok()) {
        uint8_t flags = in.U8();
        if (flags == 0 || !in.ok())
            break;
        if (flags & 0x80) {
            if (flags & 0x08) {
                uint16_t id = in.U16();
                haveFont = source_ && source_->Font(id, font, fontTag);
            }
            if (flags & 0x04) {
                uint32_t r = in.U8(), g = in.U8(), b = in.U8();
                uint32_t a = alpha ? in.U8() : 255;
                if (in.ok())
                    color = frame_.Solid((a << 24) | (r << 16) | (g << 8) | b, ts);
            }
            if (flags & 0x01)
                x = in.S16();
            if (flags & 0x02)
                y = in.S16();
            if (flags & 0x08)
                height = in.U16();
            continue;
        }
        // A glyph record: the low 7 bits count the entries.
        unsigned count = flags & 0x7F;
        FontGlyphTable table(haveFont ? font : std::span<const uint8_t>(), fontTag);
        for (unsigned i = 0; i < count && in.ok(); ++i) {
            uint32_t glyph = in.UBits(glyphBits);
            int32_t advance = in.SBits(advanceBits);
            std::span<const uint8_t> shape = table.Glyph(glyph);
            if (!shape.empty() && color && in.ok()) {
                // height / 1024 in 16.16 is height * 64.
                Matrix16 g = Matrix16::Scale(height * 64, height * 64);
                g.tx = int32_t(x);
                g.ty = int32_t(y);
                DrawState gs = ts;
                gs.toDevice = Matrix16::Concat(g, ts.toDevice);
                shapes_.DrawGlyph(shape, color, gs);
            }
            x += advance;
            x = x > INT32_MAX / 2 ? INT32_MAX / 2 : x < INT32_MIN / 2 ? INT32_MIN / 2 : x;
        }
        in.Align();
    }
}

} // namespace tavro::player::render
