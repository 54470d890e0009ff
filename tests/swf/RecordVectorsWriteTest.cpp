// The writer side of the shared record table: writing each record's values gives its bytes.
#include "base/CColorTransform.h"
#include "model/CColor.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CMatrix3.h"
#include "swf/CSwfButton.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/RecordVectorPaths.h"
#include "swf/SwfRecords.h"
#include "swfformat/RecordVectors.h"
#include "swfformat/TagCodes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavro {
namespace {

using test::Bytes;
namespace v = test::vectors;

Bytes Written(const CSwfWriter& w) {
    return Bytes(w.GetImage() + 8, w.GetImage() + (w.GetPosition(false) + 7) / 8);
}

CMatrix3 ToMatrix(const v::MatrixVector& m) {
    CMatrix3 out;
    out.m[0] = m.scaleX / 65536.0;
    out.m[1] = m.rotateSkew0 / 65536.0;
    out.m[3] = m.rotateSkew1 / 65536.0;
    out.m[4] = m.scaleY / 65536.0;
    out.m[6] = m.translateX;
    out.m[7] = m.translateY;
    return out;
}

CColorTransform ToCxform(const v::CxformVector& c) {
    return CColorTransform(c.mult[3], c.mult[0], c.mult[1], c.mult[2], c.add[3], c.add[0], c.add[1],
                           c.add[2]);
}

TEST(RecordVectorsWrite, ValueRecords) {
    for (const auto& r : v::RectVectors()) {
        CSwfWriter w;
        w.WriteRect(r.xmin, r.ymin, r.xmax, r.ymax);
        EXPECT_EQ(Written(w), r.bytes) << r.what;
    }
    for (const auto& m : v::MatrixVectors()) {
        CSwfWriter raw, fromMatrix;
        raw.WriteMatrix(m.scaleX, m.rotateSkew0, m.rotateSkew1, m.scaleY, m.translateX,
                        m.translateY);
        fromMatrix.WriteMatrix(ToMatrix(m));
        EXPECT_EQ(Written(raw), m.bytes) << m.what;
        EXPECT_EQ(Written(fromMatrix), m.bytes) << m.what;
    }
    // The movie writer only writes colour transforms with alpha.
    for (const auto& c : v::CxformVectors()) {
        if (!c.withAlpha)
            continue;
        CSwfWriter raw, fromCxform;
        raw.WriteCxform(c.mult[0], c.mult[1], c.mult[2], c.mult[3], c.add[0], c.add[1], c.add[2],
                        c.add[3]);
        fromCxform.WriteCxform(ToCxform(c));
        EXPECT_EQ(Written(raw), c.bytes) << c.what;
        EXPECT_EQ(Written(fromCxform), c.bytes) << c.what;
    }
}

TEST(RecordVectorsWrite, PlacementAndBackgroundTags) {
    for (const auto& p : v::PlaceVectors()) {
        CSwfWriter w;
        const std::optional<CMatrix3> matrix =
            p.matrix ? std::optional(ToMatrix(*p.matrix)) : std::nullopt;
        const std::optional<CColorTransform> cxform =
            p.cxform ? std::optional(ToCxform(*p.cxform)) : std::nullopt;
        w.WritePlaceObject2(p.characterId, matrix ? &*matrix : nullptr, cxform ? &*cxform : nullptr,
                            p.depth, p.move);
        EXPECT_EQ(Written(w), p.bytes) << p.what;
    }
    for (const auto& r : v::RemoveVectors()) {
        CSwfWriter w;
        w.WriteRemoveObject2(r.depth);
        EXPECT_EQ(Written(w), r.bytes) << r.depth;
    }
    for (const auto& b : v::BackgroundVectors()) {
        CSwfWriter w;
        w.WriteSetBackgroundColor(CColor(b.red, b.green, b.blue));
        EXPECT_EQ(Written(w), b.bytes);
    }
}

TEST(RecordVectorsWrite, SpriteFraming) {
    // Short form with one placement; long form once the body reaches 63 bytes.
    for (int placements : {1, 9}) {
        CSwfWriter w;
        w.BeginTag(swfformat::kTagDefineSprite);
        const uint32_t start = w.GetTagStart();
        w.WriteUI16(1);
        w.WriteUI16(1);
        Bytes inner;
        for (uint16_t depth = 1; depth <= placements; ++depth) {
            w.WritePlaceObject2(7, nullptr, nullptr, depth, false);
            inner = test::Concat(
                {inner, test::Hex("85 06 02"), Bytes{uint8_t(depth), 0}, test::Hex("07 00")});
        }
        w.WriteShowFrame();
        w.WriteEnd();
        w.SetTagStart(start);
        w.EndTag();
        EXPECT_EQ(Written(w), v::SpriteBytes(inner)) << placements;
    }
}

void WriteAction(CSwfWriter& w, const v::ActionValue& a) {
    using A = v::ActionValue;
    switch (a.kind) {
    case A::GotoFrame:
        return WriteActionGotoFrame(w, a.frame, a.play);
    case A::GotoLabel:
        return WriteActionGotoLabel(w, a.text, a.play);
    case A::NextFrame:
        return WriteActionNextFrame(w, a.play);
    case A::PreviousFrame:
        return WriteActionPreviousFrame(w, a.play);
    case A::Play:
        return WriteActionPlay(w);
    case A::Stop:
        return WriteActionStop(w);
    case A::GetUrl:
        return WriteActionGetUrl(w, a.text, a.target);
    }
}

// A writer whose next character id is `id`.
void TakeIdsBefore(CSwfWriter& w, uint16_t id) {
    for (uint16_t taken = 1; taken < id; ++taken)
        w.NextCharacterId();
}

TEST(RecordVectorsWrite, ShapeTags) {
    for (const auto& d : v::DefineShapeVectors()) {
        CSwfShape shape;
        shape.path = v::ToPath(d.records.records);
        if (d.fill)
            shape.fill =
                std::make_unique<CFillStyleColor>(CColor(d.fill->red, d.fill->green, d.fill->blue));
        if (d.lineColor) {
            shape.line = std::make_unique<CLineStyle>();
            shape.line->width = d.lineWidth;
            shape.line->color = CColor(d.lineColor->red, d.lineColor->green, d.lineColor->blue);
        }
        CSwfWriter w;
        shape.Write(w, d.id);
        EXPECT_EQ(Written(w), d.bytes) << d.what;
    }
    // The filled-rectangle shape of buttons and the stage writes the same tag.
    const v::DefineShapeVector filled = v::DefineShapeVectors()[0];
    CSwfWriter w;
    CSwfShape::FilledRectangle(CDoubleRect(0, 0, 400, 200), CColor(0x20, 0x40, 0x80))
        .Write(w, filled.id);
    EXPECT_EQ(Written(w), filled.bytes);
}

TEST(RecordVectorsWrite, ActionRecordsAndDoAction) {
    const auto actions = v::ActionVectors();
    for (const auto& a : actions) {
        CSwfWriter w;
        WriteAction(w, a);
        EXPECT_EQ(Written(w), a.bytes) << a.what;
    }
    CSwfWriter w;
    BeginDoAction(w);
    for (const auto& a : actions)
        WriteAction(w, a);
    EndDoAction(w);
    EXPECT_EQ(Written(w), v::DoActionBytes(actions));
}

TEST(RecordVectorsWrite, Button2Tags) {
    for (const auto& b : v::Button2Vectors()) {
        CSwfWriter w;
        if (b.url) {
            CSwfButton button;
            button.menu = b.menu;
            for (const auto& c : b.characters)
                for (int s = 0; s < 4; ++s)
                    if (c.states & (1 << s))
                        button.stateIds[s] = c.characterId;
            button.url = b.url->first;
            button.target = b.url->second;
            button.Write(w, b.id);
        } else {
            std::vector<ButtonCharacter> characters;
            for (const auto& c : b.characters)
                characters.push_back({c.states, c.characterId});
            BeginDefineButton2(w, b.id, b.menu, characters);
            for (const auto& c : b.conditions) {
                const uint32_t at = BeginButtonCondition(w, c.conditions);
                for (const auto& a : c.actions)
                    WriteAction(w, a);
                EndButtonCondition(w, at);
            }
            EndDefineButton2(w);
        }
        EXPECT_EQ(Written(w), b.bytes) << b.what;
    }
}

TEST(RecordVectorsWrite, FontTags) {
    for (const auto& f : v::FontVectors()) {
        std::vector<CPath> paths;
        for (const auto& g : f.glyphs)
            paths.push_back(g ? v::ToPath(g->records) : CPath());
        std::vector<const CPath*> glyphs;
        for (size_t i = 0; i < f.glyphs.size(); ++i)
            glyphs.push_back(f.glyphs[i] ? &paths[i] : nullptr);
        CSwfWriter w;
        TakeIdsBefore(w, f.id);
        EXPECT_EQ(WriteDefineFont(w, glyphs), f.id) << f.what;
        EXPECT_EQ(Written(w), f.bytes) << f.what;
    }
    for (const auto& i : v::FontInfoVectors()) {
        CSwfWriter w;
        WriteDefineFontInfo(w, i.fontId, i.name, i.codes);
        EXPECT_EQ(Written(w), i.bytes) << i.name;
    }
}

TEST(RecordVectorsWrite, TextTags) {
    for (const auto& t : v::DefineTextVectors()) {
        DefineTextStyle style;
        style.bounds = CDoubleRect(t.xmin, t.ymin, t.xmax, t.ymax);
        style.fontId = t.fontId;
        style.color = CColor(t.color.red, t.color.green, t.color.blue);
        style.x = t.x;
        style.y = t.y;
        style.fontSize = t.fontSize;
        style.fontGlyphCount = t.fontGlyphCount;
        std::vector<DefineTextLetter> letters;
        for (const auto& l : t.letters)
            letters.push_back({l.glyph, l.advance, l.y, l.lineStep});
        CSwfWriter w;
        TakeIdsBefore(w, t.id);
        EXPECT_EQ(WriteDefineText(w, style, letters), t.id) << t.what;
        EXPECT_EQ(Written(w), t.bytes) << t.what;
    }
}

} // namespace
} // namespace tavro
