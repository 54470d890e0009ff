// One table of SWF records as values and as their exact bytes, shared by both sides: the writer
// tests write the values and compare the bytes, the player tests decode the bytes and compare the
// values. The bytes are built by hand from the record layouts, never by the code under test.
#pragma once

#include "swfformat/SwfTestBytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavro::test::vectors {

struct RectVector {
    const char* what;
    int32_t xmin, xmax, ymin, ymax; // twips
    Bytes bytes;
};

// scaleX/scaleY and the rotate/skew terms in 16.16 fixed point, translation in twips.
struct MatrixVector {
    const char* what;
    int32_t scaleX, rotateSkew0, rotateSkew1, scaleY, translateX, translateY;
    Bytes bytes;
};

// Multipliers (256 = 1.0) and offsets in the order red, green, blue, alpha.
struct CxformVector {
    const char* what;
    bool withAlpha;
    std::array<int32_t, 4> mult, add;
    Bytes bytes;
};

// A whole PlaceObject2 tag. Without a matrix or a colour transform the record leaves them out.
struct PlaceVector {
    const char* what;
    uint16_t characterId, depth;
    bool move;
    std::optional<MatrixVector> matrix;
    std::optional<CxformVector> cxform;
    Bytes bytes;
};

struct RemoveVector {
    uint16_t depth;
    Bytes bytes; // the whole RemoveObject2 tag
};

struct BackgroundVector {
    uint8_t red, green, blue;
    Bytes bytes; // the whole SetBackgroundColor tag
};

inline std::vector<RectVector> RectVectors() {
    return {
        {"unit square around the origin", -1, 1, -1, 1, Bits("00010 11 01 11 01")},
        {"the example stage, 550 x 400 pixels", 0, 11000, 0, 8000,
         Bits("01111" + Field(0, 15) + Field(11000, 15) + Field(0, 15) + Field(8000, 15))},
        {"12-bit fields", 0, 2000, 0, 1000, Hex("60 00 3E 80 00 1F 40")},
        {"all zero still takes one bit a field", 0, 0, 0, 0, Bits("00001 0 0 0 0")},
    };
}

inline std::vector<MatrixVector> MatrixVectors() {
    return {
        {"identity: no scale, no rotation, 1-bit translation", 65536, 0, 0, 65536, 0, 0,
         Hex("02 00")},
        {"scale only", 65536, 0, 0, 65537, 0, 0,
         Bits("1 10010" + Field(65536, 18) + Field(65537, 18) + "0 00001 0 0")},
        {"scale, rotation and a negative translation", 131072, 32768, -16384, 65536, 101, -101,
         Bits("1 10011" + Field(131072, 19) + Field(65536, 19) + "1 10001" + Field(32768, 17) +
              Field(-16384, 17) + "01000" + Field(101, 8) + Field(-101, 8))},
        {"translation only", 65536, 0, 0, 65536, 2000, -20,
         Bits("0 0 01100" + Field(2000, 12) + Field(-20, 12))},
    };
}

inline std::vector<CxformVector> CxformVectors() {
    const std::string m256 = Field(256, 10);
    return {
        {"identity with alpha: six zero bits", true, {256, 256, 256, 256}, {0, 0, 0, 0}, Hex("00")},
        {"alpha multiplier only",
         true,
         {256, 256, 256, 128},
         {0, 0, 0, 0},
         Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10))},
        {"offsets only, the field wide enough for -255",
         true,
         {256, 256, 256, 256},
         {-255, 0, 0, 10},
         Bits("1 0 1010" + Field(-255, 10) + Field(0, 20) + Field(10, 10))},
        {"multipliers and offsets without alpha",
         false,
         {128, 256, 0, 256},
         {-16, 0, 16, 0},
         Bits("1 1 1010" + Field(128, 10) + m256 + Field(0, 10) + Field(-16, 10) + Field(0, 10) +
              Field(16, 10))},
    };
}

inline std::vector<PlaceVector> PlaceVectors() {
    const MatrixVector identity = MatrixVectors()[0];
    const CxformVector half = CxformVectors()[1];
    return {
        {"a character with a matrix", 2, 1, false, identity, std::nullopt,
         Hex("87 06 06 01 00 02 00 02 00")},
        {"a move with a colour transform: no character id", 99, 3, true, std::nullopt, half,
         Concat({Hex("89 06 09 03 00"), half.bytes})},
        {"a character alone", 5, 0x0102, false, std::nullopt, std::nullopt,
         Hex("85 06 02 02 01 05 00")},
    };
}

inline std::vector<RemoveVector> RemoveVectors() {
    return {{1, Hex("02 07 01 00")}, {0x1234, Hex("02 07 34 12")}};
}

inline std::vector<BackgroundVector> BackgroundVectors() {
    return {{255, 255, 255, Hex("43 02 FF FF FF")}, {0x12, 0x34, 0x56, Hex("43 02 12 34 56")}};
}

// A DefineSprite of character 1 with one frame holding `inner` tags, in the short form below 63
// bytes of body and the long form from there, and the ShowFrame and End that close it.
inline Bytes SpriteBytes(const Bytes& inner) {
    const Bytes closing = Hex("40 00 00 00");
    const size_t body = 4 + inner.size() + closing.size();
    Bytes header = body < 63 ? Bytes{uint8_t(0xC0 | body), 0x09}
                             : Concat({Hex("FF 09"), Bytes{uint8_t(body), uint8_t(body >> 8),
                                                           uint8_t(body >> 16), 0}});
    return Concat({header, Hex("01 00 01 00"), inner, closing});
}

// ---- Tag framing ----

// A tag of `code` around `body`: the short header below 63 bytes of body, the long one from there.
inline Bytes TagBytes(uint16_t code, const Bytes& body) {
    const size_t n = body.size();
    const uint16_t word = uint16_t(code << 6 | (n < 63 ? n : 0x3F));
    Bytes header{uint8_t(word), uint8_t(word >> 8)};
    if (n >= 63)
        header = Concat({header, Bytes{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), 0}});
    return Concat({header, body});
}

// The bytes of a string without its terminator.
inline Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// ---- Shape records ----

// One shape record: a style change with a move, a straight edge or a curved edge. A move is
// absolute; an edge is relative to the pen, and a curve's anchor counts from its control point.
struct ShapeRecordValue {
    enum Kind : uint8_t { Move, Line, Curve };
    Kind kind = Move;
    int32_t x = 0, y = 0;          // move: the target; line: the delta; curve: the anchor delta
    int32_t cx = 0, cy = 0;        // curve: the control point's delta from the pen
    int32_t fill1 = -1, line = -1; // move: the style indexes, -1 when left as they are
    bool operator==(const ShapeRecordValue&) const = default;
};

inline ShapeRecordValue MoveTo(int32_t x, int32_t y, int32_t fill1 = -1, int32_t line = -1) {
    return {ShapeRecordValue::Move, x, y, 0, 0, fill1, line};
}
inline ShapeRecordValue LineBy(int32_t dx, int32_t dy) {
    return {ShapeRecordValue::Line, dx, dy};
}
inline ShapeRecordValue CurveBy(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
    return {ShapeRecordValue::Curve, adx, ady, cdx, cdy};
}

// Records followed by the end record, from a byte boundary, style indexes in one bit each.
struct ShapeRecordsVector {
    const char* what;
    std::vector<ShapeRecordValue> records;
    Bytes bytes;
};

inline const std::string kEndRecord = "000000";

// A rectangle of 400 x 200 twips from the origin, filled with fill style 1.
inline ShapeRecordsVector FilledRectangleRecords() {
    return {"a filled rectangle: horizontal and vertical edges",
            {MoveTo(0, 0, 1), LineBy(400, 0), LineBy(0, 200), LineBy(-400, 0), LineBy(0, -200)},
            Bits("0 0 0 1 0 1 00001 0 0 1" + ("11 1000 0 0" + Field(400, 10)) +
                 ("11 0111 0 1" + Field(200, 9)) + ("11 1000 0 0" + Field(-400, 10)) +
                 ("11 0111 0 1" + Field(-200, 9)) + kEndRecord)};
}

// A move with line style 1 and a curve from there.
inline ShapeRecordsVector StrokedCurveRecords() {
    return {"a move with line style 1, then a curve",
            {MoveTo(10, 10, -1, 1), CurveBy(3, 0, 0, -6)},
            Bits("0 0 1 0 0 1 00101" + Field(10, 5) + Field(10, 5) + "1" +
                 "10 0010 0011 0000 0000 1010" + kEndRecord)};
}

inline std::vector<ShapeRecordsVector> ShapeRecordsVectors() {
    return {
        {"a move with fill 1 to the origin: 1-bit coordinates",
         {MoveTo(0, 0, 1)},
         Bits("0 0 0 1 0 1 00001 0 0 1" + kEndRecord)},
        {"a move with fill index 0 and line 1",
         {MoveTo(-3, 20, 0, 1)},
         Bits("0 0 1 1 0 1 00110" + Field(-3, 6) + Field(20, 6) + "0 1" + kEndRecord)},
        {"a horizontal line of +5: 4-bit fields",
         {LineBy(5, 0)},
         Bits("11 0010 0 0 0101" + kEndRecord)},
        {"a horizontal line of +1: fields never below 2 bits",
         {LineBy(1, 0)},
         Bits("11 0000 0 0 01" + kEndRecord)},
        {"a vertical line of -7", {LineBy(0, -7)}, Bits("11 0010 0 1 1001" + kEndRecord)},
        {"a general line of 8-bit fields",
         {LineBy(3, -100)},
         Bits("11 0110 1" + Field(3, 8) + Field(-100, 8) + kEndRecord)},
        {"a general line at the 17-bit limit",
         {LineBy(65535, -65535)},
         Bits("11 1111 1" + Field(65535, 17) + Field(-65535, 17) + kEndRecord)},
        {"a curve after a move without styles",
         {MoveTo(10, 10), CurveBy(3, 0, 0, -6)},
         Bits("0 0 0 0 0 1 00101" + Field(10, 5) + Field(10, 5) + "10 0010 0011 0000 0000 1010" +
              kEndRecord)},
        {"a curve with negative deltas",
         {CurveBy(-1, 2, -40, 17)},
         Bits("10 0101" + Field(-1, 7) + Field(2, 7) + Field(-40, 7) + Field(17, 7) + kEndRecord)},
        StrokedCurveRecords(),
        FilledRectangleRecords(),
    };
}

struct ColorValue {
    uint8_t red, green, blue;
};

// A whole DefineShape: the bounds are those of the records' points, control points included.
struct DefineShapeVector {
    const char* what;
    uint16_t id;
    int32_t xmin, xmax, ymin, ymax;
    std::optional<ColorValue> fill; // a solid fill
    std::optional<ColorValue> lineColor;
    uint16_t lineWidth; // twips
    ShapeRecordsVector records;
    Bytes bytes;
};

inline std::vector<DefineShapeVector> DefineShapeVectors() {
    const ShapeRecordsVector rectangle = FilledRectangleRecords();
    const ShapeRecordsVector curve = StrokedCurveRecords();
    const ShapeRecordsVector empty{"no records", {}, Bits(kEndRecord)};
    return {
        {"a filled rectangle without a line", 1, 0, 400, 0, 200, ColorValue{0x20, 0x40, 0x80},
         std::nullopt, 0, rectangle,
         TagBytes(2, Concat({Hex("01 00"),
                             Bits("01010" + Field(0, 10) + Field(400, 10) + Field(0, 10) +
                                  Field(200, 10)),
                             Hex("01 00 20 40 80  00  10"), rectangle.bytes}))},
        {"a stroked curve without a fill", 3, 10, 13, 4, 10, std::nullopt, ColorValue{0, 0, 0xFF},
         20, curve,
         TagBytes(2,
                  Concat({Hex("03 00"),
                          Bits("00101" + Field(10, 5) + Field(13, 5) + Field(4, 5) + Field(10, 5)),
                          Hex("00  01 14 00 00 00 FF  01"), curve.bytes}))},
        {"an empty shape", 2, 0, 0, 0, 0, std::nullopt, std::nullopt, 0, empty,
         TagBytes(2, Concat({Hex("02 00"), Bits("00001 0 0 0 0"), Hex("00 00 00"), empty.bytes}))},
    };
}

// ---- Action records ----

struct ActionValue {
    enum Kind : uint8_t { GotoFrame, GotoLabel, NextFrame, PreviousFrame, Play, Stop, GetUrl };
    const char* what;
    Kind kind;
    uint16_t frame = 0; // go to frame
    std::string text;   // go to label: the label; get URL: the URL
    std::string target; // get URL
    bool play = false;  // go-tos: a Play record follows
    Bytes bytes;
};

inline std::vector<ActionValue> ActionVectors() {
    using A = ActionValue;
    return {
        {"go to frame 3", A::GotoFrame, 3, "", "", false, Hex("81 02 00 03 00")},
        {"go to frame 258 and play", A::GotoFrame, 258, "", "", true, Hex("81 02 00 02 01 06")},
        {"go to a label", A::GotoLabel, 0, "intro", "", false,
         Concat({Hex("8C 06 00"), Text("intro"), Hex("00")})},
        {"go to a label and play", A::GotoLabel, 0, "intro", "", true,
         Concat({Hex("8C 06 00"), Text("intro"), Hex("00 06")})},
        {"next frame", A::NextFrame, 0, "", "", false, Hex("04")},
        {"next frame and play", A::NextFrame, 0, "", "", true, Hex("04 06")},
        {"previous frame", A::PreviousFrame, 0, "", "", false, Hex("05")},
        {"previous frame and play", A::PreviousFrame, 0, "", "", true, Hex("05 06")},
        {"play", A::Play, 0, "", "", false, Hex("06")},
        {"stop", A::Stop, 0, "", "", false, Hex("07")},
        {"get a URL into a window", A::GetUrl, 0, "http://a.b/", "_blank", false,
         Concat({Hex("83 13 00"), Text("http://a.b/"), Hex("00"), Text("_blank"), Hex("00")})},
        {"get a URL without a target", A::GetUrl, 0, "x", "", false, Hex("83 03 00 78 00 00")},
    };
}

// A DoAction tag: the records and the end-of-actions byte.
inline Bytes DoActionBytes(const std::vector<ActionValue>& actions) {
    Bytes body;
    for (const ActionValue& a : actions)
        body = Concat({body, a.bytes});
    body.push_back(0);
    return TagBytes(12, body);
}

// ---- Buttons ----

struct ButtonCharacterValue {
    uint8_t states; // up 1, over 2, down 4, hit test 8
    uint16_t characterId;
};

// A condition record of its own size: the transitions that run it and its action records.
struct ConditionValue {
    uint16_t conditions;
    std::vector<ActionValue> actions;
};

// A whole DefineButton2: every record at depth 1 with the identity matrix and colour transform,
// the condition records, and the empty record that ends them. `url` set: one last condition
// record of size 0 on the release, getting `url` into `target`, ended by the empty record's
// first byte.
struct Button2Vector {
    const char* what;
    uint16_t id;
    bool menu;
    std::vector<ButtonCharacterValue> characters;
    std::vector<ConditionValue> conditions;
    std::optional<std::pair<std::string, std::string>> url;
    Bytes bytes;
};

inline std::vector<Button2Vector> Button2Vectors() {
    const auto actions = ActionVectors();
    const ActionValue& stop = actions[9];
    const ActionValue& label = actions[2];
    const ActionValue& next = actions[4];
    // Each state record: states, character id, depth 1, identity matrix, identity colour
    // transform.
    auto state = [](uint8_t states, uint16_t id) {
        return Concat({Bytes{states, uint8_t(id), uint8_t(id >> 8)}, Hex("01 00  02 00  00")});
    };
    return {
        {"a symbol's button: its display character, a hit area and two events",
         5,
         false,
         {{7, 4}, {8, 3}},
         {{1u << 3, {stop}}, {1u << 0, {label, next}}},
         std::nullopt,
         TagBytes(34, Concat({Hex("05 00 00  13 00"), state(7, 4), state(8, 3), Hex("00"),
                              Hex("06 00 08 00 07 00"),
                              Concat({Hex("0F 00 01 00"), label.bytes, next.bytes, Hex("00")}),
                              Hex("00 00 00 00 00")}))},
        {"a menu button without events: the offset points at the empty record",
         2,
         true,
         {{1, 1}},
         {},
         std::nullopt,
         TagBytes(34,
                  Concat({Hex("02 00 01  0B 00"), state(1, 1), Hex("00"), Hex("00 00 00 00 00")}))},
        {"a scene's URL button on its hit area",
         6,
         false,
         {{8, 1}},
         {},
         std::pair<std::string, std::string>{"http://a.b/", "_self"},
         TagBytes(34, Concat({Hex("06 00 00  0B 00"), state(8, 1), Hex("00"), Hex("00 00 08 00"),
                              Hex("83 12 00"), Text("http://a.b/"), Hex("00"), Text("_self"),
                              Hex("00"), Hex("00 00 00 00 00")}))},
    };
}

// ---- Fonts and static text ----

// A whole DefineFont: the offset table, then each glyph with one fill bit and one line bit and
// its records (an empty glyph has none).
struct FontVector {
    const char* what;
    uint16_t id;
    std::vector<std::optional<ShapeRecordsVector>> glyphs; // nullopt: an empty glyph
    Bytes bytes;
};

inline std::vector<FontVector> FontVectors() {
    const ShapeRecordsVector box = FilledRectangleRecords();
    const ShapeRecordsVector dot{
        "a dot", {MoveTo(0, 0, 1)}, Bits("0 0 0 1 0 1 00001 0 0 1" + kEndRecord)};
    const uint8_t boxEnd = uint8_t(6 + 1 + box.bytes.size());
    return {
        {"a box, an empty glyph and a dot",
         1,
         {box, std::nullopt, dot},
         TagBytes(10, Concat({Hex("01 00  06 00"), Bytes{boxEnd, 0, uint8_t(boxEnd + 2), 0},
                              Hex("11"), box.bytes, Hex("11 00"), Hex("11"), dot.bytes}))},
        {"one empty glyph", 4, {std::nullopt}, TagBytes(10, Hex("04 00  02 00  11 00"))},
    };
}

// DefineFontInfo: the face name, no style flags, one code byte per glyph.
struct FontInfoVector {
    uint16_t fontId;
    std::string name;
    std::vector<uint8_t> codes;
    Bytes bytes;
};

inline std::vector<FontInfoVector> FontInfoVectors() {
    return {
        {1,
         "Sans",
         {'A', ' ', '.'},
         TagBytes(13, Concat({Hex("01 00 04"), Text("Sans"), Hex("00 41 20 2E")}))},
        {4, "", {0xE9}, TagBytes(13, Hex("04 00 00 00 E9"))},
    };
}

// The writer's input of a DefineText, and what a reader finds in it.
struct TextLetterValue {
    int32_t glyph;   // below 0: no glyph
    double advance;  // twips
    double y;        // the letter's pen y
    double lineStep; // to the next letter's line
};
struct TextGlyphValue {
    uint32_t glyph;
    int32_t advance;
    bool operator==(const TextGlyphValue&) const = default;
};
// A style record (flags 0x08 font, 0x04 colour, 0x02 y, 0x01 x) with the glyphs after it.
struct TextRecordValue {
    uint8_t flags;
    uint16_t fontId;
    ColorValue color;
    int32_t x, y;
    uint16_t height; // twips
    std::vector<TextGlyphValue> glyphs;
};
struct DefineTextVector {
    const char* what;
    uint16_t id;
    int32_t xmin, xmax, ymin, ymax;
    uint16_t fontId;
    uint32_t fontGlyphCount;
    ColorValue color;
    int32_t x, y, fontSize; // the first letter's pen, the size in pixels
    std::vector<TextLetterValue> letters;
    unsigned glyphBits, advanceBits;
    std::vector<TextRecordValue> records;
    Bytes bytes;
};

inline std::vector<DefineTextVector> DefineTextVectors() {
    return {
        {"one line: a letter without a glyph writes nothing, advances are signed",
         1,
         0,
         300,
         0,
         240,
         7,
         3,
         ColorValue{0x10, 0x20, 0x30},
         20,
         200,
         12,
         {{0, 100, 200, 0}, {2, 120, 200, 0}, {-1, 50, 200, 0}, {1, -3, 200, 0}},
         2,
         8,
         {{0x0F, 7, {0x10, 0x20, 0x30}, 20, 200, 240, {{0, 100}, {2, 120}, {1, -3}}}},
         TagBytes(11, Concat({Hex("01 00"),
                              Bits("01010" + Field(0, 10) + Field(300, 10) + Field(0, 10) +
                                   Field(240, 10)),
                              Hex("02 00  02 08  8F 07 00 10 20 30 14 00 C8 00 F0 00  03"),
                              Bits(Field(0, 2) + Field(100, 8) + Field(2, 2) + Field(120, 8) +
                                   Field(1, 2) + Field(-3, 8)),
                              Hex("00")}))},
        {"two lines, and a line step after the last letter",
         1,
         0,
         200,
         0,
         700,
         1,
         3,
         ColorValue{0, 0, 0},
         0,
         200,
         10,
         {{0, 100, 200, 0}, {1, 90, 200, 240}, {2, 80, 440, 240}},
         2,
         8,
         {{0x0F, 1, {0, 0, 0}, 0, 200, 200, {{0, 100}, {1, 90}}},
          {0x02, 0, {0, 0, 0}, 0, 440, 0, {{2, 80}}},
          {0x02, 0, {0, 0, 0}, 0, 680, 0, {}}},
         TagBytes(11, Concat({Hex("01 00"),
                              Bits("01011" + Field(0, 11) + Field(200, 11) + Field(0, 11) +
                                   Field(700, 11)),
                              Hex("02 00  02 08  8F 01 00 00 00 00 00 00 C8 00 C8 00  02"),
                              Bits(Field(0, 2) + Field(100, 8) + Field(1, 2) + Field(90, 8)),
                              Hex("82 B8 01  01"), Bits(Field(2, 2) + Field(80, 8)),
                              Hex("82 A8 02  00  00")}))},
    };
}

} // namespace tavro::test::vectors
