// A text object: a block of text (its name; lines separated by CR LF) in one face, size, style
// and colour, with an alignment, at a position on the stage. Text is Windows-1252 single-byte
// text.
//
// It exports as one static text character (DefineText with a font of the text's glyphs) or, when
// a letter effect is on its timeline, as one letter shape per distinct character placed letter
// by letter, so that effects can move each letter on its own. Letter effects drive the letters
// through the public letter operations below (PlaceLetter, the letter records, their bounds).
//
// In the editor it measures and draws itself with the font service the export uses, so the
// stage shows the lines where the movie will show them.
//
// Archive form after the symbol part: version byte (1), face name, size, bold, italic,
// alignment, colour. Font, letters and the laid-out block are rebuilt by every export.
#pragma once

#include "base/CColorTransform.h"
#include "base/CDoublePoint.h"
#include "base/CDoubleRect.h"
#include "model/CColor.h"
#include "model/CMatrix3.h"
#include "model/CSymbolObj.h"
#include "model/DrawContext.h"
#include "model/TextLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

class CSwfFont;
class CSwfGlyph;
class FontService;
struct FontRequest;

// One character of a text during an export, line breaks included; also the record an effect
// keeps for a letter of its own (a cursor).
struct TextLetter {
    CSwfGlyph* glyph = nullptr; // the font's glyph of this character, or none
    CDoublePoint position;      // laid-out pen position plus the glyph's centre, twips
    int32_t stageDepth = 0;     // depth of the letter's placement; 0 = not placed
    CDoublePoint advance;       // from this letter's pen position to the next glyph's
    CMatrix3 lastMatrix;        // last values written for the letter
    CColorTransform lastColorTransform;
    CMatrix3 matrix; // current letter transform (letter effects change it)
    CColorTransform colorTransform;
    CMatrix3 restMatrix; // the letter at rest: translation to its position
    CColorTransform restColorTransform;
    CDoublePoint pen; // laid-out pen position (position minus the glyph's centre)
    uint8_t code = 0; // the character

    // The glyph exists and has a letter shape.
    bool HasShape() const;
    // Placed letter by letter: it has a shape and is a printable character.
    bool IsVisible() const;
    // No glyph, everything at zero, every transform the identity; the code stays.
    void Reset();
};

class CTextObj : public CSymbolObj {
    TAVRO_DECLARE_CLASS(CTextObj)
public:
    static constexpr const char* kDefaultText = "Text";
    static constexpr const char* kDefaultFace = "Arial";
    static constexpr int32_t kDefaultSize = 72;

    // A text "Text" without parent.
    CTextObj();
    CTextObj(std::string_view text, CTavroObj* parent);
    // Copies the symbol part (CopySymbol), face, bold, italic, size, colour and alignment.
    CTextObj(const CTextObj& other);
    ~CTextObj() override;

    void Serialize(Archive& ar) override;

    // The symbol parts are equal (IsEqualSymbol) and face (byte for byte), bold, italic, size,
    // colour and alignment are equal.
    bool IsEqualText(const CTextObj& other) const;
    // What the copy constructor copies.
    void CopyText(const CTextObj& other);

    // Fields.
    std::string GetText() const { return GetName(); }
    void SetText(std::string_view text) { SetName(text); }
    const std::string& GetFontFace() const { return fontFace_; }
    void SetFontFace(std::string_view face) { fontFace_.assign(face); }
    int32_t GetBold() const { return bold_; }
    void SetBold(int32_t bold) { bold_ = bold; }
    int32_t GetItalic() const { return italic_; }
    void SetItalic(int32_t italic) { italic_ = italic; }
    int32_t GetFontSize() const { return fontSize_; }
    void SetFontSize(int32_t size) { fontSize_ = size; }
    const CColor& GetColor() const { return color_; }
    void SetColor(const CColor& color) { color_ = color; }
    // 0 centre, 1 left, 2 right (TextAlignment).
    int32_t GetAlignment() const { return alignment_; }
    void SetAlignment(int32_t alignment) { alignment_ = alignment; }

    // Editor drawing.
    void Draw(DrawContext& dc, const IntRect& clip, bool selected) override;
    // The laid-out block in pixels, centred on the object's position.
    IntRect GetScreenRect() const override;
    // Inside GetScreenRect and on ink of the mask built by the last Draw.
    bool HitTestMask(int x, int y) const override;
    // The font of editor text output: face, size in pixels, style and colour.
    DrawFont GetDrawFont() const;
    // The alignment as text output takes it: left, right, or centred for anything else.
    DrawTextAlign GetDrawTextAlignment() const;

    // Export.
    void BeginExport(CSwfWriter& writer, int depth) override;
    bool DefineCharacter(CSwfWriter& writer) override;
    bool IsPlaced() const override;
    void SaveExportState() override;
    void RestoreExportState() override;
    void PlaceOrMove(CSwfWriter& writer, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    void RemoveFromStage(CSwfWriter& writer) override;
    void DefineSprite(CSwfWriter& writer) override;
    int GetOwnDepthCount() const override;
    CDoubleRect GetBounds() const override;
    bool HasLetterEffects() const override;
    bool IsVisibleOnStage() const override;
    void ResetLetters() override;

    // Letter operations, for letter effects.
    //
    // Every visible letter, in text order, with its own matrix and colour transform, combined
    // with the object's M and C.
    void PlaceLetters(CSwfWriter& writer, const CMatrix3& matrix, const CColorTransform& cxform);
    // Places or moves one letter: its matrix and colour transform become L and K; it is written
    // with L followed by M and with C whose alpha multiplier is scaled by K's. A letter new to
    // the stage takes the object's next depth. `letter` may be one of the text's letters or a
    // letter an effect keeps of its own.
    void PlaceLetter(TextLetter& letter, CSwfWriter& writer, const CMatrix3& letterMatrix,
                     const CColorTransform& letterCxform, const CMatrix3& matrix,
                     const CColorTransform& cxform);
    // Takes one letter off the display list, when it is there (a letter effect leaving it out
    // of a frame). Once no letter of the text is left there, the next letter placed starts
    // again at the object's depth.
    void RemoveLetter(TextLetter& letter, CSwfWriter& writer);
    // The font of this export exists and every glyph has its letter shape settled.
    bool AllLettersDefined() const;
    // Printable characters of the text (IsPrintableCharacter).
    int CountPrintable() const;
    // The glyph of `code` in the letter form, added to the font and written when it is not yet
    // there (a cursor, say). None before the export has built the font.
    CSwfGlyph* AddLetterGlyph(CSwfWriter& writer, uint8_t code);
    // The bounds of a letter's shape mapped by its current matrix; empty without a shape.
    static CDoubleRect GetLetterBounds(const TextLetter& letter);

    std::vector<TextLetter>& GetLetters() { return letters_; }
    const std::vector<TextLetter>& GetLetters() const { return letters_; }
    CSwfFont* GetFont() const { return font_.get(); }
    // The laid-out block in twips, centred on the origin.
    const CDoubleRect& GetTextRect() const { return textRect_; }

private:
    // Builds the font and the letter records of this export.
    void PrepareLetters();
    // Positions, rest placements and advances of the letters.
    void LayOut(bool letterForm);
    // The DefineText of the laid-out letters; its id becomes the object's character.
    void WriteTextCharacter(CSwfWriter& writer);
    // Removes every letter on the display list; true when there was one.
    bool RemoveLetters(CSwfWriter& writer);
    // The editor block in pixels relative to the object's position, cached per font and text.
    const TextBlockLayout& ScreenLayout() const;
    void DrawLines(DrawContext& dc, const IntRect& box, const DrawFont& font) const;

    std::string fontFace_ = kDefaultFace;
    int32_t bold_ = 0;
    int32_t italic_ = 0;
    int32_t fontSize_ = kDefaultSize;
    CColor color_;
    int32_t alignment_ = kAlignCentre;

    CDoubleRect textRect_;
    bool laidOut_ = false; // the letters of this export have their positions
    std::unique_ptr<CSwfFont> font_;
    // The depth for a letter that is not on stage yet.
    int32_t NewLetterDepth(const TextLetter& letter) const;

    std::vector<TextLetter> letters_;
    std::vector<TextLetter> savedLetters_;

    struct ScreenCache;
    mutable std::unique_ptr<ScreenCache> screen_;
};

} // namespace tavro
