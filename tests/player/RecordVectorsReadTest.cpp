// The player side of the shared record table: decoding each record's bytes gives its values.
#include "PlayerTestSupport.h"

#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlaceRecord.h"
#include "player/actions/ActionEngine.h"
#include "player/buttons/ButtonRecords.h"
#include "player/edittext/FieldFont.h"
#include "player/render/FontGlyphTable.h"
#include "player/render/RenderTestSupport.h"
#include "player/render/ShapeRecordReader.h"
#include "player/render/TextRecords.h"
#include "swfformat/RecordVectors.h"
#include "swfformat/TagCodes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavro::player::test {
namespace {

namespace v = tavro::test::vectors;

void ExpectMatrix(const Matrix16& got, const v::MatrixVector& m) {
    EXPECT_EQ(got.a, m.scaleX) << m.what;
    EXPECT_EQ(got.b, m.rotateSkew0) << m.what;
    EXPECT_EQ(got.c, m.rotateSkew1) << m.what;
    EXPECT_EQ(got.d, m.scaleY) << m.what;
    EXPECT_EQ(got.tx, m.translateX) << m.what;
    EXPECT_EQ(got.ty, m.translateY) << m.what;
}

void ExpectCxform(const ColorXform& got, const v::CxformVector& c) {
    EXPECT_EQ((std::array<int32_t, 4>{got.rMul, got.gMul, got.bMul, got.aMul}), c.mult) << c.what;
    EXPECT_EQ((std::array<int32_t, 4>{got.rAdd, got.gAdd, got.bAdd, got.aAdd}), c.add) << c.what;
}

TEST(RecordVectorsRead, ValueRecords) {
    for (const auto& r : v::RectVectors()) {
        BitReader in(r.bytes.data(), r.bytes.size());
        EXPECT_EQ(in.ReadRect(), Rect(r.xmin, r.xmax, r.ymin, r.ymax)) << r.what;
        EXPECT_TRUE(in.ok()) << r.what;
        EXPECT_EQ(in.Pos(), r.bytes.size()) << r.what;
    }
    for (const auto& m : v::MatrixVectors()) {
        BitReader in(m.bytes.data(), m.bytes.size());
        ExpectMatrix(in.ReadMatrix(), m);
        EXPECT_TRUE(in.ok()) << m.what;
        EXPECT_EQ(in.Pos(), m.bytes.size()) << m.what;
    }
    for (const auto& c : v::CxformVectors()) {
        BitReader in(c.bytes.data(), c.bytes.size());
        ExpectCxform(in.ReadCxform(c.withAlpha), c);
        EXPECT_TRUE(in.ok()) << c.what;
        EXPECT_EQ(in.Pos(), c.bytes.size()) << c.what;
    }
}

TEST(RecordVectorsRead, PlaceObject2) {
    for (const auto& p : v::PlaceVectors()) {
        BitReader in(p.bytes.data(), p.bytes.size());
        const uint16_t header = in.U16();
        ASSERT_EQ(header >> 6, swfformat::kTagPlaceObject2) << p.what;
        ASSERT_EQ(header & 0x3F, p.bytes.size() - 2) << p.what;
        const PlaceRecord record = ReadPlaceObject2(in);
        EXPECT_TRUE(in.ok()) << p.what;
        EXPECT_EQ(in.Pos(), p.bytes.size()) << p.what;
        EXPECT_EQ(record.depth, p.depth) << p.what;
        EXPECT_EQ((record.flags & PlaceInfo::kMove) != 0, p.move) << p.what;
        EXPECT_EQ((record.flags & PlaceInfo::kHasCharacter) != 0, !p.move) << p.what;
        if (!p.move) {
            EXPECT_EQ(record.characterId, p.characterId) << p.what;
        }
        EXPECT_EQ((record.flags & PlaceInfo::kHasMatrix) != 0, p.matrix.has_value()) << p.what;
        if (p.matrix) {
            ExpectMatrix(record.matrix, *p.matrix);
        }
        EXPECT_EQ((record.flags & PlaceInfo::kHasCxform) != 0, p.cxform.has_value()) << p.what;
        if (p.cxform) {
            ExpectCxform(record.cxform, *p.cxform);
        }
    }
}

// The placement, removal, background and sprite records played in a movie.
TEST(RecordVectorsRead, TagsPlayedInAMovie) {
    const auto places = v::PlaceVectors();
    const auto background = v::BackgroundVectors()[1];
    RecordingHost host;
    host.LoadBytes(Movie(Cat({background.bytes, DefineShape(2), DefineShape(5), places[0].bytes,
                              places[2].bytes, v::RemoveVectors()[0].bytes, ShowFrame(), End()})));
    const DisplayList& list = *host.Level0().displayList;
    EXPECT_TRUE(list.hasBackground);
    EXPECT_EQ(list.backgroundColor,
              uint32_t(background.red) << 16 | uint32_t(background.green) << 8 | background.blue);
    const DisplayObject* root = host.Level0().rootObject;
    EXPECT_EQ(root->FindChild(1), nullptr); // placed, then removed by depth
    ASSERT_NE(root->FindChild(0x0102), nullptr);
    EXPECT_EQ(root->FindChild(0x0102)->character->id, 5);

    // A sprite of one frame with one placement of character 7.
    const Bytes inner = tavro::test::Hex("85 06 02 01 00 07 00");
    RecordingHost sprite;
    sprite.LoadBytes(
        Movie(Cat({DefineShape(7), v::SpriteBytes(inner), Place2(1, 1), ShowFrame(), End()})));
    const DisplayObject* placed = sprite.Level0().rootObject->FindChild(1);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(placed->FindChild(1), nullptr);
    EXPECT_EQ(placed->FindChild(1)->character->id, 7);
}

// The records up to the end record, as the player's shape reader reads them.
std::vector<v::ShapeRecordValue> ReadShapeRecords(BitReader& in, unsigned fillBits,
                                                  unsigned lineBits) {
    std::vector<v::ShapeRecordValue> out;
    render::ShapeRecordReader reader(in, fillBits, lineBits);
    render::ShapeRecord rec;
    while (reader.Next(rec)) {
        switch (rec.type) {
        case render::ShapeRecord::StyleChange:
            EXPECT_TRUE(rec.hasMove);
            EXPECT_FALSE(rec.hasFill0);
            EXPECT_FALSE(rec.newStyles);
            out.push_back(v::MoveTo(rec.moveX, rec.moveY, rec.hasFill1 ? int32_t(rec.fill1) : -1,
                                    rec.hasLine ? int32_t(rec.line) : -1));
            break;
        case render::ShapeRecord::Line:
            out.push_back(v::LineBy(rec.dx, rec.dy));
            break;
        case render::ShapeRecord::Curve:
            out.push_back(v::CurveBy(rec.cdx, rec.cdy, rec.dx, rec.dy));
            break;
        case render::ShapeRecord::End:
            break;
        }
    }
    EXPECT_TRUE(in.ok());
    in.Align();
    return out;
}

TEST(RecordVectorsRead, ShapeRecords) {
    for (const auto& s : v::ShapeRecordsVectors()) {
        BitReader in(s.bytes.data(), s.bytes.size());
        EXPECT_EQ(ReadShapeRecords(in, 1, 1), s.records) << s.what;
        EXPECT_EQ(in.Pos(), s.bytes.size()) << s.what;
    }
}

TEST(RecordVectorsRead, ShapeTags) {
    for (const auto& d : v::DefineShapeVectors()) {
        RecordingHost host;
        host.LoadBytes(Movie(Cat({d.bytes, ShowFrame(), End()})));
        const Character* shape = host.Level0().dictionary.Find(d.id);
        ASSERT_NE(shape, nullptr) << d.what;
        EXPECT_EQ(shape->type, CharacterType::Shape) << d.what;
        EXPECT_EQ(shape->bounds, Rect(d.xmin, d.xmax, d.ymin, d.ymax)) << d.what;
        // The style arrays: a solid fill takes its type and colour, a line its width and colour.
        const auto body = shape->Data();
        const size_t styles = 1 + (d.fill ? 4 : 0) + 1 + (d.lineColor ? 5 : 0);
        BitReader in(body.data(), body.size(), styles);
        const uint8_t bits = in.U8();
        EXPECT_EQ(bits, (d.fill ? 0x10 : 0) | (d.lineColor ? 0x01 : 0)) << d.what;
        EXPECT_EQ(ReadShapeRecords(in, bits >> 4, bits & 0x0F), d.records.records) << d.what;
        EXPECT_EQ(in.Pos(), body.size()) << d.what;

        if (d.fill) {
            // The fill reaches the pixels inside the outline.
            render::test::Canvas canvas(d.xmax / 20, d.ymax / 20);
            canvas.Shape(Bytes(body.begin(), body.end()), 1, canvas.State());
            canvas.Finish();
            EXPECT_EQ(canvas.At(d.xmax / 40, d.ymax / 40),
                      uint32_t(d.fill->red) << 16 | uint32_t(d.fill->green) << 8 | d.fill->blue)
                << d.what;
        }
    }
}

// A host running the player's action engine, keeping the URLs it is asked for.
class EngineHost : public HeadlessHost {
public:
    EngineHost() {
        auto engine = std::make_unique<ActionEngine>(*this);
        engine->SetRequestObserver([this](const UrlRequest& r) { requests.push_back(r); });
        SetActionInterpreter(std::move(engine));
    }
    void LoadBytes(const Bytes& b) { Load(b.data(), b.size()); }
    std::vector<UrlRequest> requests;
};

// A playing movie of 260 frames whose frame 1 runs `doAction`; frame 4 is labelled "intro".
Bytes ActionMovie(const Bytes& doAction) {
    Bytes tags = Cat({ShowFrame(), doAction, ShowFrame(), ShowFrame(), ShowFrame(),
                      FrameLabel("intro"), ShowFrame()});
    for (int frame = 5; frame < 260; ++frame)
        tags = Cat({tags, ShowFrame()});
    return Movie(Cat({tags, End()}), 260);
}

// Where frame 1's action leaves the movie, and whether it plays on.
std::pair<int32_t, bool> Outcome(const v::ActionValue& a) {
    using A = v::ActionValue;
    switch (a.kind) {
    case A::GotoFrame:
        return {a.frame, a.play};
    case A::GotoLabel:
        return {4, a.play};
    case A::NextFrame:
        return {2, a.play};
    case A::PreviousFrame:
        return {0, a.play};
    case A::Play:
    case A::GetUrl:
        return {1, true};
    case A::Stop:
        return {1, false};
    }
    return {};
}

// Each action record run as the player runs frame actions: by the built-in runner and by the
// action engine, which also requests the URLs.
TEST(RecordVectorsRead, ActionRecordsPlayed) {
    for (const auto& a : v::ActionVectors()) {
        const Bytes movie = ActionMovie(v::DoActionBytes({a}));
        const auto [frame, playing] = Outcome(a);
        RecordingHost builtIn;
        builtIn.LoadBytes(movie);
        builtIn.StepFrame();
        EXPECT_EQ(builtIn.Level0().currentFrame, frame) << a.what;
        EXPECT_EQ(builtIn.Level0().Playing(), playing) << a.what;

        EngineHost engine;
        engine.LoadBytes(movie);
        engine.StepFrame();
        EXPECT_EQ(engine.Level0().currentFrame, frame) << a.what;
        EXPECT_EQ(engine.Level0().Playing(), playing) << a.what;
        if (a.kind == v::ActionValue::GetUrl) {
            ASSERT_EQ(engine.requests.size(), 1u) << a.what;
            EXPECT_EQ(engine.requests[0].url, a.text) << a.what;
            EXPECT_EQ(engine.requests[0].target, a.target) << a.what;
        } else {
            EXPECT_TRUE(engine.requests.empty()) << a.what;
        }
    }
}

TEST(RecordVectorsRead, Button2Tags) {
    for (const auto& b : v::Button2Vectors()) {
        RecordingHost host;
        host.LoadBytes(Movie(
            Cat({DefineShape(1), DefineShape(3), DefineShape(4), b.bytes, ShowFrame(), End()})));
        const Character* button = host.Level0().dictionary.Find(b.id);
        ASSERT_NE(button, nullptr) << b.what;
        const ButtonRecords read = ButtonRecords::Read(*button);
        EXPECT_EQ(read.trackAsMenu, b.menu) << b.what;
        ASSERT_EQ(read.records.size(), b.characters.size()) << b.what;
        for (size_t i = 0; i < b.characters.size(); ++i) {
            EXPECT_EQ(read.records[i].states, b.characters[i].states) << b.what;
            EXPECT_EQ(read.records[i].characterId, b.characters[i].characterId) << b.what;
            EXPECT_EQ(read.records[i].depth, 1) << b.what;
            EXPECT_EQ(read.records[i].matrix, Matrix16()) << b.what;
            EXPECT_TRUE(read.records[i].cxform.IsIdentity()) << b.what;
        }
        // Each condition record's list: its action records and the end-of-actions byte. The
        // URL record of size 0 runs to the end of the tag, whose first byte ends it.
        std::vector<std::pair<uint16_t, Bytes>> expected;
        for (const auto& c : b.conditions) {
            Bytes actions;
            for (const auto& a : c.actions)
                actions = tavro::test::Concat({actions, a.bytes});
            expected.emplace_back(c.conditions, actions);
        }
        if (b.url) {
            const Bytes urlAction = tavro::test::Concat(
                {tavro::test::Hex("83"),
                 Bytes{uint8_t(b.url->first.size() + b.url->second.size() + 2), 0},
                 v::Text(b.url->first), Bytes{0}, v::Text(b.url->second), Bytes{0}});
            expected.emplace_back(1u << 3, urlAction);
        }
        ASSERT_GE(read.actions.size(), expected.size()) << b.what;
        for (size_t i = 0; i < read.actions.size(); ++i) {
            const auto& list = read.actions[i];
            if (i >= expected.size()) {
                EXPECT_EQ(list.conditions, 0) << b.what << ": only the empty record follows";
                continue;
            }
            EXPECT_EQ(list.conditions, expected[i].first) << b.what;
            const auto bytes = button->Bytes({list.offset, list.length, true});
            ASSERT_GT(bytes.size(), expected[i].second.size()) << b.what;
            EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + expected[i].second.size()),
                      expected[i].second)
                << b.what;
            EXPECT_EQ(bytes[expected[i].second.size()], 0) << b.what;
        }
    }
}

TEST(RecordVectorsRead, FontTags) {
    const auto fonts = v::FontVectors();
    const auto infos = v::FontInfoVectors();
    ASSERT_EQ(fonts.size(), infos.size());
    for (size_t k = 0; k < fonts.size(); ++k) {
        const auto& f = fonts[k];
        const auto& info = infos[k];
        RecordingHost host;
        host.LoadBytes(Movie(Cat({f.bytes, info.bytes, ShowFrame(), End()})));
        const Character* font = host.Level0().dictionary.Find(f.id);
        ASSERT_NE(font, nullptr) << f.what;
        EXPECT_EQ(font->type, CharacterType::Font) << f.what;
        const render::FontGlyphTable table(font->Data(), swfformat::kTagDefineFont);
        ASSERT_EQ(table.Count(), f.glyphs.size()) << f.what;
        for (uint32_t i = 0; i < table.Count(); ++i) {
            const auto glyph = table.Glyph(i);
            BitReader in(glyph.data(), glyph.size());
            EXPECT_EQ(in.U8(), 0x11) << f.what << " glyph " << i; // one fill bit, one line bit
            const auto expected =
                f.glyphs[i] ? f.glyphs[i]->records : std::vector<v::ShapeRecordValue>{};
            EXPECT_EQ(ReadShapeRecords(in, 1, 1), expected) << f.what << " glyph " << i;
            EXPECT_EQ(in.Pos(), glyph.size()) << f.what << " glyph " << i;
        }
        // The attached info maps each code to its glyph.
        ASSERT_EQ(info.fontId, f.id);
        const FieldFont face(font, 240);
        EXPECT_EQ(face.GlyphFont(), font) << f.what;
        for (uint32_t i = 0; i < info.codes.size(); ++i)
            EXPECT_EQ(face.GlyphIndex(char16_t(info.codes[i])), i) << f.what;
    }
}

TEST(RecordVectorsRead, TextTags) {
    for (const auto& t : v::DefineTextVectors()) {
        RecordingHost host;
        host.LoadBytes(Movie(Cat({t.bytes, ShowFrame(), End()})));
        const Character* text = host.Level0().dictionary.Find(t.id);
        ASSERT_NE(text, nullptr) << t.what;
        EXPECT_EQ(text->type, CharacterType::Text) << t.what;
        EXPECT_EQ(text->bounds, Rect(t.xmin, t.xmax, t.ymin, t.ymax)) << t.what;
        const auto body = text->Data();
        BitReader in(body.data(), body.size());
        EXPECT_EQ(in.ReadMatrix(), Matrix16()) << t.what;
        const unsigned glyphBits = in.U8(), advanceBits = in.U8();
        EXPECT_EQ(glyphBits, t.glyphBits) << t.what;
        EXPECT_EQ(advanceBits, t.advanceBits) << t.what;

        render::TextRecordReader reader(in, glyphBits, advanceBits, false);
        render::TextRecord rec;
        std::vector<v::TextRecordValue> read;
        while (reader.Next(rec)) {
            if (rec.type == render::TextRecord::Style) {
                EXPECT_TRUE(rec.hasColor || !(rec.flags & 0x04)) << t.what;
                read.push_back(
                    {rec.flags,
                     rec.fontId,
                     {uint8_t(rec.argb >> 16), uint8_t(rec.argb >> 8), uint8_t(rec.argb)},
                     int32_t(rec.x),
                     int32_t(rec.y),
                     rec.height,
                     {}});
            } else {
                ASSERT_FALSE(read.empty()) << t.what << ": glyphs before any style";
                read.back().glyphs.push_back({rec.glyph, rec.advance});
            }
        }
        EXPECT_TRUE(in.ok()) << t.what;
        ASSERT_EQ(read.size(), t.records.size()) << t.what;
        for (size_t i = 0; i < read.size(); ++i) {
            const auto &got = read[i], &want = t.records[i];
            EXPECT_EQ(got.flags, want.flags) << t.what << " record " << i;
            if (want.flags & 0x08) {
                EXPECT_EQ(got.fontId, want.fontId) << t.what << " record " << i;
                EXPECT_EQ(got.height, want.height) << t.what << " record " << i;
            }
            if (want.flags & 0x04) {
                EXPECT_EQ(got.color.red, want.color.red) << t.what << " record " << i;
                EXPECT_EQ(got.color.green, want.color.green) << t.what << " record " << i;
                EXPECT_EQ(got.color.blue, want.color.blue) << t.what << " record " << i;
            }
            if (want.flags & 0x01) {
                EXPECT_EQ(got.x, want.x) << t.what << " record " << i;
            }
            if (want.flags & 0x02) {
                EXPECT_EQ(got.y, want.y) << t.what << " record " << i;
            }
            EXPECT_EQ(got.glyphs, want.glyphs) << t.what << " record " << i;
        }
    }
}

} // namespace
} // namespace tavro::player::test
