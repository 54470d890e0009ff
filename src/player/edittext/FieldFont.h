// The font an edit-text field lays out and draws with: a font character (the field's own
// outline font, or a font of the device-font level) with its character codes, advances and
// vertical metrics, or, when no such character exists, fallback metrics that lay the text out
// without drawing it.
//
// Metrics are kept in em units (1024 per em, the glyph space of font characters) and scaled to
// the field's height in twips. Fonts without an advance table get their advances from the glyph
// outlines: the rightmost outline coordinate plus the left side bearing, so a glyph keeps the
// same space on both sides; a glyph without outline (a blank) advances a quarter em.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavro::player {

class Character;
class PlayerCore;
struct EditTextRecord;

class FieldFont {
public:
    static constexpr int32_t kEm = 1024;

    // Metrics-only fallback at `height` twips.
    explicit FieldFont(int32_t height = 360);
    // The glyphs and metrics of font character `font` at `height` twips (fallback metrics when
    // `font` is not a usable font character).
    FieldFont(const Character* font, int32_t height);

    // The font of a field: its own outline font when the record asks for outlines; otherwise the
    // device font (of the device-font level) that the named font selects.
    static FieldFont Resolve(PlayerCore& core, const Character& field, const EditTextRecord& rec);
    // Device font character id for a font name and style: "_sans" 9, "_typewriter" 17, any other
    // name 1; 2 more for bold and 2 more for italic.
    static uint16_t DeviceFontId(std::string_view name, bool bold, bool italic);

    // The font character whose glyphs are drawn; nullptr when the text is laid out only.
    const Character* GlyphFont() const { return font_; }
    int32_t Height() const { return height_; }
    // Text in this font is Shift-JIS: a lead byte and its trail byte form one character.
    bool DoubleByte() const { return doubleByte_; }

    std::optional<uint32_t> GlyphIndex(char16_t c) const;
    // Advance of `c` in twips.
    int32_t Advance(char16_t c) const;
    int32_t Ascent() const { return Scale(ascentEm_); }
    int32_t Descent() const { return Scale(descentEm_); }

private:
    void LoadFont(const Character& font);
    int32_t Scale(int32_t em) const;
    static int32_t FallbackAdvanceEm(char16_t c);

    const Character* font_ = nullptr;
    int32_t height_ = 360;
    bool doubleByte_ = false;
    int32_t ascentEm_ = 0;
    int32_t descentEm_ = 0;
    std::unordered_map<char16_t, uint32_t> glyphOf_;
    std::vector<int32_t> advanceEm_; // per glyph
};

} // namespace tavro::player
