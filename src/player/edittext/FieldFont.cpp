#include "player/edittext/FieldFont.h"

#include "base/AsciiCase.h"
#include "player/BitReader.h"
#include "player/Character.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/edittext/EditTextRecord.h"
#include "player/render/FontGlyphTable.h"
#include "swfformat/TagCodes.h"

#include <algorithm>
#include <cctype>

namespace tavro::player {

using namespace swfformat;

namespace {

// Vertical metrics of fonts without a layout table, and of the fallback, in em units.
constexpr int32_t kOutlineAscent = 880;
constexpr int32_t kOutlineDescent = 224;
constexpr int32_t kFallbackAscent = 912;
constexpr int32_t kFallbackDescent = 221;
constexpr int32_t kBlankAdvance = FieldFont::kEm / 4;
constexpr int32_t kMaxAdvance = 4 * FieldFont::kEm;

// What the font record (DefineFont2) or its attached info record (DefineFont) says about the
// face: its name, style and the character code of every glyph.
struct FaceInfo {
    std::string_view name;
    bool bold = false;
    bool italic = false;
    bool shiftJis = false;
    bool wideCodes = false;
    std::span<const uint8_t> codes;
    // DefineFont2 layout: vertical metrics and one advance per glyph.
    bool hasLayout = false;
    int32_t ascent = 0;
    int32_t descent = 0;
    std::span<const uint8_t> advances;
};

bool ReadFace(const Character& font, uint32_t glyphCount, FaceInfo& out) {
    if (font.tagCode == kTagDefineFont2) {
        std::span<const uint8_t> d = font.Data();
        BitReader r(d.data(), d.size());
        uint8_t flags = r.U8();
        r.U8(); // language
        uint8_t nameLen = r.U8();
        if (!r.ok() || r.Remaining() < nameLen)
            return false;
        out.name = std::string_view(reinterpret_cast<const char*>(d.data()) + r.Pos(), nameLen);
        r.Skip(nameLen);
        uint32_t glyphs = r.U16();
        size_t tableStart = r.Pos();
        const bool wideOffsets = flags & 0x08;
        out.wideCodes = flags & 0x04;
        out.bold = flags & 0x01;
        out.italic = flags & 0x02;
        out.shiftJis = flags & 0x40;
        r.Skip(size_t(glyphs) * (wideOffsets ? 4 : 2));
        uint32_t codeOffset = wideOffsets ? r.U32() : r.U16();
        if (!r.ok() || codeOffset > d.size() - tableStart)
            return false;
        size_t codeStart = tableStart + codeOffset;
        size_t codeBytes = size_t(glyphs) * (out.wideCodes ? 2 : 1);
        if (codeBytes > d.size() - codeStart)
            return true; // glyphs without codes: nothing can be looked up
        out.codes = d.subspan(codeStart, codeBytes);
        if (flags & 0x80) {
            r.Seek(codeStart + codeBytes);
            out.ascent = r.S16();
            out.descent = r.S16();
            r.S16(); // the font's own leading; the field's leading applies
            size_t advBytes = size_t(glyphs) * 2;
            if (r.ok() && r.Remaining() >= advBytes) {
                out.hasLayout = true;
                out.advances = d.subspan(r.Pos(), advBytes);
            }
        }
        return true;
    }
    if (font.tagCode != kTagDefineFont || !font.infoData.present)
        return font.tagCode == kTagDefineFont;
    std::span<const uint8_t> info = font.Bytes(font.infoData);
    BitReader r(info.data(), info.size());
    uint8_t nameLen = r.U8();
    if (!r.ok() || r.Remaining() < nameLen)
        return false;
    out.name = std::string_view(reinterpret_cast<const char*>(info.data()) + r.Pos(), nameLen);
    r.Skip(nameLen);
    uint8_t flags = r.U8();
    if (!r.ok())
        return false;
    out.wideCodes = flags & 0x01;
    out.bold = flags & 0x02;
    out.italic = flags & 0x04;
    out.shiftJis = flags & 0x10;
    size_t codeBytes =
        std::min<size_t>(size_t(glyphCount) * (out.wideCodes ? 2 : 1), r.Remaining());
    out.codes = info.subspan(r.Pos(), codeBytes);
    return true;
}

// Horizontal extent of a glyph outline (shape records without styles). False when the outline
// has no points.
bool OutlineXRange(std::span<const uint8_t> shape, int64_t& xmin, int64_t& xmax) {
    BitReader r(shape.data(), shape.size());
    uint8_t bits = r.U8();
    const unsigned fillBits = bits >> 4, lineBits = bits & 0x0F;
    int64_t x = 0;
    bool any = false;
    auto add = [&](int64_t v) {
        xmin = any ? std::min(xmin, v) : v;
        xmax = any ? std::max(xmax, v) : v;
        any = true;
    };
    while (r.ok()) {
        if (r.UBits(1) == 0) {
            unsigned flags = r.UBits(5);
            if (flags == 0 || (flags & 0x10))
                break;
            if (flags & 0x01) {
                unsigned n = r.UBits(5);
                x = r.SBits(n);
                r.SBits(n);
            }
            if (flags & 0x02)
                r.UBits(fillBits);
            if (flags & 0x04)
                r.UBits(fillBits);
            if (flags & 0x08)
                r.UBits(lineBits);
            continue;
        }
        const bool straight = r.UBits(1);
        const unsigned n = r.UBits(4) + 2;
        if (!r.ok())
            break;
        if (straight) {
            int64_t dx = 0;
            if (r.UBits(1)) {
                dx = r.SBits(n);
                r.SBits(n);
            } else if (r.UBits(1) == 0) {
                dx = r.SBits(n);
            } else {
                r.SBits(n);
            }
            if (!r.ok())
                break;
            add(x);
            x += dx;
            add(x);
        } else {
            int64_t cx = r.SBits(n);
            r.SBits(n);
            int64_t ax = r.SBits(n);
            r.SBits(n);
            if (!r.ok())
                break;
            add(x);
            add(x + cx);
            x += cx + ax;
            add(x);
        }
    }
    return any;
}

} // namespace

FieldFont::FieldFont(int32_t height)
    : height_(height), ascentEm_(kFallbackAscent), descentEm_(kFallbackDescent) {}

FieldFont::FieldFont(const Character* font, int32_t height) : FieldFont(height) {
    if (font && font->type == CharacterType::Font)
        LoadFont(*font);
}

void FieldFont::LoadFont(const Character& font) {
    render::FontGlyphTable table(font.Data(), font.tagCode);
    FaceInfo face;
    if (!ReadFace(font, table.Count(), face) || face.codes.empty())
        return; // no character maps to a glyph: lay out with the fallback metrics
    font_ = &font;
    doubleByte_ = face.shiftJis;
    const size_t codeSize = face.wideCodes ? 2 : 1;
    const uint32_t coded = uint32_t(face.codes.size() / codeSize);
    glyphOf_.reserve(coded);
    for (uint32_t i = 0; i < coded && i < table.Count(); ++i) {
        char16_t code = face.wideCodes ? char16_t(face.codes[2 * i] | (face.codes[2 * i + 1] << 8))
                                       : char16_t(face.codes[i]);
        glyphOf_.emplace(code, i); // the first glyph of a code wins
    }
    advanceEm_.resize(table.Count());
    for (uint32_t i = 0; i < table.Count(); ++i) {
        int32_t adv = kBlankAdvance;
        if (face.hasLayout) {
            adv = int16_t(face.advances[2 * i] | (face.advances[2 * i + 1] << 8));
        } else {
            int64_t xmin = 0, xmax = 0;
            if (OutlineXRange(table.Glyph(i), xmin, xmax))
                adv =
                    int32_t(std::clamp<int64_t>(xmax + std::max<int64_t>(xmin, 0), 0, kMaxAdvance));
        }
        advanceEm_[i] = std::clamp(adv, 0, kMaxAdvance);
    }
    if (face.hasLayout && face.ascent + face.descent > 0) {
        ascentEm_ = std::clamp(face.ascent, 0, kMaxAdvance);
        descentEm_ = std::clamp(face.descent, 0, kMaxAdvance);
    } else {
        ascentEm_ = kOutlineAscent;
        descentEm_ = kOutlineDescent;
    }
}

FieldFont FieldFont::Resolve(PlayerCore& core, const Character& field, const EditTextRecord& rec) {
    const int32_t height = rec.HasFont() ? rec.fontHeight : EditTextRecord::kDefaultHeight;
    const Character* named = nullptr;
    if (rec.HasFont() && field.owner) {
        const Character* c = field.owner->dictionary.Find(rec.fontId);
        if (c && c->type == CharacterType::Font)
            named = c;
    }
    if (rec.UseOutlines())
        return FieldFont(named, height);
    FaceInfo face;
    if (named)
        ReadFace(*named, render::FontGlyphTable(named->Data(), named->tagCode).Count(), face);
    uint16_t id = DeviceFontId(face.name, face.bold, face.italic);
    const Character* device = core.DeviceFontLevel().dictionary.Find(id);
    if (device && device->type == CharacterType::Font)
        return FieldFont(device, height);
    return FieldFont(height);
}

uint16_t FieldFont::DeviceFontId(std::string_view name, bool bold, bool italic) {
    uint16_t id = EqualsNoCase(name, "_sans") ? 9 : EqualsNoCase(name, "_typewriter") ? 17 : 1;
    return uint16_t(id + (bold ? 2 : 0) + (italic ? 2 : 0));
}

std::optional<uint32_t> FieldFont::GlyphIndex(char16_t c) const {
    auto it = glyphOf_.find(c);
    if (it == glyphOf_.end())
        return std::nullopt;
    return it->second;
}

int32_t FieldFont::Advance(char16_t c) const {
    if (!font_)
        return Scale(FallbackAdvanceEm(c));
    auto glyph = GlyphIndex(c);
    if (!glyph)
        return c == u' ' ? Scale(kBlankAdvance) : 0;
    return Scale(advanceEm_[*glyph]);
}

int32_t FieldFont::Scale(int32_t em) const {
    int64_t v = int64_t(em) * height_;
    return int32_t((v + kEm / 2) / kEm);
}

// Approximate widths of a serif face for laying out text that cannot be drawn.
int32_t FieldFont::FallbackAdvanceEm(char16_t c) {
    if (c == u' ')
        return kBlankAdvance;
    if (c < 0x20)
        return 0;
    if (c >= 0x80)
        return 512;
    static constexpr std::string_view kNarrow = "fijlrtI.,;:!'|()[]`";
    static constexpr std::string_view kWide = "mwMW@%";
    char a = char(c);
    if (kNarrow.find(a) != std::string_view::npos)
        return 290;
    if (kWide.find(a) != std::string_view::npos)
        return 850;
    if (a >= 'A' && a <= 'Z')
        return 680;
    return 500;
}

} // namespace tavro::player
