// Writes a small movie that uses every definition record (shapes with straight and curved
// edges, long edges, a sprite in the long tag form, URL and event buttons, frame actions, a font
// with its info and static texts) together with a JSON description of what each record means.
// The interop stage (tests/interop.cmake) hands both to an independent SWF parser and compares.
//
// The expected values are the inputs given here, not anything read back from the writer:
// absolute edge end points, glyph positions, action lists, state ids.
#include "model/CColor.h"
#include "model/CMatrix3.h"
#include "model/CNodeCurveTo2.h"
#include "model/CPath.h"
#include "swf/CSwfButton.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfRecords.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tavro {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

fs::path OutputDir() {
    if (const char* dir = std::getenv("TAVRO_INTEROP_DIR"))
        return dir;
    return fs::path(TAVRO_BINARY_DIR) / "interop" / "out";
}

// Pen positions a reader should reach after each edge of a path (move-tos start a new list).
json Outline(const std::vector<std::vector<std::pair<int, int>>>& contours) {
    json out = json::array();
    for (const auto& contour : contours) {
        json points = json::array();
        for (auto [x, y] : contour)
            points.push_back({x, y});
        out.push_back(points);
    }
    return out;
}

TEST(InteropMovie, WritesMovieAndExpectations) {
    CSwfWriter w;
    json expect;
    w.WriteHeader(200, 100, 12, 2);
    w.WriteSetBackgroundColor(0x33, 0x66, 0x99);
    expect["frameCount"] = 2;
    expect["background"] = {0x33, 0x66, 0x99};

    // 1: the stage rectangle.
    CSwfShape stage = MakeStageRectangle(200, 100);
    ASSERT_EQ(stage.Define(w), 1);
    expect["shapes"].push_back(
        {{"id", 1},
         {"bounds", {0, 0, 4000, 2000}},
         {"fill", {255, 255, 255}},
         {"outline", Outline({{{0, 0}, {4000, 0}, {4000, 2000}, {0, 2000}, {0, 0}}})}});

    // 2: lines of every direction and a curve, with a fill and a 2-pixel line.
    CSwfShape drawn;
    drawn.fill = std::make_unique<CFillStyleColor>(CColor(200, 10, 20));
    drawn.line = std::make_unique<CLineStyle>();
    drawn.line->width = 40;
    drawn.line->color = CColor(1, 2, 3);
    drawn.path.AddMoveTo(100, 100, 1, 1);
    drawn.path.AddLineTo(300, 100);
    drawn.path.AddLineTo(300, 250);
    drawn.path.AddCurveTo2({200, 400}, {100, 250});
    drawn.path.AddLineTo(100, 100);
    drawn.path.AddMoveTo(150, 150);
    drawn.path.AddLineTo(250.4, 199.6);
    drawn.path.AddLineTo(150, 150);
    ASSERT_EQ(drawn.Define(w), 2);
    expect["shapes"].push_back(
        {{"id", 2},
         {"bounds", {100, 100, 300, 400}},
         {"fill", {200, 10, 20}},
         {"line", {40, 1, 2, 3}},
         {"outline", Outline({{{100, 100}, {300, 100}, {300, 250}, {100, 250}, {100, 100}},
                              {{150, 150}, {250, 200}, {150, 150}}})},
         {"curves", {{200, 400}}}});

    // 3: edges far beyond what one edge record holds.
    CSwfShape large;
    large.fill = std::make_unique<CFillStyleColor>(CColor(0, 0, 0));
    large.path.AddMoveTo(-100000, 0, 1);
    large.path.AddLineTo(150000, 3);
    large.path.AddCurveTo2({0, 300000}, {-100000, 0});
    ASSERT_EQ(large.Define(w), 3);
    expect["shapes"].push_back({{"id", 3},
                                {"bounds", {-100000, 0, 150000, 300000}},
                                {"fill", {0, 0, 0}},
                                {"outline", Outline({{{-100000, 0}, {150000, 3}, {-100000, 0}}})},
                                {"split", true}});

    // 4: a sprite whose inner tags need the long form.
    SpriteTag sprite = BeginDefineSprite(w);
    ASSERT_EQ(sprite.id, 4);
    json spritePlaces = json::array();
    for (int depth = 1; depth <= 6; ++depth) {
        CMatrix3 m;
        m.SetTranslation(depth * 100.0, -depth * 50.0);
        w.WritePlaceObject2(2, &m, nullptr, static_cast<uint16_t>(depth), false);
        spritePlaces.push_back(
            {{"depth", depth}, {"id", 2}, {"tx", depth * 100}, {"ty", -depth * 50}});
    }
    EndDefineSprite(w, sprite);
    expect["sprite"] = {{"id", 4}, {"frameCount", 1}, {"places", spritePlaces}};

    // 5: the stage link button; 6: a button without URL.
    CSwfButton link;
    link.stateIds[CSwfButton::kHitTest] = 1;
    link.url = "http://example.com/page.html";
    link.target = "_blank";
    link.Write(w, w.NextCharacterId());
    ASSERT_EQ(link.id, 5);
    CSwfButton plain;
    plain.stateIds[CSwfButton::kUp] = 2;
    plain.stateIds[CSwfButton::kHitTest] = 1;
    plain.Write(w, w.NextCharacterId());
    expect["buttons"].push_back(
        {{"id", 5},
         {"records", {{{"states", 8}, {"id", 1}}}},
         {"conditions",
          {{{"conditions", 8},
            {"actions", {{{"action", "GetUrl"}, {"url", link.url}, {"target", "_blank"}}}}}}}});
    expect["buttons"].push_back(
        {{"id", 6},
         {"records", {{{"states", 1}, {"id", 2}}, {{"states", 8}, {"id", 1}}}},
         {"conditions", json::array()}});

    // 7: a button with event records, as symbols with events write it.
    const uint16_t eventButton = w.NextCharacterId();
    const ButtonCharacter chars[] = {{7, 4}, {8, 1}};
    BeginDefineButton2(w, eventButton, false, chars);
    uint32_t at = BeginButtonCondition(w, 4);
    WriteActionGotoFrame(w, 1, true);
    WriteActionGotoLabel(w, "end", false);
    EndButtonCondition(w, at);
    at = BeginButtonCondition(w, 1 | 256);
    WriteActionNextFrame(w, false);
    WriteActionPreviousFrame(w, true);
    WriteActionStop(w);
    WriteActionGetUrl(w, "x", "");
    EndButtonCondition(w, at);
    EndDefineButton2(w);
    expect["buttons"].push_back(
        {{"id", 7},
         {"records", {{{"states", 7}, {"id", 4}}, {{"states", 8}, {"id", 1}}}},
         {"conditions",
          {{{"conditions", 4},
            {"actions",
             {{{"action", "GotoFrame"}, {"frame", 1}},
              {{"action", "Play"}},
              {{"action", "GotoLabel"}, {"label", "end"}}}}},
           {{"conditions", 1 | 256},
            {"actions",
             {{{"action", "NextFrame"}},
              {{"action", "PreviousFrame"}},
              {{"action", "Play"}},
              {{"action", "Stop"}},
              {{"action", "GetUrl"}, {"url", "x"}, {"target", ""}}}}}}}});

    // 8: a font of three glyphs: a triangle with a curve, an empty glyph, two contours.
    CPath glyphA;
    glyphA.AddMoveTo(0, 0, 1);
    glyphA.AddLineTo(500, -1000);
    glyphA.AddCurveTo2({800, -500}, {1000, 0});
    glyphA.AddLineTo(0, 0);
    CPath glyphB;
    glyphB.AddMoveTo(0, 0, 1);
    glyphB.AddLineTo(0, -700);
    glyphB.AddLineTo(600, -700);
    glyphB.AddLineTo(0, 0);
    glyphB.AddMoveTo(100, -100);
    glyphB.AddLineTo(100, -200);
    glyphB.AddLineTo(200, -200);
    glyphB.AddLineTo(100, -100);
    const CPath* glyphs[] = {&glyphA, nullptr, &glyphB};
    const uint16_t fontId = WriteDefineFont(w, glyphs);
    ASSERT_EQ(fontId, 8);
    const uint8_t codes[] = {'A', ' ', 'B'};
    WriteDefineFontInfo(w, fontId, "Interop Sans", codes);
    expect["font"] = {{"id", 8},
                      {"name", "Interop Sans"},
                      {"codes", {65, 32, 66}},
                      {"glyphs",
                       {Outline({{{0, 0}, {500, -1000}, {1000, 0}, {0, 0}}}), Outline({}),
                        Outline({{{0, 0}, {0, -700}, {600, -700}, {0, 0}},
                                 {{100, -100}, {100, -200}, {200, -200}, {100, -100}}})}}};

    // 9: a text of 130 glyphs on one line (more than one record holds) and two on the next.
    // 10: a one-line text whose last letter steps to a new line.
    DefineTextStyle style;
    style.bounds = CDoubleRect(-2000, -300, 2000, 300);
    style.fontId = fontId;
    style.color = CColor(10, 20, 30);
    style.x = -1950.4;
    style.y = -100;
    style.fontSize = 12;
    style.fontGlyphCount = 3;
    // Records as a reader sees them; an offset of null is one the record does not set.
    auto record = [](json x, json y, json glyphEntries) {
        return json{{"x", x}, {"y", y}, {"glyphs", glyphEntries}};
    };
    std::vector<DefineTextLetter> letters;
    json records = json::array();
    json entries = json::array();
    int penX = -1950;
    for (int i = 0; i < 130; ++i) {
        const int index = i % 2 == 0 ? 0 : 2;
        // The last letter of the line advances back to the line's start.
        const int advance = i == 129 ? -1950 - penX : 10 + i % 7;
        letters.push_back({index, double(advance), -100.0, 0.0});
        if (i == 127) { // a record holds 127 glyphs: the line goes on in a new one
            records.push_back(record(-1950, -100, entries));
            entries = json::array();
            records.push_back(record(penX, -100, nullptr));
        }
        entries.push_back({index, advance});
        penX += advance;
    }
    records.back()["glyphs"] = entries;
    letters.push_back({-1, 0.0, -100.0, 0.0});   // CR: no glyph
    letters.push_back({-1, 0.0, -100.0, 240.0}); // LF: next line
    letters.push_back({0, 25.0, 140.0, 0.0});
    letters.push_back({2, 25.0, 140.0, 0.0});
    records.push_back(record(nullptr, 140, {{0, 25}, {2, 25}}));
    ASSERT_EQ(WriteDefineText(w, style, letters), 9);
    const json textStyle = {{"bounds", {-2000, -300, 2000, 300}},
                            {"fontId", 8},
                            {"height", 240},
                            {"color", {10, 20, 30}}};
    json text = textStyle;
    text["id"] = 9;
    text["records"] = records;
    expect["texts"].push_back(text);

    const DefineTextLetter stepLast[] = {{0, 30.0, 0.0, 0.0}, {2, 30.0, 0.0, 240.0}};
    style.x = 0;
    style.y = 0;
    ASSERT_EQ(WriteDefineText(w, style, stepLast), 10);
    text = textStyle;
    text["id"] = 10;
    text["records"] = {record(0, 0, {{0, 30}, {2, 30}}), record(nullptr, 240, json::array())};
    expect["texts"].push_back(text);

    // Frame 1: actions and placements; frame 2: play.
    BeginDoAction(w);
    WriteActionGotoFrame(w, 0, false);
    WriteActionStop(w);
    EndDoAction(w);
    w.WritePlaceObject2(5, nullptr, nullptr, 1, false);
    w.WritePlaceObject2(4, nullptr, nullptr, 2, false);
    w.WritePlaceObject2(9, nullptr, nullptr, 3, false);
    w.WritePlaceObject2(7, nullptr, nullptr, 4, false);
    w.WriteShowFrame();
    BeginDoAction(w);
    WriteActionPlay(w);
    EndDoAction(w);
    w.WriteShowFrame();
    w.Finish();
    expect["doActions"] = {
        {{{"action", "GotoFrame"}, {"frame", 0}}, {{"action", "Stop"}}},
        {{{"action", "Play"}}},
    };

    const fs::path dir = OutputDir();
    fs::create_directories(dir);
    ASSERT_TRUE(w.SaveImage((dir / "records.swf").string()));
    std::ofstream(dir / "records.expected.json") << expect.dump(2) << "\n";
}

} // namespace
} // namespace tavro
