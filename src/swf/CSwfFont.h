// The font of one text object for one export: the distinct characters of the text, in the order
// they first occur, with their outlines read from the font service at write time. It writes
// itself in one of two forms:
//
// - font form: one DefineFont of every glyph on a 1024-unit em square and its DefineFontInfo,
//   for a DefineText that refers to the glyphs;
// - letter form: one DefineShape per glyph with ink, at the text's size in twips and re-centred
//   on the glyph's black box, so that every letter can be placed, scaled and turned on its own.
//   Glyphs added later (a cursor, say) are written by the next letter-form write.
//
// Glyphs are held by pointer: a glyph pointer stays valid while more glyphs are added.
#pragma once

#include "model/CColor.h"
#include "swf/CSwfGlyph.h"
#include "swf/FontService.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

class CPath;
class CSwfWriter;

class CSwfFont {
public:
    enum class Form { Font, Letters };

    // Em height of the glyphs of the font form.
    static constexpr int32_t kEmSquare = 1024;

    // Adds a glyph for every character of `text` that IsGlyphCharacter accepts.
    CSwfFont(std::string_view face, int32_t size, bool bold, bool italic, std::string_view text,
             const CColor& color, FontService& service = FontService::Shared());
    CSwfFont(const CSwfFont&) = delete;
    CSwfFont& operator=(const CSwfFont&) = delete;
    ~CSwfFont();

    // The array position of the glyph of `code`, adding a glyph (no ids, centre 0, not written)
    // at the end when there is none yet.
    size_t AddGlyph(uint8_t code);
    CSwfGlyph* FindGlyph(uint8_t code) const;
    CSwfGlyph& GetGlyph(size_t position) const { return *glyphs_[position]; }
    size_t GetGlyphCount() const { return glyphs_.size(); }
    std::string GetFaceName() const { return face_; }
    const CColor& GetColor() const { return color_; }
    int32_t GetSize() const { return size_; }
    // Id of the DefineFont; -1 until written.
    int32_t GetFontId() const { return fontId_; }

    // The font whose em height is size x 20, so that its outlines and metrics come out in twips.
    const FontRequest& GetSizeFont() const { return sizeFont_; }
    // The font whose em height is 1024, for the glyphs of the font form.
    const FontRequest& GetEmFont() const { return emFont_; }
    FontService& GetService() const { return service_; }

    // Font form: the DefineFont and DefineFontInfo (once per export; later calls write nothing).
    // Letter form: a DefineShape for every glyph not yet written.
    void WriteFont(CSwfWriter& writer, Form form);

    // Every glyph has been settled in letter form (true for a font without glyphs).
    bool AllGlyphsWritten() const;

    // The path of a native outline: one move-to per contour (the first with fill style 1), line
    // and quadratic nodes, a closing line where a contour does not end at its start; y is
    // negated to turn the font's y-up space into the movie's y-down space.
    static void OutlineToPath(const GlyphOutline& outline, CPath& path);

private:
    // Reads the outline of `glyph` with `font` into `path` and keeps its metrics.
    void ReadOutline(const FontRequest& font, CSwfGlyph& glyph, CPath& path);
    void WriteFontForm(CSwfWriter& writer);
    void WriteLetterForm(CSwfWriter& writer);

    FontService& service_;
    std::string face_;
    int32_t size_ = 0;
    CColor color_;
    FontRequest sizeFont_;
    FontRequest emFont_;
    int32_t fontId_ = -1;
    std::vector<int16_t> indexOfCode_; // array position by code, -1 for none
    std::vector<std::unique_ptr<CSwfGlyph>> glyphs_;
};

} // namespace tavro
