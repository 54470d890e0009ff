// The JSON form: tables against the registry and the classes' own Serialize, byte-exact round
// trips (old and zero versions, stored schemas, rare encodings, odd doubles), edits that reach
// the real objects, damaged JSON, and agreement with the archive reader on damaged bytes.
#include "ArchiveTestSupport.h"

#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "model/CDocObj.h"
#include "model/CLineStyle.h"
#include "model/CPath.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace tavro {
namespace {

using Json = nlohmann::ordered_json;
using test::Bytes;

const ArchiveLevelTables& Tables() {
    return ArchiveLevelTables::Registered();
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& bytes,
                               std::string_view root = "CDocObj") {
    return JsonToArchive(ArchiveToJson(bytes, Tables(), root), Tables(), root);
}

// Classes registered by the library; this test binary also registers Test* helper classes.
bool IsDocumentClass(const ClassInfo* cls) {
    return cls->className[0] == 'C';
}

// A movie with a linked scene, frame and button events holding every kind of action.
std::vector<uint8_t> RichMovie() {
    CDocObj doc;
    doc.SetMovieSize(640, 480);
    doc.SetFrameRate(12.5);
    doc.SetBackgroundColor(10, 20, 30, 40);
    doc.NewMovie();
    CSceneObj& scene = doc.InsertScene();
    scene.SetLink("http://example.org/\xE9t\xE9");
    scene.SetTargetFrame("_blank");
    scene.SetReservedA(-7);
    scene.SetStagePosition(12.25, -3);
    scene.AddChild(std::make_unique<CTextObj>("Hi\r\nthere", &scene));
    auto atFrame = std::make_unique<CEventAtFrame>(nullptr, 4);
    auto url = std::make_unique<CActionGotoURL>(atFrame.get());
    url->SetURL("http://example.org");
    atFrame->AddChild(std::move(url));
    atFrame->AddChild(std::make_unique<CActionPlay>(atFrame.get()));
    scene.InsertEvent(std::move(atFrame));
    auto button = std::make_unique<CEventObj>(nullptr, CEventObj::kPress);
    auto jump = std::make_unique<CActionGotoFrame>(button.get());
    jump->SetLabel("end");
    jump->SetMode(1);
    button->AddChild(std::move(jump));
    scene.InsertEvent(std::move(button));
    scene.InsertEvent(std::make_unique<CEventAtLabel>(nullptr));
    doc.SelectPosition(doc.GetHeadPosition());
    return SaveObjectToMemory(doc);
}

void ExpectJsonError(const Json& json, const std::string& fragment) {
    try {
        JsonToArchive(json, Tables());
        ADD_FAILURE() << "accepted; expected an error with: " << fragment;
    } catch (const JsonFormError& e) {
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos)
            << e.what() << "\n  expected: " << fragment;
    }
}

TEST(JsonForm, TablesCoverEveryRegisteredClassAndAgreeWithTheRegistry) {
    for (const ClassInfo* cls : ClassInfo::AllClasses()) {
        if (!IsDocumentClass(cls))
            continue;
        const ArchiveLevel* level = Tables().Find(cls->className);
        ASSERT_NE(level, nullptr) << cls->className << " has no JSON table";
        EXPECT_EQ(level->version, cls->Version()) << cls->className;
        EXPECT_STREQ(level->baseName,
                     cls->base == &CRootObj::classInfo ? nullptr : cls->base->className)
            << cls->className;
    }
}

TEST(JsonForm, EveryClassRoundTripsAndTheBytesLoadWithTheClassItself) {
    for (const ClassInfo* cls : ClassInfo::AllClasses()) {
        if (!IsDocumentClass(cls) || cls->factory == nullptr)
            continue;
        SCOPED_TRACE(cls->className);
        std::unique_ptr<CRootObj> obj(cls->CreateObject());
        if (auto* path = DynamicCast<CPath>(obj.get())) {
            path->AddMoveTo(1, 2, 1);
            path->AddLineTo(3.5, -4);
            path->AddCurveTo2({5, 6}, {7, 8});
        } else if (auto* line = DynamicCast<CLineStyle>(obj.get())) {
            line->pattern = {1, 2, 0xFF};
            line->width = 2.5;
        }
        const std::vector<uint8_t> bytes = SaveObjectToMemory(*obj);
        const Json json = ArchiveToJson(bytes, Tables(), cls->className);
        EXPECT_FALSE(json.contains("trailingBytes")) << "the table reads less than the class";
        const std::vector<uint8_t> back = JsonToArchive(json, Tables(), cls->className);
        EXPECT_EQ(back, bytes);
        std::unique_ptr<CRootObj> loaded(cls->CreateObject());
        LoadObjectFromMemory(back, *loaded);
        EXPECT_EQ(SaveObjectToMemory(*loaded), bytes);
    }
}

TEST(JsonForm, MovieRoundTripsAndEditsReachTheRealObjects) {
    const std::vector<uint8_t> bytes = RichMovie();
    Json json = ArchiveToJson(bytes, Tables());
    EXPECT_EQ(JsonToArchive(json, Tables()), bytes);
    EXPECT_EQ(MovieJsonTextToArchive(MovieArchiveToJsonText(bytes)), bytes);

    Json& doc = json["document"];
    EXPECT_EQ(doc["CDocObj"]["frameRate"], 12.5);
    Json& scene = doc["CTavroObj"]["children"][1];
    EXPECT_EQ(scene["class"], "CSceneObj");
    EXPECT_EQ(scene["CSceneObj"]["link"], "http://example.org/\u00e9t\u00e9");
    Json& text = scene["CTavroObj"]["children"][0];
    EXPECT_EQ(text["CTavroObj"]["name"], "Hi\r\nthere");
    text["CTextObj"]["fontSize"] = 30;
    EXPECT_EQ(scene["CSymbolObj"]["matrix"]["CMatrix3"]["m"][6], 12.25);
    Json& events = scene["CSymbolObj"]["events"]["CTavroObj"]["children"];
    ASSERT_EQ(events.size(), 3u);
    const size_t buttonIndex = events[1]["class"] == "CEventObj" ? 1 : 2;
    Json& buttonEvent = events[buttonIndex];
    EXPECT_EQ(buttonEvent["class"], "CEventObj");
    EXPECT_EQ(buttonEvent["CEventObj"]["conditions"], CEventObj::kPress);

    doc["CDocObj"]["width"] = 800;
    doc["CDocObj"]["backgroundColor"]["CColor"]["alpha"] = 255;
    scene["CSceneObj"]["link"] = "mailto:a@b.c \u20ac";
    scene["CSceneObj"]["reservedB"] = 9;
    events[0]["CTavroObj"]["children"][0]["CActionGotoURL"]["target"] = "_top";
    buttonEvent["CEventObj"]["conditions"] = CEventObj::kRelease;
    doc["CTavroObj"]["selection"] = {1};

    CDocObj loaded;
    LoadObjectFromMemory(JsonToArchive(json, Tables()), loaded);
    EXPECT_EQ(loaded.GetMovieSize().x, 800.0);
    EXPECT_EQ(loaded.GetBackgroundColor(), CColor(10, 20, 30, 255));
    CSceneObj* edited = loaded.GetSelectedScene();
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(edited->GetLink(), "mailto:a@b.c \x80");
    EXPECT_EQ(edited->GetReservedB(), 9);
    EXPECT_EQ(DynamicCast<CTextObj>(edited->GetChildList().front().get())->GetFontSize(), 30);
    const auto& loadedEvents = edited->GetEventList().GetChildList();
    auto* firstAction =
        DynamicCast<CActionGotoURL>(loadedEvents.front()->GetChildList().front().get());
    ASSERT_NE(firstAction, nullptr);
    EXPECT_EQ(firstAction->GetTarget(), "_top");
    EXPECT_EQ(DynamicCast<CEventObj>(std::next(loadedEvents.begin(), long(buttonIndex))->get())
                  ->GetConditions(),
              CEventObj::kRelease);
}

TEST(JsonForm, ZeroOldAndNewerVersionsRoundTrip) {
    // A scene whose symbol level is version 0 and whose scene level is version 3.
    Bytes b;
    b.b({1, 0}).w(1).newClass("CSceneObj").emptyBase().b({0, 3}).dw(5).dw(6).dw(7).b({0, 0});
    b.dw(0).b({1}).fill(24, 0).b({1}).fill(16, 0);
    CDocObj doc;
    LoadObjectFromMemory(b.v, doc);
    const Json json = ArchiveToJson(b.v, Tables());
    const Json& scene = json["document"]["CTavroObj"]["children"][0];
    EXPECT_EQ(scene["CSymbolObj"], Json({{"version", 0}}));
    EXPECT_EQ(scene["CSceneObj"]["version"], 3);
    EXPECT_EQ(scene["CSceneObj"]["reservedB"], 7);
    EXPECT_EQ(RoundTrip(b.v), b.v);

    // Fields added in later versions, with a table set of its own.
    ArchiveLevelTables tables;
    tables.Add(
        {"CProbe",
         nullptr,
         4,
         ArchiveLevelForm::Versioned,
         {{"early", ArchiveFieldType::Int}, {"late", ArchiveFieldType::Int, nullptr, 0, 3}}});
    const std::vector<uint8_t> v2 = {2, 9, 0, 0, 0};
    const Json probe = ArchiveToJson(v2, tables, "CProbe");
    EXPECT_EQ(probe["document"]["CProbe"], Json({{"version", 2}, {"early", 9}}));
    EXPECT_EQ(JsonToArchive(probe, tables, "CProbe"), v2);
    Json withLate = probe;
    withLate["document"]["CProbe"]["late"] = 1;
    EXPECT_THROW(JsonToArchive(withLate, tables, "CProbe"), JsonFormError);
    const std::vector<uint8_t> v9 = {9, 1, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(JsonToArchive(ArchiveToJson(v9, tables, "CProbe"), tables, "CProbe"), v9);
}

TEST(JsonForm, StoredSchemasAndRareEncodingsSurvive) {
    // A path whose line-to class is stored with schema 0: its node carries no points.
    Bytes path;
    path.b({1}).w(2).w(0xFFFF).w(0).w(11).chars("CNodeLineTo");
    path.newClass("CNodeMoveTo").fill(8, 0).b({0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    const Json pathJson = ArchiveToJson(path.v, Tables(), "CPath");
    EXPECT_EQ(pathJson["document"]["CPath"]["nodes"][0],
              Json({{"class", "CNodeLineTo"}, {"tag", {{"schema", 0}}}}));
    EXPECT_EQ(RoundTrip(path.v, "CPath"), path.v);
    CPath loadedPath;
    LoadObjectFromMemory(path.v, loadedPath);

    // A document with a word-length name, a dword child count, a repeated class descriptor,
    // a big class tag naming the first descriptor, a wide string and bytes after the end.
    Bytes b;
    b.b({1, 0xFF}).w(2).chars("mv").w(0xFFFF).dw(3);
    const auto sceneBody = [&b](bool wideLink) {
        b.emptyBase().b({1, 1}).fill(72, 0).emptyBase().emptyBase().b({1}).dw(0).dw(0).dw(200);
        if (wideLink)
            b.b({0xFF}).w(0xFFFE).b({2}).w(0x20AC).w(0xD83D);
        else
            b.b({0});
        b.b({0});
    };
    b.newClass("CSceneObj");
    sceneBody(false);
    b.w(0xFFFF).w(7).w(9).chars("CSceneObj");
    sceneBody(true);
    b.w(0x7FFF).dw(0x80000001);
    sceneBody(false);
    b.dw(1).dw(0xFFFFFFFF).b({1}).fill(24, 0).b({0}).chars("tail");
    CDocObj doc;
    LoadObjectFromMemory(b.v, doc);
    ASSERT_EQ(doc.GetChildCount(), 3u);

    const Json json = ArchiveToJson(b.v, Tables());
    const Json& base = json["document"]["CTavroObj"];
    EXPECT_EQ(base["name"], Json({{"text", "mv"}, {"lengthForm", "word"}}));
    EXPECT_EQ(base["children"]["countForm"], "dword");
    EXPECT_EQ(base["children"]["items"][1]["tag"], Json({{"newClass", true}, {"schema", 7}}));
    EXPECT_EQ(base["children"]["items"][1]["CSceneObj"]["link"], Json({{"wide", "20acd83d"}}));
    EXPECT_EQ(base["children"]["items"][2]["tag"], Json({{"bigTag", true}, {"classIndex", 1}}));
    EXPECT_EQ(base["selection"], Json({-1}));
    EXPECT_EQ(json["trailingBytes"], "7461696c");
    EXPECT_EQ(RoundTrip(b.v), b.v);
}

// A count takes the word form below 65535 and the escaped long form from 65535 on, so lists on
// either side of that boundary must come back in the form their count calls for, with no note.
// `longForm` writes the escape for a count that would fit a word (a file from elsewhere).
Bytes EventWithActions(uint32_t n, bool longForm = false) {
    Bytes b;
    b.b({1, 0});
    if (n < 0xFFFF && !longForm)
        b.w(static_cast<uint16_t>(n));
    else
        b.w(0xFFFF).dw(n);
    for (uint32_t i = 0; i < n; ++i) {
        if (i == 0)
            b.newClass("CActionPlay");
        else
            b.w(0x8001);
        b.emptyBase().b({1, 1});
    }
    b.dw(0).b({1}).dw(CEventObj::kPress);
    return b;
}

Bytes LineStyleWithPattern(uint32_t n) {
    Bytes b;
    b.b({1}).dw(2).fill(8, 0).b({1}).fill(16, 0);
    if (n < 0xFFFF)
        b.w(static_cast<uint16_t>(n));
    else
        b.w(0xFFFF).dw(n);
    return b.fill(n, 0xA5);
}

TEST(JsonForm, ListsRoundTripInTheCountFormOnBothSidesOfTheWordLimit) {
    for (const uint32_t n : {65534u, 65535u, 70000u}) {
        SCOPED_TRACE(n);
        const Bytes event = EventWithActions(n);
        CEventObj loadedEvent;
        LoadObjectFromMemory(event.v, loadedEvent);
        ASSERT_EQ(SaveObjectToMemory(loadedEvent), event.v) << "the bytes are the writer's own";
        const Json eventJson = ArchiveToJson(event.v, Tables(), "CEventObj");
        const Json& actions = eventJson["document"]["CTavroObj"]["children"];
        ASSERT_TRUE(actions.is_array()) << "no count note for the writer's own form";
        EXPECT_EQ(actions.size(), n);
        EXPECT_EQ(JsonToArchive(eventJson, Tables(), "CEventObj"), event.v);

        const Bytes line = LineStyleWithPattern(n);
        CLineStyle loadedLine;
        LoadObjectFromMemory(line.v, loadedLine);
        ASSERT_EQ(SaveObjectToMemory(loadedLine), line.v);
        const Json lineJson = ArchiveToJson(line.v, Tables(), "CLineStyle");
        EXPECT_TRUE(lineJson["document"]["CLineStyle"]["pattern"].is_string());
        EXPECT_EQ(JsonToArchive(lineJson, Tables(), "CLineStyle"), line.v);
    }

    // The long form of a count that fits a word is a note, kept as it is.
    const Bytes escaped = EventWithActions(65534, true);
    const Json escapedJson = ArchiveToJson(escaped.v, Tables(), "CEventObj");
    EXPECT_EQ(escapedJson["document"]["CTavroObj"]["children"]["countForm"], "dword");
    EXPECT_EQ(JsonToArchive(escapedJson, Tables(), "CEventObj"), escaped.v);
    // A note asking for the word form of a count that needs the long one cannot be written.
    Json forcedWord = ArchiveToJson(EventWithActions(65535).v, Tables(), "CEventObj");
    Json& children = forcedWord["document"]["CTavroObj"]["children"];
    children = Json{{"countForm", "word"}, {"items", children}};
    EXPECT_THROW(JsonToArchive(forcedWord, Tables(), "CEventObj"), JsonFormError);

    // A whole movie through the text form, as the converter reads and writes it.
    CDocObj doc;
    CSceneObj& scene = doc.NewMovie();
    auto atFrame = std::make_unique<CEventAtFrame>(nullptr, 1);
    for (int i = 0; i < 65535; ++i)
        atFrame->AddChild(std::make_unique<CActionPlay>(atFrame.get()));
    scene.InsertEvent(std::move(atFrame));
    const std::vector<uint8_t> movie = SaveObjectToMemory(doc);
    EXPECT_EQ(MovieJsonTextToArchive(MovieArchiveToJsonText(movie)), movie);
}

TEST(JsonForm, UnusualDoublesSurviveAsNumbersOrNamedStrings) {
    Bytes b;
    b.emptyBase().b({1});
    const double values[3] = {-0.0, 5e-324, std::bit_cast<double>(0x7FF0000000000001ull)};
    for (double v : values)
        b.v.insert(b.v.end(), reinterpret_cast<const uint8_t*>(&v),
                   reinterpret_cast<const uint8_t*>(&v) + 8);
    b.b({1}).dw(0).dw(0).dw(0).dw(0);
    const Json json = ArchiveToJson(b.v, Tables());
    EXPECT_EQ(json["document"]["CDocObj"]["frameRate"], "NaN:0x7FF0000000000001");
    EXPECT_EQ(RoundTrip(b.v), b.v);
    EXPECT_NE(MovieArchiveToJsonText(b.v).find("-0.0"), std::string::npos);

    Json edited = json;
    edited["document"]["CDocObj"]["frameRate"] = "Infinity";
    edited["document"]["CDocObj"]["width"] = "NaN";
    CDocObj doc;
    LoadObjectFromMemory(JsonToArchive(edited, Tables()), doc);
    EXPECT_TRUE(std::isinf(doc.GetFrameRate()));
    EXPECT_TRUE(std::isnan(doc.GetMovieSize().x));
}

TEST(JsonForm, DamagedJsonNamesTheValueAndTheReason) {
    EXPECT_THROW(
        {
            try {
                MovieJsonTextToArchive("{\n  \"format\": ");
            } catch (const JsonFormError& e) {
                EXPECT_NE(std::string(e.what()).find("not valid JSON: parse error at line 2"),
                          std::string::npos)
                    << e.what();
                throw;
            }
        },
        JsonFormError);

    const Json good = ArchiveToJson(RichMovie(), Tables());
    const auto with = [&good](const char* pointer, Json value) {
        Json j = good;
        j[Json::json_pointer(pointer)] = std::move(value);
        return j;
    };
    const std::string doc = "/document/CDocObj";
    const std::string scene = "/document/CTavroObj/children/1";
    ExpectJsonError(with("/format", "other"), "/format: expected \"tavro-movie\"");
    ExpectJsonError(with("/document/CDocObj/colour", 1), doc + "/colour: unknown key");
    Json missing = good;
    missing["document"]["CDocObj"].erase("frameRate");
    ExpectJsonError(missing, doc + "/frameRate: missing");
    ExpectJsonError(with("/document/CDocObj/backgroundColor/CColor/red", 2147483648LL),
                    "/CColor/red: expected a whole number");
    ExpectJsonError(with("/document/CDocObj/width", "wide"), doc + "/width: expected a number");
    ExpectJsonError(with("/document/CDocObj/version", 0), doc + "/width: not part of version 0");
    ExpectJsonError(with("/document/CTavroObj/name", "\u2713"), "cannot store");
    ExpectJsonError(with((scene + "/class").c_str(), "CColor"), "a CColor where a CTavroObj");
    ExpectJsonError(with((scene + "/class").c_str(), "CNope"), "unknown class CNope");
    ExpectJsonError(with((scene + "/tag").c_str(), {{"classIndex", 9}}), "names no descriptor");
    ExpectJsonError(with((scene + "/CSceneObj/link").c_str(),
                         {{"text", std::string(300, 'a')}, {"lengthForm", "byte"}}),
                    "at most 254");
    ExpectJsonError(with((scene + "/CSymbolObj/matrix/CMatrix3/m").c_str(), {1, 2}),
                    "expected an array of 9 numbers");
}

TEST(JsonForm, DecoderAcceptsExactlyWhatTheArchiveReaderAccepts) {
    const std::vector<uint8_t> original = RichMovie();
    std::mt19937 random(7);
    int accepted = 0;
    for (int round = 0; round < 800; ++round) {
        std::vector<uint8_t> bytes = original;
        const int flips = 1 + int(random() % 3);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
        if (round % 10 == 0)
            bytes.resize(random() % bytes.size());
        bool readerAccepts = true;
        try {
            CDocObj doc;
            LoadObjectFromMemory(bytes, doc);
        } catch (const ArchiveError&) {
            readerAccepts = false;
        }
        if (!readerAccepts) {
            EXPECT_THROW(ArchiveToJson(bytes, Tables()), ArchiveError) << "round " << round;
            continue;
        }
        ++accepted;
        EXPECT_EQ(RoundTrip(bytes), bytes) << "round " << round;
    }
    EXPECT_GT(accepted, 100);
}

TEST(JsonForm, DocumentFilesInJsonFormSaveAndLoad) {
    const auto dir = std::filesystem::temp_directory_path() / "tavro-jsonform-test";
    std::filesystem::create_directories(dir);
    CDocObj doc;
    LoadObjectFromMemory(RichMovie(), doc);
    SaveDocumentJson(dir / "m.json", doc);
    CDocObj loaded;
    LoadDocumentJson(dir / "m.json", loaded);
    EXPECT_EQ(SaveObjectToMemory(loaded), SaveObjectToMemory(doc));

    std::ofstream(dir / "bad.json") << "{\"format\": \"tavro-movie\", \"formatVersion\": 1}";
    EXPECT_THROW(LoadDocumentJson(dir / "bad.json", loaded), JsonFormError);
    EXPECT_EQ(SaveObjectToMemory(loaded), SaveObjectToMemory(doc)) << "unchanged after a failure";
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tavro
