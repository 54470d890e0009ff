#include "swf/SwfRecords.h"

#include "base/Rounding.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CPath.h"
#include "swf/CSwfWriter.h"
#include "swfformat/ActionCodes.h"
#include "swfformat/TagCodes.h"

#include <algorithm>

namespace tavro {
namespace {

using namespace swfformat;

// Text record flags: a style record (top bit) with font, colour, Y offset and X offset.
constexpr uint8_t kTextStyle = 0x80;
constexpr uint8_t kTextHasFont = 0x08;
constexpr uint8_t kTextHasColor = 0x04;
constexpr uint8_t kTextHasY = 0x02;
constexpr uint8_t kTextHasX = 0x01;
// A glyph record's count is a byte whose top bit must stay clear.
constexpr uint32_t kMaxGlyphsPerRecord = 127;

// Font offsets are UI16 from the start of the offset table; an empty glyph takes two bytes (the
// two count nibbles and the end record). With this many glyphs the table and an empty glyph
// for each still fit.
constexpr size_t kMaxFontGlyphs = 16384;
constexpr uint32_t kMaxFontOffset = 0xFFFF;
constexpr uint32_t kEmptyGlyphSize = 2;

void PatchUI16(CSwfWriter& w, uint32_t at, uint32_t value) {
    w.SeekTo(at);
    w.WriteUI16(value);
    w.RestorePosition();
}

void PatchUI8(CSwfWriter& w, uint32_t at, uint32_t value) {
    w.SeekTo(at);
    w.WriteUI8(value);
    w.RestorePosition();
}

void WriteGlyphShape(CSwfWriter& w, const CPath* path) {
    w.WriteBits(1, 4); // one fill bit
    w.WriteBits(1, 4); // one line bit
    if (path != nullptr)
        path->WriteShapeRecords(w);
    else
        w.WriteBits(0, 6);
}

// Clears the bytes from `start` up to the cursor (a partly written byte included) and moves the
// cursor back to `start`, so that bit fields can be written there again.
void Rewind(CSwfWriter& w, uint32_t start) {
    const uint32_t endBits = w.GetPosition(false);
    const uint32_t end = (endBits + 7) / 8;
    w.SeekTo(start);
    for (uint32_t i = start; i < end; ++i)
        w.WriteUI8(0);
    w.SetPosition(start, 0);
}

} // namespace

void WriteDefineShape(CSwfWriter& w, uint16_t id, const IntRect& bounds, const CPath& path,
                      const CFillStyleColor* fill, const CLineStyle* line) {
    w.BeginTag(kTagDefineShape);
    w.WriteUI16(id);
    w.WriteRect(bounds.x0, bounds.y0, bounds.x1, bounds.y1);
    w.WriteUI8(fill ? 1 : 0);
    if (fill)
        fill->WriteFillStyle(w);
    w.WriteUI8(line ? 1 : 0);
    if (line)
        line->WriteLineStyle(w);
    w.Align();
    w.WriteBits(fill ? 1 : 0, 4);
    w.WriteBits(line ? 1 : 0, 4);
    path.WriteShapeRecords(w);
    w.EndTag();
}

SpriteTag BeginDefineSprite(CSwfWriter& w) {
    SpriteTag sprite;
    w.BeginTag(kTagDefineSprite);
    sprite.tagStart = w.GetTagStart();
    sprite.id = w.NextCharacterId();
    w.WriteUI16(sprite.id);
    w.WriteUI16(1); // one frame
    return sprite;
}

void EndDefineSprite(CSwfWriter& w, const SpriteTag& sprite) {
    w.WriteShowFrame();
    w.WriteEnd();
    w.SetTagStart(sprite.tagStart);
    w.EndTag();
}

void BeginDefineButton2(CSwfWriter& w, uint16_t id, bool menu,
                        std::span<const ButtonCharacter> characters) {
    w.BeginTag(kTagDefineButton2);
    w.WriteUI16(id);
    w.WriteUI8(menu ? 1 : 0);
    const uint32_t offsetAt = w.GetPosition(true);
    w.WriteUI16(0);
    for (const ButtonCharacter& c : characters) {
        w.WriteUI8(c.states);
        w.WriteUI16(c.characterId);
        w.WriteUI16(1); // depth
        w.WriteMatrix(65536, 0, 0, 65536, 0, 0);
        w.WriteCxform(256, 256, 256, 256, 0, 0, 0, 0);
    }
    w.WriteUI8(0);
    // Written even when no condition record with actions follows: the offset always points at
    // the first condition record, the empty one at least.
    PatchUI16(w, offsetAt, w.GetPosition(true) - offsetAt);
}

void EndDefineButton2(CSwfWriter& w) {
    w.WriteUI16(0);
    w.WriteUI16(0);
    w.WriteUI8(0);
    w.EndTag();
}

uint32_t BeginButtonCondition(CSwfWriter& w, uint16_t conditions) {
    w.Align();
    const uint32_t at = w.GetPosition(true);
    w.WriteUI16(0);
    w.WriteUI16(conditions);
    return at;
}

void EndButtonCondition(CSwfWriter& w, uint32_t sizePosition) {
    w.WriteUI8(0);
    PatchUI16(w, sizePosition, w.GetPosition(true) - sizePosition);
}

void BeginDoAction(CSwfWriter& w) {
    w.BeginTag(kTagDoAction);
}

void EndDoAction(CSwfWriter& w) {
    w.WriteUI8(0);
    w.EndTag();
}

void WriteActionGotoFrame(CSwfWriter& w, uint16_t frame, bool play) {
    w.WriteUI8(kActionGotoFrame);
    w.WriteUI16(2);
    w.WriteUI16(frame);
    if (play)
        WriteActionPlay(w);
}

void WriteActionGotoLabel(CSwfWriter& w, std::string_view label, bool play) {
    label = label.substr(0, 0xFFFE);
    w.WriteUI8(kActionGotoLabel);
    w.WriteString(label, true);
    if (play)
        WriteActionPlay(w);
}

void WriteActionNextFrame(CSwfWriter& w, bool play) {
    w.WriteUI8(kActionNextFrame);
    if (play)
        WriteActionPlay(w);
}

void WriteActionPreviousFrame(CSwfWriter& w, bool play) {
    w.WriteUI8(kActionPreviousFrame);
    if (play)
        WriteActionPlay(w);
}

void WriteActionGetUrl(CSwfWriter& w, std::string_view url, std::string_view target) {
    constexpr size_t kMaxText = 0xFFFF - 2; // both strings and their two terminators
    url = url.substr(0, kMaxText);
    target = target.substr(0, kMaxText - url.size());
    w.WriteUI8(kActionGetUrl);
    w.WriteUI16(static_cast<uint32_t>(url.size() + target.size() + 2));
    w.WriteString(url, false);
    w.WriteString(target, false);
}

void WriteActionPlay(CSwfWriter& w) {
    w.WriteUI8(kActionPlay);
}

void WriteActionStop(CSwfWriter& w) {
    w.WriteUI8(kActionStop);
}

uint16_t WriteDefineFont(CSwfWriter& w, std::span<const CPath* const> glyphs) {
    glyphs = glyphs.first(std::min(glyphs.size(), kMaxFontGlyphs));
    const uint32_t n = static_cast<uint32_t>(glyphs.size());
    w.BeginTag(kTagDefineFont);
    const uint16_t id = w.NextCharacterId();
    w.WriteUI16(id);
    const uint32_t table = w.GetPosition(true);
    w.SetPosition(table + 2 * n, 0);
    std::vector<uint32_t> offsets(n);
    for (uint32_t i = 0; i < n; ++i) {
        w.Align();
        const uint32_t start = w.GetPosition(true);
        offsets[i] = start - table;
        WriteGlyphShape(w, glyphs[i]);
        if (i + 1 < n) {
            // The glyphs after this one must still find room below the 16-bit offset limit,
            // each at least as an empty glyph; otherwise this outline gives way.
            const uint32_t end = (w.GetPosition(false) + 7) / 8 - table;
            if (uint64_t{end} + uint64_t{kEmptyGlyphSize} * (n - 2 - i) > kMaxFontOffset) {
                Rewind(w, start);
                WriteGlyphShape(w, nullptr);
            }
        }
    }
    w.SeekTo(table);
    for (uint32_t offset : offsets)
        w.WriteUI16(offset);
    w.RestorePosition();
    w.EndTag();
    return id;
}

void WriteDefineFontInfo(CSwfWriter& w, uint16_t fontId, std::string_view faceName,
                         std::span<const uint8_t> codes) {
    faceName = faceName.substr(0, 255);
    w.BeginTag(kTagDefineFontInfo);
    w.WriteUI16(fontId);
    w.WriteUI8(static_cast<uint32_t>(faceName.size()));
    for (char c : faceName)
        w.WriteUI8(static_cast<uint8_t>(c));
    w.WriteUI8(0); // no style flags
    for (uint8_t code : codes)
        w.WriteUI8(code);
    w.EndTag();
}

uint16_t WriteDefineText(CSwfWriter& w, const DefineTextStyle& style,
                         std::span<const DefineTextLetter> letters) {
    int glyphBits = std::max(
        1, CSwfWriter::UnsignedBitCount(style.fontGlyphCount > 0 ? style.fontGlyphCount - 1 : 0));
    int advanceBits = 1;
    for (const DefineTextLetter& letter : letters) {
        if (letter.glyphIndex < 0)
            continue;
        // An index beyond the font's count would lose its top bits; widen rather than corrupt.
        glyphBits = std::max(
            glyphBits, CSwfWriter::UnsignedBitCount(static_cast<uint32_t>(letter.glyphIndex)));
        advanceBits = std::max(advanceBits, CSwfWriter::SignedBitCount(RoundToInt(letter.advance)));
    }

    w.BeginTag(kTagDefineText);
    const uint16_t id = w.NextCharacterId();
    w.WriteUI16(id);
    const IntRect r = style.bounds.Round();
    w.WriteRect(r.x0, r.y0, r.x1, r.y1);
    w.WriteMatrix(65536, 0, 0, 65536, 0, 0);
    w.WriteUI8(static_cast<uint32_t>(glyphBits));
    w.WriteUI8(static_cast<uint32_t>(advanceBits));

    const int32_t firstX = RoundToInt(style.x);
    int32_t lineY = RoundToInt(style.y); // the y of the current line
    w.WriteUI8(kTextStyle | kTextHasFont | kTextHasColor | kTextHasY | kTextHasX);
    w.WriteUI16(style.fontId);
    w.WriteRGB(style.color, false);
    w.WriteUI16(static_cast<uint32_t>(firstX));
    w.WriteUI16(static_cast<uint32_t>(lineY));
    w.WriteUI16(static_cast<uint32_t>(style.fontSize) * 20u);

    uint32_t countAt = w.GetPosition(true);
    uint32_t count = 0;
    w.WriteUI8(0);
    // Where the reader's pen stands after the glyphs written so far.
    int64_t penX = firstX;
    for (size_t i = 0; i < letters.size(); ++i) {
        const DefineTextLetter& letter = letters[i];
        if (letter.glyphIndex >= 0) {
            if (count == kMaxGlyphsPerRecord) {
                PatchUI8(w, countAt, count);
                // Continue the line in a new record placed exactly where the pen stands.
                w.WriteUI8(kTextStyle | kTextHasY | kTextHasX);
                w.WriteUI16(static_cast<uint32_t>(penX));
                w.WriteUI16(static_cast<uint32_t>(lineY));
                countAt = w.GetPosition(true);
                count = 0;
                w.WriteUI8(0);
            }
            const int32_t advance = RoundToInt(letter.advance);
            w.WriteBits(letter.glyphIndex, glyphBits);
            w.WriteBits(advance, advanceBits);
            penX += advance;
            ++count;
        }
        const bool last = i + 1 == letters.size();
        if (letter.lineStep != 0.0 || last)
            PatchUI8(w, countAt, count);
        if (letter.lineStep != 0.0) {
            w.WriteUI8(kTextStyle | kTextHasY);
            lineY = RoundToInt(letter.y + letter.lineStep);
            w.WriteUI16(static_cast<uint32_t>(lineY));
            countAt = w.GetPosition(true);
            count = 0;
            w.WriteUI8(0);
        }
    }
    w.WriteUI8(0);
    w.EndTag();
    return id;
}

} // namespace tavro
