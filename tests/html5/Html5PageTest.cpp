// The web page of a movie: what it defines (every outline once, in <defs>), the timeline data
// (per frame only what changes, and replaying it gives the player's display list frame by
// frame), the escaping of text in markup and script, and the file the publish command writes.
#include "export/Html5Page.h"

#include "export/AppSettings.h"
#include "export/ExportCommands.h"
#include "export/Html5Movie.h"
#include "export/MovieExport.h"
#include "export/ShellOpener.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/host/HeadlessHost.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace tavro {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<uint8_t> ExampleSwf(const std::string& name) {
    CDocObj doc;
    LoadObjectFromFile(fs::path(TAVRO_SOURCE_DIR) / "examples" / (name + ".swi"), doc);
    return ExportMovieToMemory(doc);
}

std::string Page(const std::vector<uint8_t>& swf, Html5PageOptions options = {}) {
    const Html5PageResult result = BuildHtml5Page(swf, options);
    EXPECT_TRUE(result.ok) << result.error;
    return result.html;
}

// The part of the page between `from` and `to` (both excluded).
std::string Between(const std::string& html, const std::string& from, const std::string& to) {
    const size_t a = html.find(from);
    const size_t b = html.find(to, a == std::string::npos ? 0 : a + from.size());
    if (a == std::string::npos || b == std::string::npos)
        return {};
    return html.substr(a + from.size(), b - a - from.size());
}

json MovieData(const std::string& html) {
    return json::parse(
        Between(html, "<script type=\"application/json\" id=\"tavro-movie\">", "</script>"));
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

TEST(Html5Page, DefinesEveryOutlineOnceAndUsesOnlyWhatItDefines) {
    const std::string html = Page(ExampleSwf("letters"));
    const std::string defs = Between(html, "<defs>", "</defs>");
    ASSERT_FALSE(defs.empty());
    // Every id once; every reference to a defined id.
    std::set<std::string> ids;
    const std::regex id(" id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
         ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "defined twice: " << (*it)[1];
    const std::regex href("href=\"#([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href);
         it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.count((*it)[1])) << "not defined: " << (*it)[1];
    // All path data lives in <defs>: the stage only refers to it.
    EXPECT_EQ(Count(html, " d=\""), Count(defs, " d=\""));
    EXPECT_GT(Count(defs, " d=\""), 50u);
    // Each character the timeline shows is defined once and described once.
    const json movie = MovieData(html);
    for (const auto& [key, value] : movie["chars"].items()) {
        const std::string kind = value["k"];
        if (kind == "s" || kind == "t") {
            EXPECT_EQ(Count(defs, "id=\"c" + key + "\""), 1u) << key;
        }
    }
    EXPECT_EQ(movie["frames"].size(), 157u);
    EXPECT_EQ(movie["frameMs"], 83);
}

// The display list of the timeline's frames, as the page's script rebuilds it from the data.
struct Entry {
    int id = 0;
    std::vector<int64_t> m{65536, 0, 0, 65536, 0, 0};
    std::vector<int64_t> cx{256, 256, 256, 256, 0, 0, 0, 0};
    bool operator==(const Entry&) const = default;
};

void Apply(std::map<int, Entry>& display, const json& ops) {
    static const int order[] = {4, 5, 0, 3, 1, 2};
    for (const json& op : ops) {
        const int depth = op[0];
        if (op.size() == 1) {
            display.erase(depth);
            continue;
        }
        Entry e = op[1] > 0 ? Entry{op[1].get<int>()} : display.at(depth);
        if (op.size() > 2 && op[2].is_array())
            for (size_t i = 0; i < op[2].size(); ++i)
                e.m[order[i]] += op[2][i].get<int64_t>();
        if (op.size() > 3 && op[3].is_array())
            for (size_t i = 0; i < op[3].size(); ++i)
                e.cx[i] += op[3][i].get<int64_t>();
        display[depth] = e;
    }
}

std::map<int, Entry> PlayerDisplay(player::HeadlessHost& host) {
    std::map<int, Entry> out;
    for (const player::DisplayObject* c = host.Level0().rootObject->firstChild; c;
         c = c->nextSibling) {
        const auto& m = c->matrix;
        const auto& x = c->cxform;
        out[c->depth] = {c->character->id,
                         {m.a, m.b, m.c, m.d, m.tx, m.ty},
                         {x.aMul, x.rMul, x.gMul, x.bMul, x.aAdd, x.rAdd, x.gAdd, x.bAdd}};
    }
    return out;
}

TEST(Html5Page, TheFrameDataReplaysThePlayersTimeline) {
    for (const char* name : {"letters", "effects", "hello"}) {
        const std::vector<uint8_t> swf = ExampleSwf(name);
        const json movie = MovieData(Page(swf));
        player::HeadlessHost host;
        host.Load(swf.data(), swf.size());
        std::map<int, Entry> display;
        const json& frames = movie["frames"];
        for (size_t f = 0; f < frames.size(); ++f) {
            if (f > 0)
                host.Level0().Seek(int32_t(f), false);
            Apply(display, frames[f]);
            ASSERT_EQ(display, PlayerDisplay(host)) << name << " frame " << f;
        }
    }
}

TEST(Html5Page, FramesHoldOnlyWhatChanges) {
    const json movie = MovieData(Page(ExampleSwf("effects")));
    const json& frames = movie["frames"];
    // Frame 1 of the slide moves the text at depth 8 by (839, 454) twips and nothing else; the
    // letter shapes at depths 1 to 7 stand still until frame 3.
    EXPECT_EQ(frames[1], json::parse("[[8,0,[839,454]]]"));
    EXPECT_EQ(frames[2], json::parse("[[8,0,[838,454]]]"));
    EXPECT_EQ(frames[3].size(), 8u);
    // A new placement gives its matrix from the identity, and only the fields that are not.
    EXPECT_EQ(frames[0][0], json::parse("[1,1,[4209,6003]]"));
    // Moves that only change the colour transform leave the matrix out (0).
    bool cxOnly = false;
    for (const json& frame : frames)
        for (const json& op : frame)
            cxOnly = cxOnly || (op.size() == 4 && op[1] == 0 && op[2] == 0 && op[3].is_array());
    EXPECT_TRUE(cxOnly);
}

TEST(Html5Page, FirstFrameIsAStillPictureWithoutScripts) {
    const std::string html = Page(ExampleSwf("hello"));
    const std::string still = Between(html, "<g id=\"tavro-frame\">", "</g>\n</svg>");
    EXPECT_EQ(still, "\n<use href=\"#c2\" transform=\"translate(5500 4000)\"/>\n");
    EXPECT_NE(html.find("viewBox=\"0 0 11000 8000\""), std::string::npos);
    EXPECT_NE(html.find("background:#ffffcc"), std::string::npos);
    // The stage link of the second scene is a link the script also builds, with its URL.
    const json movie = MovieData(html);
    EXPECT_EQ(movie["chars"]["4"]["u"], json::parse(R"(["https://example.org/","_blank"])"));
    // Nothing outside the page: no src, no stylesheet or script files.
    EXPECT_EQ(Count(html, "src="), 0u);
    EXPECT_EQ(Count(html, "<link"), 0u);
    EXPECT_NE(html.find(std::string(Html5PlayerScript())), std::string::npos);
}

TEST(Html5Page, EscapesTextInMarkupAndScript) {
    CDocObj doc;
    doc.SetMovieSize(200, 100);
    CSceneObj& scene = doc.NewMovie();
    // A stage link whose URL would end the script element and the attribute it stands in, with
    // a Windows-1252 byte (e acute) and a line separator's bytes.
    const std::string url = "https://example.org/?a=1&b=</script><b x=\"y\">\xE9";
    scene.SetLink(url);
    scene.SetTargetFrame("_blank\" onclick=\"x");
    Html5PageOptions options;
    options.title = "<Tom & \"Jerry\">";
    const std::string html = Page(ExportMovieToMemory(doc), options);

    EXPECT_NE(html.find("<title>&lt;Tom &amp; &quot;Jerry&quot;&gt;</title>"), std::string::npos);
    EXPECT_NE(html.find("aria-label=\"&lt;Tom &amp; &quot;Jerry&quot;&gt;\""), std::string::npos);
    // Two script elements, each closed once; no other "</script" anywhere.
    EXPECT_EQ(Count(html, "</script"), 2u);
    EXPECT_NE(html.find("<a href=\"https://example.org/?a=1&amp;b=&lt;/script&gt;&lt;b "
                        "x=&quot;y&quot;&gt;\xC3\xA9\""
                        " target=\"_blank&quot; onclick=&quot;x\">"),
              std::string::npos);
    const json movie = MovieData(html);
    bool found = false;
    for (const auto& [key, value] : movie["chars"].items()) {
        if (value.contains("u")) {
            EXPECT_EQ(value["u"][0], "https://example.org/?a=1&b=</script><b x=\"y\">\xC3\xA9");
            EXPECT_EQ(value["u"][1], "_blank\" onclick=\"x");
            EXPECT_EQ(value["a"][0][1][0][1], value["u"][0]);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST(Html5Page, JsonStringsAndNumbers) {
    using html5::Fixed16;
    using html5::JsonString;
    EXPECT_EQ(JsonString("a\"b\\c\n\x01</script>&\xE2\x80\xA8\xE2\x80\xA9\xE2\x80\xA0"),
              "\"a\\\"b\\\\c\\n\\u0001\\u003c/script\\u003e\\u0026\\u2028\\u2029\xE2\x80\xA0\"");
    EXPECT_EQ(Fixed16(65536), "1");
    EXPECT_EQ(Fixed16(32768), ".5");
    EXPECT_EQ(Fixed16(-147456), "-2.25");
    EXPECT_EQ(Fixed16(0), "0");
    EXPECT_EQ(Fixed16(1), ".000015");
    EXPECT_EQ(Fixed16(-1), "-.000015");
    EXPECT_EQ(Fixed16(190241), "2.902847");
}

TEST(Html5Page, FixedSizeOrShowAll) {
    const std::vector<uint8_t> swf = ExampleSwf("buttons");
    const std::string fitted = Page(swf);
    EXPECT_NE(fitted.find("width:100%;height:100%"), std::string::npos);
    EXPECT_NE(fitted.find("preserveAspectRatio=\"xMidYMid meet\""), std::string::npos);
    EXPECT_EQ(fitted.find(" width=\"400\""), std::string::npos);
    Html5PageOptions fixed;
    fixed.fixedSize = true;
    EXPECT_NE(Page(swf, fixed).find(" width=\"400\" height=\"300\""), std::string::npos);
}

} // namespace
} // namespace tavro
