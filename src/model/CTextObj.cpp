#include "model/CTextObj.h"

#include "base/Rounding.h"
#include "model/Archive.h"
#include "swf/CSwfFont.h"
#include "swf/CSwfGlyph.h"
#include "swf/CSwfWriter.h"
#include "swf/FontService.h"
#include "swf/SwfRecords.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CTextObj, CSymbolObj, 1)

namespace {

// PlaceObject2 and RemoveObject2 fields are 16 bits wide.
uint16_t Id16(int32_t id) {
    return static_cast<uint16_t>(id);
}

// Editor rectangles of hostile sizes or positions stay within int32 instead of overflowing.
int32_t ClampInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The hit-test mask covers at most this many pixels on a side; beyond it nothing is ink.
constexpr int64_t kMaxMaskSide = 8192;

CMatrix3 Translation(const CDoublePoint& p) {
    CMatrix3 m;
    m.SetTranslation(p.x, p.y);
    return m;
}

// The letter effects' base class, looked up by name so that text objects do not depend on the
// effects layer.
const ClassInfo* TextEffectClass() {
    static const ClassInfo* const info = ClassInfo::FromName("CTextEffectObj");
    return info;
}

} // namespace

// ---- TextLetter ----

bool TextLetter::HasShape() const {
    return glyph != nullptr && glyph->HasShape();
}

bool TextLetter::IsVisible() const {
    return HasShape() && IsPrintableCharacter(code);
}

void TextLetter::Reset() {
    const uint8_t keep = code;
    *this = TextLetter();
    code = keep;
}

// ---- Construction, copy, equality, archive ----

struct CTextObj::ScreenCache {
    std::string text;
    std::string face;
    int32_t size = 0;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t alignment = 0;
    TextBlockLayout layout; // pixels, centred on the object's position
};

CTextObj::CTextObj() : CTextObj(kDefaultText, nullptr) {}

CTextObj::CTextObj(std::string_view text, CTavroObj* parent) : CSymbolObj(parent) {
    SetName(text);
}

CTextObj::CTextObj(const CTextObj& other) : CSymbolObj(other) {
    CopyText(other);
}

CTextObj::~CTextObj() = default;

void CTextObj::CopyText(const CTextObj& other) {
    CopySymbol(other);
    fontFace_ = other.fontFace_;
    bold_ = other.bold_;
    italic_ = other.italic_;
    fontSize_ = other.fontSize_;
    color_ = other.color_;
    alignment_ = other.alignment_;
}

bool CTextObj::IsEqualText(const CTextObj& other) const {
    return IsEqualSymbol(other) && fontFace_ == other.fontFace_ && bold_ == other.bold_ &&
           italic_ == other.italic_ && fontSize_ == other.fontSize_ && color_ == other.color_ &&
           alignment_ == other.alignment_;
}

void CTextObj::Serialize(Archive& ar) {
    CSymbolObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteString(fontFace_);
        ar.WriteInt(fontSize_);
        ar.WriteInt(bold_);
        ar.WriteInt(italic_);
        ar.WriteInt(alignment_);
    } else {
        fontFace_ = ar.ReadString();
        fontSize_ = ar.ReadInt();
        bold_ = ar.ReadInt();
        italic_ = ar.ReadInt();
        alignment_ = ar.ReadInt();
    }
    ar.SerializeMember(color_);
}

// ---- Editor drawing ----

DrawFont CTextObj::GetDrawFont() const {
    DrawFont font;
    font.face = fontFace_;
    font.size = fontSize_;
    font.bold = bold_ != 0;
    font.italic = italic_ != 0;
    font.color = color_;
    return font;
}

DrawTextAlign CTextObj::GetDrawTextAlignment() const {
    switch (alignment_) {
    case kAlignLeft:
        return DrawTextAlign::Left;
    case kAlignRight:
        return DrawTextAlign::Right;
    default:
        return DrawTextAlign::Center;
    }
}

const TextBlockLayout& CTextObj::ScreenLayout() const {
    const std::string text = GetName();
    if (screen_ && screen_->text == text && screen_->face == fontFace_ &&
        screen_->size == fontSize_ && screen_->bold == bold_ && screen_->italic == italic_ &&
        screen_->alignment == alignment_)
        return screen_->layout;

    if (!screen_)
        screen_ = std::make_unique<ScreenCache>();
    ScreenCache& c = *screen_;
    c.text = text;
    c.face = fontFace_;
    c.size = fontSize_;
    c.bold = bold_;
    c.italic = italic_;
    c.alignment = alignment_;

    // The em font of the export, scaled to pixels: the lines fall where the movie puts them.
    FontService& service = FontService::Shared();
    const FontRequest em{fontFace_, CSwfFont::kEmSquare, bold_ != 0 ? 700 : 400, italic_ != 0};
    const TextMetrics metrics = service.GetTextMetrics(em).value_or(TextMetrics{});
    std::array<std::optional<int32_t>, 256> advances;
    auto advance = [&](size_t i) -> double {
        const auto code = static_cast<uint8_t>(text[i]);
        if (!IsGlyphCharacter(code))
            return 0.0;
        if (!advances[code]) {
            const std::optional<GlyphMetrics> m = service.GetGlyphMetrics(em, code);
            advances[code] = m ? m->cellIncX : 0;
        }
        return *advances[code];
    };
    const double scale = std::max(0, fontSize_) / static_cast<double>(CSwfFont::kEmSquare);
    c.layout = LayOutTextBlock(text, metrics, scale, alignment_, advance);
    return c.layout;
}

IntRect CTextObj::GetScreenRect() const {
    const TextBlockLayout& layout = ScreenLayout();
    const int64_t width = RoundToInt(layout.rect.x1 - layout.rect.x0);
    const int64_t height = RoundToInt(layout.rect.y1 - layout.rect.y0);
    const IntPoint centre = GetStagePosition().Round();
    const int64_t x0 = centre.x - width / 2;
    const int64_t y0 = centre.y - height / 2;
    return {ClampInt(x0), ClampInt(y0), ClampInt(x0 + width), ClampInt(y0 + height)};
}

void CTextObj::DrawLines(DrawContext& dc, const IntRect& box, const DrawFont& font) const {
    const TextBlockLayout& layout = ScreenLayout();
    const std::string text = GetName();
    const DrawTextAlign align = GetDrawTextAlignment();
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const TextLine& line = layout.lines[k];
        const int32_t top =
            ClampInt(box.y0 + int64_t{RoundToInt(static_cast<double>(k) * layout.lineStep)});
        const IntRect lineBox{box.x0, top, box.x1,
                              ClampInt(top + int64_t{RoundToInt(layout.lineHeight)})};
        dc.DrawText(lineBox, std::string_view(text).substr(line.begin, line.end - line.begin), font,
                    align);
    }
}

void CTextObj::Draw(DrawContext& dc, const IntRect& /*clip*/, bool selected) {
    const IntRect rect = GetScreenRect();
    DrawLines(dc, rect, GetDrawFont());

    if (selected) {
        dc.InvertRectOutline(rect);
        const IntPoint p = GetStagePosition().Round();
        const auto at = [](int32_t v, int d) { return ClampInt(int64_t{v} + d); };
        dc.InvertLine({at(p.x, -5), p.y}, {at(p.x, 5), p.y});
        dc.InvertLine({p.x, at(p.y, -5)}, {p.x, at(p.y, 5)});
    }

    // The hit-test mask: the same lines in black, relative to the rectangle.
    const int64_t width = int64_t{rect.x1} - rect.x0;
    const int64_t height = int64_t{rect.y1} - rect.y0;
    std::unique_ptr<DrawMask> mask =
        dc.CreateMask(static_cast<int32_t>(std::min(width, kMaxMaskSide)),
                      static_cast<int32_t>(std::min(height, kMaxMaskSide)));
    if (mask) {
        DrawFont ink = GetDrawFont();
        ink.color = CColor(0, 0, 0);
        DrawLines(mask->Context(), IntRect{0, 0, ClampInt(width), ClampInt(height)}, ink);
    }
    SetHitTestMask(std::move(mask));
}

bool CTextObj::HitTestMask(int x, int y) const {
    const DrawMask* mask = GetHitTestMask();
    if (mask == nullptr || !HitTest(x, y))
        return false;
    const IntRect rect = GetScreenRect();
    return mask->Test(ClampInt(int64_t{x} - rect.x0), ClampInt(int64_t{y} - rect.y0));
}

// ---- Export ----

void CTextObj::BeginExport(CSwfWriter& writer, int depth) {
    CSymbolObj::BeginExport(writer, depth);
    PrepareLetters();
}

void CTextObj::PrepareLetters() {
    const std::string text = GetName();
    textRect_ = CDoubleRect();
    laidOut_ = false;
    font_.reset();
    font_ =
        std::make_unique<CSwfFont>(fontFace_, fontSize_, bold_ != 0, italic_ != 0, text, color_);
    letters_.assign(text.size(), TextLetter());
    savedLetters_.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        TextLetter& letter = letters_[i];
        letter.code = static_cast<uint8_t>(text[i]);
        letter.glyph = font_->FindGlyph(letter.code);
    }
}

bool CTextObj::DefineCharacter(CSwfWriter& writer) {
    const bool letterForm = HasLetterEffects();
    if (!font_)
        PrepareLetters();
    if (letterForm ? (laidOut_ && AllLettersDefined()) : HasCharacter())
        return true;
    font_->WriteFont(writer, letterForm ? CSwfFont::Form::Letters : CSwfFont::Form::Font);
    LayOut(letterForm);
    if (!letterForm && GetExportState().characterId == 0)
        WriteTextCharacter(writer);
    return true;
}

void CTextObj::LayOut(bool letterForm) {
    FontService& service = font_->GetService();
    const FontRequest& request = letterForm ? font_->GetSizeFont() : font_->GetEmFont();
    // A size below 0 lays out like size 0: nothing shows.
    const double scale =
        letterForm ? 1.0 : std::max(0, fontSize_) * 20.0 / static_cast<double>(CSwfFont::kEmSquare);
    const TextMetrics metrics = service.GetTextMetrics(request).value_or(TextMetrics{});
    const std::string text = GetName();
    const TextBlockLayout layout =
        LayOutTextBlock(text, metrics, scale, alignment_, [this](size_t i) -> double {
            const CSwfGlyph* glyph = letters_[i].glyph;
            return glyph != nullptr ? glyph->metrics.cellIncX : 0.0;
        });
    textRect_ = layout.rect;
    laidOut_ = true;

    for (size_t i = 0; i < letters_.size(); ++i) {
        TextLetter& letter = letters_[i];
        if (IsLineBreak(letter.code))
            letter.Reset();
        letter.pen = layout.pens[i];
        letter.position = letter.pen;
        letter.advance = CDoublePoint();
    }
    TextLetter* previous = nullptr; // the last letter with a glyph
    for (const TextLine& line : layout.lines) {
        for (size_t i = line.begin; i < line.end; ++i) {
            TextLetter& letter = letters_[i];
            if (letter.glyph != nullptr)
                letter.position = letter.pen + letter.glyph->Centre();
            letter.restMatrix = Translation(letter.position);
            letter.matrix = letter.restMatrix;
            letter.restColorTransform = CColorTransform();
            letter.colorTransform = letter.restColorTransform;
            if (previous != nullptr)
                previous->advance = letter.pen - previous->pen;
            if (letter.glyph != nullptr)
                previous = &letter;
        }
    }
    // The last glyph advances to where a following letter would stand.
    if (previous != nullptr)
        previous->advance = CDoublePoint(previous->glyph->metrics.cellIncX * scale, 0.0);
}

void CTextObj::WriteTextCharacter(CSwfWriter& writer) {
    DefineTextStyle style;
    style.bounds = textRect_;
    style.fontId = static_cast<uint16_t>(std::max(0, font_->GetFontId()));
    style.color = color_;
    style.fontSize = fontSize_;
    style.fontGlyphCount = static_cast<uint32_t>(font_->GetGlyphCount());
    // The first record starts at the first letter that the DefineText draws.
    const TextLetter* first = letters_.empty() ? nullptr : &letters_.front();
    for (const TextLetter& letter : letters_) {
        if (letter.glyph != nullptr && letter.glyph->glyphIndex >= 0) {
            first = &letter;
            break;
        }
    }
    if (first != nullptr) {
        style.x = first->position.x;
        style.y = first->position.y;
    }
    std::vector<DefineTextLetter> records;
    records.reserve(letters_.size());
    for (const TextLetter& letter : letters_) {
        DefineTextLetter r;
        r.glyphIndex = letter.glyph != nullptr ? letter.glyph->glyphIndex : -1;
        r.advance = letter.advance.x;
        r.y = letter.pen.y;
        r.lineStep = letter.advance.y;
        records.push_back(r);
    }
    GetExportState().characterId = ::tavro::WriteDefineText(writer, style, records);
}

bool CTextObj::AllLettersDefined() const {
    return font_ != nullptr && font_->AllGlyphsWritten();
}

int CTextObj::CountPrintable() const {
    const std::string text = GetName();
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return IsPrintableCharacter(static_cast<uint8_t>(c));
    }));
}

CSwfGlyph* CTextObj::AddLetterGlyph(CSwfWriter& writer, uint8_t code) {
    if (!font_)
        return nullptr;
    font_->AddGlyph(code);
    font_->WriteFont(writer, CSwfFont::Form::Letters);
    return font_->FindGlyph(code);
}

bool CTextObj::IsPlaced() const {
    if (CSymbolObj::IsPlaced())
        return true;
    if (!AllLettersDefined())
        return false;
    bool any = false;
    for (const TextLetter& letter : letters_) {
        if (!letter.IsVisible())
            continue;
        if (letter.stageDepth < 1)
            return false;
        any = true;
    }
    return any;
}

void CTextObj::SaveExportState() {
    CSymbolObj::SaveExportState();
    savedLetters_ = letters_;
}

void CTextObj::RestoreExportState() {
    // What stands on the display list comes back; the letters' current transforms stay.
    const size_t n = std::min(letters_.size(), savedLetters_.size());
    for (size_t i = 0; i < n; ++i) {
        letters_[i].stageDepth = savedLetters_[i].stageDepth;
        letters_[i].lastMatrix = savedLetters_[i].lastMatrix;
        letters_[i].lastColorTransform = savedLetters_[i].lastColorTransform;
    }
    CSymbolObj::RestoreExportState();
}

void CTextObj::PlaceOrMove(CSwfWriter& writer, const CMatrix3& matrix,
                           const CColorTransform& cxform) {
    if (GetExportState().characterId < 1)
        PlaceLetters(writer, matrix, cxform);
    else
        CSymbolObj::PlaceOrMove(writer, matrix, cxform);
}

void CTextObj::PlaceLetters(CSwfWriter& writer, const CMatrix3& matrix,
                            const CColorTransform& cxform) {
    for (TextLetter& letter : letters_) {
        if (!letter.IsVisible())
            continue;
        const CMatrix3 letterMatrix = letter.matrix;
        const CColorTransform letterCxform = letter.colorTransform;
        PlaceLetter(letter, writer, letterMatrix, letterCxform, matrix, cxform);
    }
}

void CTextObj::PlaceLetter(TextLetter& letter, CSwfWriter& writer, const CMatrix3& letterMatrix,
                           const CColorTransform& letterCxform, const CMatrix3& matrix,
                           const CColorTransform& cxform) {
    letter.matrix = letterMatrix;
    letter.colorTransform = letterCxform;
    if (!letter.HasShape())
        return; // nothing to show

    const CMatrix3 placed = letterMatrix.Product(matrix);
    CColorTransform placedCxform = cxform;
    placedCxform.alphaMult =
        static_cast<int32_t>((int64_t{cxform.alphaMult} * letterCxform.alphaMult + 128) / 256);

    SymbolExportState& s = GetExportState();
    if (s.stageDepth == 0)
        s.stageDepth = s.depth;
    if (letter.stageDepth == 0) {
        letter.stageDepth = NewLetterDepth(letter);
        s.stageDepth = letter.stageDepth + 1;
        writer.WritePlaceObject2(Id16(letter.glyph->shapeId), &placed, &placedCxform,
                                 Id16(letter.stageDepth), false);
    } else {
        const bool matrixChanged = !placed.IsEqual(letter.lastMatrix);
        const bool cxformChanged = placedCxform != letter.lastColorTransform;
        if (matrixChanged || cxformChanged)
            writer.WritePlaceObject2(0, matrixChanged ? &placed : nullptr,
                                     cxformChanged ? &placedCxform : nullptr,
                                     Id16(letter.stageDepth), true);
    }
    letter.lastMatrix = placed;
    letter.lastColorTransform = placedCxform;
}

int32_t CTextObj::NewLetterDepth(const TextLetter& letter) const {
    // Letters take depths in the order they are placed. A letter placed again while others are
    // still on stage (after a remove-style effect) takes the lowest free depth of the text's
    // own range, so it never lands on another letter or beyond the range on another object.
    // Letters that are not the text's own (a typewriter's cursor) keep the depth asked for.
    const SymbolExportState& s = GetExportState();
    const bool own = !letters_.empty() && &letter >= letters_.data() &&
                     &letter < letters_.data() + letters_.size();
    if (!own)
        return s.stageDepth;
    const auto used = [this](int32_t depth) {
        return std::any_of(letters_.begin(), letters_.end(),
                           [depth](const TextLetter& l) { return l.stageDepth == depth; });
    };
    const int32_t end = s.depth + CountPrintable();
    if (s.stageDepth < end && !used(s.stageDepth))
        return s.stageDepth;
    for (int32_t depth = s.depth; depth < end; ++depth)
        if (!used(depth))
            return depth;
    return s.stageDepth;
}

bool CTextObj::RemoveLetters(CSwfWriter& writer) {
    bool any = false;
    for (TextLetter& letter : letters_) {
        if (letter.stageDepth >= 1) {
            writer.WriteRemoveObject2(Id16(letter.stageDepth));
            letter.stageDepth = 0;
            any = true;
        }
    }
    return any;
}

void CTextObj::RemoveLetter(TextLetter& letter, CSwfWriter& writer) {
    if (letter.stageDepth < 1)
        return;
    writer.WriteRemoveObject2(Id16(letter.stageDepth));
    letter.stageDepth = 0;
    const bool anyLeft = std::any_of(letters_.begin(), letters_.end(),
                                     [](const TextLetter& l) { return l.stageDepth >= 1; });
    if (!anyLeft)
        GetExportState().stageDepth = 0;
}

void CTextObj::RemoveFromStage(CSwfWriter& writer) {
    CSymbolObj::RemoveFromStage(writer);
    if (RemoveLetters(writer))
        GetExportState().stageDepth = 0;
}

void CTextObj::DefineSprite(CSwfWriter& writer) {
    if (!HasLetterEffects()) {
        CSymbolObj::DefineSprite(writer);
        return;
    }
    // Inside the sprite the letters stand alone from depth 1 and are placed anew; outside
    // everything stays as it was.
    SymbolExportState& s = GetExportState();
    const SymbolExportState outside = s;
    const std::vector<TextLetter> outsideLetters = letters_;
    for (TextLetter& letter : letters_)
        letter.stageDepth = 0;
    s.depth = 1;
    s.stageDepth = 0;
    s.placed = false;
    const SpriteTag sprite = BeginDefineSprite(writer);
    PlaceLetters(writer, CMatrix3(), CColorTransform());
    EndDefineSprite(writer, sprite);
    s = outside;
    s.spriteId = sprite.id;
    for (size_t i = 0; i < letters_.size(); ++i) {
        letters_[i].stageDepth = outsideLetters[i].stageDepth;
        letters_[i].lastMatrix = outsideLetters[i].lastMatrix;
        letters_[i].lastColorTransform = outsideLetters[i].lastColorTransform;
    }
}

int CTextObj::GetOwnDepthCount() const {
    return HasLetterEffects() ? CountPrintable() : 1;
}

CDoubleRect CTextObj::GetLetterBounds(const TextLetter& letter) {
    if (!letter.HasShape())
        return {};
    return letter.matrix.TransformRect(letter.glyph->bounds);
}

CDoubleRect CTextObj::GetBounds() const {
    if (!AllLettersDefined())
        return HasCharacter() ? textRect_ : CDoubleRect();
    CDoubleRect bounds;
    for (const TextLetter& letter : letters_) {
        if (letter.HasShape())
            bounds.Union(GetLetterBounds(letter));
    }
    return bounds;
}

bool CTextObj::HasLetterEffects() const {
    const ClassInfo* letterEffect = TextEffectClass();
    if (letterEffect == nullptr)
        return false;
    for (const auto& effect : GetEffectList().GetChildList()) {
        if (effect->IsKindOf(letterEffect))
            return true;
    }
    return false;
}

bool CTextObj::IsVisibleOnStage() const {
    if (!CSymbolObj::IsVisibleOnStage())
        return false;
    // Shown as one character, or not shown letter by letter: the object's own answer holds.
    if (CSymbolObj::IsPlaced() || IsButtonOnStage() || !AllLettersDefined())
        return true;
    return std::any_of(letters_.begin(), letters_.end(), [](const TextLetter& letter) {
        return letter.HasShape() && letter.stageDepth >= 1 &&
               letter.lastColorTransform.alphaMult > 0;
    });
}

void CTextObj::ResetLetters() {
    for (TextLetter& letter : letters_) {
        letter.restMatrix = Translation(letter.position);
        letter.matrix = letter.restMatrix;
        letter.restColorTransform = CColorTransform();
        letter.colorTransform = CColorTransform();
    }
}

} // namespace tavro
