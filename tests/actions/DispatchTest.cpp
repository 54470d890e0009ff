// GetURL requests: encoding, FSCommand, loads from local files, and the host commands.
#include "ActionTestSupport.h"

#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/actions/HostCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro::player::test {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed with the object.
struct TempFolder {
    TempFolder() {
        path = fs::temp_directory_path() /
               ("tavro-actions-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path Write(const std::string& name, const Bytes& bytes) const {
        fs::path p = path / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p;
    }
    fs::path path;
    static inline int counter = 0;
};

Bytes GetUrl2(const std::string& url, const std::string& target, uint8_t flags) {
    return Cat({PushS(url), PushS(target), Record(0x9A, {flags})});
}

TEST(GetUrl, GetAndPostEncodeTheTargetsVariables) {
    EngineHost host;
    host.RunMovie(
        Cat({Set("name", PushS("a b&c")), Set("n2", PushS("x/y~")), GetUrl2("http://host", "", 1),
             GetUrl2("http://host/p?q=1", "_blank", 1), GetUrl2("page.cgi", "", 2),
             Record(0x83, Cat({Str("http://plain"), Str("_self")}))}));
    ASSERT_EQ(host.requests.size(), 4u);
    EXPECT_EQ(host.requests[0].url, "http://host/?name=a+b%26c&n2=x%2Fy%7E");
    EXPECT_EQ(host.requests[1].url, "http://host/p?q=1&name=a+b%26c&n2=x%2Fy%7E");
    EXPECT_EQ(host.requests[2].url, "page.cgi");
    EXPECT_EQ(host.requests[2].postData, "Content-type: application/x-www-form-urlencoded\n"
                                         "Content-length: 24\n\n"
                                         "name=a+b%26c&n2=x%2Fy%7E");
    EXPECT_EQ(host.requests[3].url, "http://plain");
    EXPECT_EQ(host.requests[3].target, "_self");
    // None of them is a level load: the headless host was asked to open nothing.
    EXPECT_TRUE(host.openedUrls.empty());
}

// Movies from other tools push the URL and the target in one record before GetURL2; window
// names reach the host exactly as written ("blank" in any case is the host's to interpret).
TEST(GetUrl, OneRecordPushingUrlAndTargetFeedsGetUrl2) {
    auto pushBoth = [](const std::string& url, const std::string& target) {
        return Record(0x96, Cat({Bytes{0}, Str(url), Bytes{0}, Str(target)}));
    };
    EngineHost host;
    host.RunMovie(Cat({pushBoth("http://a.example/", "BLANK"), Record(0x9A, {0}),
                       pushBoth("http://b.example/", "_Blank"), Record(0x9A, {0}),
                       pushBoth("http://c.example/", "self"), Record(0x9A, {0})}));
    ASSERT_EQ(host.requests.size(), 3u);
    EXPECT_EQ(host.requests[0].url, "http://a.example/");
    EXPECT_EQ(host.requests[0].target, "BLANK");
    EXPECT_EQ(host.requests[1].target, "_Blank");
    EXPECT_EQ(host.requests[2].url, "http://c.example/");
    EXPECT_EQ(host.requests[2].target, "self");
    EXPECT_TRUE(host.openedUrls.empty());
}

TEST(GetUrl, ThirtyThirdRequestOfARunIsDropped) {
    Bytes actions;
    for (int i = 0; i < 40; ++i)
        Append(actions, Record(0x83, Cat({Str("u" + std::to_string(i)), Str("")})));
    EngineHost host;
    host.RunMovie(actions);
    ASSERT_EQ(host.requests.size(), 32u);
    EXPECT_EQ(host.requests.back().url, "u31");
}

TEST(GetUrl, FsCommandReachesTheHostAfterTheRun) {
    EngineHost host;
    host.RunMovie(Cat({Record(0x83, Cat({Str("FSCommand:quit"), Str("now")})),
                       Record(0x83, Cat({Str("fscommand:allowscale"), Str("false")})),
                       Set("after", PushS("1"))}));
    ASSERT_EQ(host.fsCommands.size(), 2u);
    EXPECT_EQ(host.fsCommands[0], std::make_pair(std::string("quit"), std::string("now")));
    EXPECT_EQ(host.fsCommands[1].first, "allowscale");
    EXPECT_EQ(host.Var("after"), "1");
}

// A second movie: sets a variable in its first frame and shows a shape.
Bytes LoadedMovie() {
    return Movie(Cat(
        {DefineShape(1), Place2(1, 1), DoAction(Set("loaded", PushS("yes"))), ShowFrame(), End()}));
}

TEST(GetUrl, LevelLoadsReadLocalFilesAndEmptyUrlsUnload) {
    TempFolder dir;
    fs::path file = dir.Write("second.swf", LoadedMovie());
    EngineHost host;
    host.SetBaseFolder(dir.path);
    host.RunMovie(Cat({Record(0x83, Cat({Str("file://" + file.string()), Str("_level2")})),
                       Record(0x83, Cat({Str("second.swf"), Str("_level3")})),
                       Record(0x83, Cat({Str("missing.swf"), Str("_level4")})),
                       Record(0x83, Cat({Str("/dev/zero"), Str("_level5")})), Set("v", PushS("1")),
                       GetUrl2("second.swf", "_level6", 1)}));
    MovieLevel* two = host.FindLevel(2);
    ASSERT_NE(two, nullptr);
    EXPECT_TRUE(two->headerParsed);
    EXPECT_EQ(two->url, "file://" + file.string());
    ASSERT_NE(host.FindLevel(3), nullptr);
    EXPECT_TRUE(host.FindLevel(3)->headerParsed);
    MovieLevel* four = host.FindLevel(4);
    EXPECT_TRUE(four == nullptr || !four->headerParsed);
    MovieLevel* five = host.FindLevel(5); // only regular files are read
    EXPECT_TRUE(five == nullptr || !five->headerParsed);
    // A GET request's query is no part of a local file name.
    ASSERT_NE(host.FindLevel(6), nullptr);
    EXPECT_TRUE(host.FindLevel(6)->headerParsed);
    EXPECT_EQ(host.openedUrls.back(), "second.swf?v=1");

    host.StepFrame(); // the new levels show their first frame and run its actions
    ASSERT_NE(two->rootObject, nullptr);
    EXPECT_NE(two->rootObject->FindChild(1), nullptr);
    const std::string* v = FindVariable(*two, "loaded");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(*v, "yes");

    // An empty URL unloads the level.
    host.LoadBytes(
        Movie(Cat({DoAction(Record(0x83, Cat({Str(""), Str("_level0")}))), ShowFrame(), End()})));
    EXPECT_FALSE(host.Level0().headerParsed);
}

TEST(GetUrl, VariablesAndSpriteLoads) {
    TempFolder dir;
    dir.Write("vars.txt", [] {
        std::string s = "a=1&b=two+w%21\r\n";
        return Bytes(s.begin(), s.end());
    }());
    dir.Write("inner.swf", LoadedMovie());
    EngineHost host;
    host.SetBaseFolder(dir.path);
    Bytes sprite = Cat({DefineSprite(5, 1, Cat({ShowFrame(), End()})), Place2(1, 5, "holder")});
    host.RunMovie(Cat({GetUrl2("vars.txt", "_level0", 0x80), GetUrl2("inner.swf", "holder", 0x40)}),
                  sprite);
    EXPECT_EQ(host.Var("a"), "1");
    EXPECT_EQ(host.Var("b"), "two w!");
    DisplayObject* holder = host.Level0().rootObject->FindChild(1);
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->name, "holder");
    ASSERT_NE(holder->character, nullptr);
    EXPECT_EQ(holder->character->type, CharacterType::LoadedMovie);
    ASSERT_NE(holder->FindChild(1), nullptr); // the loaded movie's shape
    host.StepFrame();                         // its first frame's actions run
    const std::string* v = FindVariable(*holder->timeline, "loaded");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(*v, "yes");
}

TEST(HostCommands, AllowScaleFalseShowsTwentyTwipsPerPixel) {
    EngineHost host(400, 300);
    host.SetQuality(false, false);
    host.LoadBytes(Movie(Cat({ShowFrame(), End()}), 1, 12 << 8, 100, 50));
    HostCommands commands(host);
    // Show all: the 100 x 50 movie fills the 400-pixel width.
    Point16 p = host.GetDisplayList().viewMatrix.Map(2000, 1000);
    EXPECT_EQ(p.x, 400);
    for (const char* arg : {"false", "0", "no", "maybe", ""}) {
        EXPECT_EQ(commands.Handle("AllowScale", arg), HostCommands::Result::Done);
        EXPECT_EQ(host.ScaleMode(), 3) << arg;
        p = host.GetDisplayList().viewMatrix.MapDelta(2000, 1000);
        EXPECT_EQ(p.x, 100) << arg;
        EXPECT_EQ(p.y, 50) << arg;
    }
    for (const char* arg : {"true", "YES", "1", "-2.5"}) {
        commands.Handle("allowscale", arg);
        EXPECT_EQ(host.ScaleMode(), 0) << arg;
    }
    bool quit = false;
    int full = -1;
    int menu = -1;
    commands.SetCallbacks(
        {[&] { quit = true; }, [&](bool on) { full = on; }, nullptr, [&](bool on) { menu = on; }});
    EXPECT_EQ(commands.Handle("QUIT", ""), HostCommands::Result::Done);
    EXPECT_TRUE(quit);
    commands.Handle("fullscreen", "yes");
    EXPECT_EQ(full, 1);
    commands.Handle("fullscreen", "off");
    EXPECT_EQ(full, 0);
    EXPECT_EQ(commands.Handle("showmenu", "false"), HostCommands::Result::Done);
    EXPECT_EQ(menu, 0);
    commands.Handle("ShowMenu", "2");
    EXPECT_EQ(menu, 1);
    EXPECT_EQ(commands.Handle("launch", "x"), HostCommands::Result::Ignored);
}

TEST(HostCommands, ExecRunsOnlyProgramsInsideTheFscommandFolder) {
    TempFolder dir;
    fs::path movie = dir.Write("movie.swf", Bytes{});
    fs::path marker = dir.path / "ran";
    fs::path program = dir.Write("fscommand/tool", [&] {
        std::string s = "#!/bin/sh\ntouch '" + marker.string() + "'\n";
        return Bytes(s.begin(), s.end());
    }());
    ::chmod(program.c_str(), 0755);
    fs::path outside =
        dir.Write("outside", Bytes{'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
    ::chmod(outside.c_str(), 0755);
    fs::create_symlink(outside, dir.path / "fscommand" / "link");
    dir.Write("fscommand/plain.txt", Bytes{'x'});

    std::string why;
    for (const char* bad :
         {"../outside", "link", "/bin/sh", "plain.txt", "missing", "", "sub/../../outside"}) {
        EXPECT_FALSE(HostCommands::ResolveProgram(movie, bad, &why).has_value()) << bad;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_FALSE(HostCommands::ResolveProgram("", "tool", &why).has_value());
    auto ok = HostCommands::ResolveProgram(movie, "tool --rest is dropped", &why);
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(*ok, fs::canonical(program));

    EngineHost host;
    HostCommands commands(host);
    std::vector<std::string> lines;
    commands.SetCallbacks(
        {nullptr, nullptr, [&](std::string_view s) { lines.emplace_back(s); }, nullptr});
    commands.SetMoviePath(movie);
    EXPECT_EQ(commands.Handle("exec", "../outside"), HostCommands::Result::Refused);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("refused"), std::string::npos);
    commands.SetExecAllowed(false);
    EXPECT_EQ(commands.Handle("EXEC", "tool"), HostCommands::Result::Refused);
    EXPECT_FALSE(fs::exists(marker));
    commands.SetExecAllowed(true);
    EXPECT_EQ(commands.Handle("exec", "tool"), HostCommands::Result::Done);
    for (int i = 0; i < 200 && !fs::exists(marker); ++i)
        ::usleep(10000);
    EXPECT_TRUE(fs::exists(marker));
}

} // namespace
} // namespace tavro::player::test
