// Reading a movie for its web page: the actions of each frame and the labels as the page runs
// them, the tags after the last frame, and the refusal of movies that are damaged or need what
// the page cannot do (no page at all, and the reason). Also the publish command around it: the
// page goes to a file as a whole or not at all.
#include "export/Html5Movie.h"

#include "export/AppSettings.h"
#include "export/ExportCommands.h"
#include "export/Html5Page.h"
#include "export/ShellOpener.h"
#include "model/CDocObj.h"
#include "player/SwfBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro::html5 {
namespace {

namespace fs = std::filesystem;
using namespace tavro::player::test;
using namespace tavro::swfformat;

// A shape of one red square, 100 twips wide.
Bytes RedSquare(uint16_t id) {
    // Bounds, one solid fill, no lines, 1 fill bit and 0 line bits, then the records.
    Bytes b;
    U16(b, id);
    Append(b, RectBytes(0, 100, 0, 100));
    b.insert(b.end(), {1, 0x00, 0xFF, 0x00, 0x00, 0, 0x10});
    BitPacker p;
    p.Bits(0, 1), p.Bits(0x05, 5), p.Bits(1, 5), p.Bits(0, 1), p.Bits(0, 1), p.Bits(1, 1);
    for (auto [dx, dy] : {std::pair{100, 0}, {0, 100}, {-100, 0}, {0, -100}}) {
        // Straight, general, 8 bits a coordinate (enough for -100..100).
        p.Bits(1, 1), p.Bits(1, 1), p.Bits(8 - 2, 4), p.Bits(1, 1), p.Bits(dx, 8), p.Bits(dy, 8);
    }
    p.Bits(0, 6);
    Append(b, p.Take());
    return Tag(kTagDefineShape, b);
}

// A whole movie (the player tests' builder; `Movie` here is the page's reading of one).
Bytes Swf(const Bytes& tags, uint16_t frames = 1) {
    return tavro::player::test::Movie(tags, frames);
}

Bytes Action(uint8_t code, const Bytes& body = {}) {
    Bytes b{code};
    if (code & 0x80) {
        U16(b, uint32_t(body.size()));
        Append(b, body);
    }
    return b;
}

Bytes Str(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

bool Read(const Bytes& swf, Movie& movie, std::string& error) {
    return ReadMovie(swf, movie, error);
}

std::string Refusal(const Bytes& swf) {
    Movie movie;
    std::string error;
    EXPECT_FALSE(ReadMovie(swf, movie, error));
    EXPECT_FALSE(BuildHtml5Page(swf, {}).ok);
    return error;
}

TEST(Html5Movie, FrameActionsLabelsAndTheTail) {
    const Bytes goLabel = Cat({ActGoToLabel("Finale"), ActPlay()});
    const Bytes url = Action(kActionGetUrl, Cat({Str("https://example.org/x"), Str("_top")}));
    const Bytes swf = Swf(Cat({RedSquare(1), Place2(1, 1), DoAction(goLabel), ShowFrame(),
                               FrameLabel("FINALE"), DoAction(Cat({ActStop(), url})),
                               DoAction(ActGotoFrame(0)), ShowFrame(), Remove2(1), End()}),
                          2);
    Movie movie;
    std::string error;
    ASSERT_TRUE(Read(swf, movie, error)) << error;
    ASSERT_EQ(movie.frameOps.size(), 2u);
    ASSERT_EQ(movie.frameActions[0].size(), 1u);
    EXPECT_EQ(movie.frameActions[0][0][0].op, PageAction::GotoLabel);
    EXPECT_EQ(movie.frameActions[0][0][0].text, "finale");
    EXPECT_EQ(movie.frameActions[0][0][1].op, PageAction::Play);
    // Two lists on frame 1, in tag order.
    ASSERT_EQ(movie.frameActions[1].size(), 2u);
    EXPECT_EQ(movie.frameActions[1][0][1].op, PageAction::GetUrl);
    EXPECT_EQ(movie.frameActions[1][0][1].text, "https://example.org/x");
    EXPECT_EQ(movie.frameActions[1][0][1].target, "_top");
    EXPECT_EQ(movie.frameActions[1][1][0].op, PageAction::GotoFrame);
    EXPECT_EQ(movie.labels.at("finale"), 1);
    // The removal after the last frame runs when the player reads the end.
    ASSERT_EQ(movie.tailOps.size(), 1u);
    EXPECT_EQ(movie.tailOps[0].kind, FrameOp::Remove);
    // Frame 1 changes nothing.
    EXPECT_TRUE(movie.frameOps[1].empty());
    EXPECT_EQ(movie.characters.size(), 1u);
}

TEST(Html5Movie, DecodesTheActionsOfTheFormatsVersion3) {
    const Bytes all = Cat({{kActionNextFrame, kActionPreviousFrame, kActionPlay, kActionStop,
                            kActionToggleQuality, kActionStopSounds},
                           ActGotoFrame(7),
                           ActGoToLabel("MiXed"),
                           Action(kActionGetUrl, Cat({Str("u"), Str("t")})),
                           Action(kActionSetTarget, Str("/")),
                           Action(kActionWaitForFrame, {3, 0, 2}),
                           Action(kActionWaitForFrame, {0x90, 0x3E, 1}), // frame 16016
                           {0}});
    ActionList list;
    std::string error;
    ASSERT_TRUE(DecodeActions(all, list, error)) << error;
    std::string ops;
    for (const PageAction& a : list)
        ops.push_back(char(a.op));
    // Quality and sound actions, and a wait for a frame that is always there, do nothing in a
    // page but keep their places (a later wait counts actions to skip).
    EXPECT_EQ(ops, "npPSxxglutxk");
    EXPECT_EQ(list[6].number, 7);
    EXPECT_EQ(list[7].text, "mixed");
    EXPECT_EQ(list[10].op, PageAction::Nothing);
    EXPECT_EQ(list[11].number, 1);

    // Actions of later versions of the format, and damaged records.
    EXPECT_FALSE(DecodeActions(Cat({Action(0x96, {0, 'a', 0}), {0}}), list, error));
    EXPECT_NE(error.find("0x96"), std::string::npos);
    EXPECT_FALSE(DecodeActions(Bytes{0x81, 0x05, 0x00, 0x01}, list, error));
    EXPECT_NE(error.find("longer than its list"), std::string::npos);
    EXPECT_FALSE(DecodeActions(Bytes{0x83, 0x02, 0x00, 'a', 'b'}, list, error));
    EXPECT_NE(error.find("cut short"), std::string::npos);
}

TEST(Html5Movie, RefusesDamagedMovies) {
    const Bytes good = Swf(Cat({RedSquare(1), Place2(1, 1), ShowFrame(), End()}));
    Movie movie;
    std::string error;
    ASSERT_TRUE(Read(good, movie, error)) << error;

    EXPECT_NE(Refusal({'F', 'W', 'S'}).find("too short"), std::string::npos);
    EXPECT_NE(Refusal(Bytes(40, 'x')).find("not an SWF movie"), std::string::npos);
    Bytes compressed = good;
    compressed[0] = 'C';
    EXPECT_NE(Refusal(compressed).find("compressed"), std::string::npos);
    // Cut short: the header says more bytes than there are.
    Bytes cut(good.begin(), good.end() - 10);
    EXPECT_NE(Refusal(cut).find("cut short"), std::string::npos);
    // A movie without its End tag; a tag whose body runs past the end of the movie.
    EXPECT_NE(Refusal(Swf(Cat({RedSquare(1), Place2(1, 1), ShowFrame()}))).find("no End tag"),
              std::string::npos);
    Bytes longTag = good;
    longTag[longTag.size() - 4] = 0x50; // the last ShowFrame says 16 bytes follow
    EXPECT_NE(Refusal(longTag).find("cut short"), std::string::npos);
    // A placement of a character never defined; a placement record cut short.
    EXPECT_NE(Refusal(Swf(Cat({Place2(1, 9), ShowFrame(), End()}))).find("character 9"),
              std::string::npos);
    EXPECT_NE(
        Refusal(Swf(Cat({RedSquare(1), Tag(kTagPlaceObject2, {0x06, 1}), ShowFrame(), End()})))
            .find("damaged"),
        std::string::npos);
    // An action list with a record longer than the list.
    EXPECT_NE(Refusal(Swf(Cat({Tag(kTagDoAction, {0x81, 9, 0, 1, 0}), ShowFrame(), End()})))
                  .find("action record"),
              std::string::npos);
    // A shape whose records are cut short, shown by the timeline.
    Bytes shape = RedSquare(1);
    shape.resize(shape.size() - 5);
    shape[0] = uint8_t((shape.size() - 2) | (kTagDefineShape << 6));
    shape[1] = uint8_t(kTagDefineShape >> 2);
    const std::string cutShape = Refusal(Swf(Cat({shape, Place2(1, 1), ShowFrame(), End()})));
    EXPECT_NE(cutShape.find("character 1"), std::string::npos) << cutShape;
    // Two objects at one depth (a placement onto a depth in use).
    EXPECT_NE(Refusal(Swf(Cat({RedSquare(1), Place2(1, 1), Place2(1, 1), ShowFrame(), End()})))
                  .find("two objects at depth 1"),
              std::string::npos);
    // A movie of no frames.
    EXPECT_NE(Refusal(Swf(End())).find("no frames"), std::string::npos);
}

TEST(Html5Movie, RefusesWhatThePageCannotDo) {
    // Sounds and bitmaps.
    EXPECT_NE(
        Refusal(Swf(Cat({Tag(kTagDefineSound, {1, 0, 0, 0, 0, 0, 0, 0}), ShowFrame(), End()})))
            .find("DefineSound"),
        std::string::npos);
    EXPECT_NE(
        Refusal(Swf(Cat({Tag(kTagDefineBitsLossless, {1, 0, 3, 1, 0, 1, 0}), ShowFrame(), End()})))
            .find("DefineBitsLossless"),
        std::string::npos);
    // Actions of version 4.
    EXPECT_NE(
        Refusal(Swf(Cat({DoAction(Action(0x96, {0, 'a', 0})), ShowFrame(), End()}))).find("0x96"),
        std::string::npos);
    // A clipping layer.
    Bytes clip{0x42, 1, 0, 1, 0, 3, 0};
    EXPECT_NE(Refusal(Swf(Cat({RedSquare(1), Tag(kTagPlaceObject2, clip), ShowFrame(), End()})))
                  .find("clipping"),
              std::string::npos);
    // Sprites of two frames, and sprites that run actions.
    const Bytes twoFrames =
        DefineSprite(2, 2, Cat({Place2(1, 1), ShowFrame(), ShowFrame(), End()}));
    EXPECT_NE(Refusal(Swf(Cat({RedSquare(1), twoFrames, Place2(1, 2), ShowFrame(), End()})))
                  .find("several frames"),
              std::string::npos);
    const Bytes acting = DefineSprite(2, 1, Cat({DoAction(ActStop()), ShowFrame(), End()}));
    EXPECT_NE(Refusal(Swf(Cat({acting, Place2(1, 2), ShowFrame(), End()}))).find("actions"),
              std::string::npos);
    // A one-frame sprite is fine.
    const Bytes still = DefineSprite(2, 1, Cat({Place2(3, 1, {}, 50, 50), ShowFrame(), End()}));
    Movie movie;
    std::string error;
    ASSERT_TRUE(
        Read(Swf(Cat({RedSquare(1), still, Place2(1, 2), ShowFrame(), End()})), movie, error))
        << error;
    ASSERT_EQ(movie.characters.at(2).children.size(), 1u);
    EXPECT_EQ(movie.characters.at(2).children[0].matrix.tx, 50);
}

TEST(Html5Movie, RefusesButtonsThatShowThemselves) {
    // DefineButton2 4: one up-state record showing button 4 itself, no actions.
    Bytes body;
    U16(body, 4);
    body.push_back(0); // not a menu
    U16(body, 0);      // no actions
    body.push_back(0x01);
    U16(body, 4);
    U16(body, 1);
    body.insert(body.end(), {0x00, 0x00}); // identity matrix, identity colour transform
    body.push_back(0);
    EXPECT_NE(Refusal(Swf(Cat({Tag(kTagDefineButton2, body), Place2(1, 4), ShowFrame(), End()})))
                  .find("shows itself"),
              std::string::npos);
}

class Html5PublishTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(TAVRO_BINARY_DIR) / "html5-publish-test" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    static std::string ReadText(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path root_;
};

TEST_F(Html5PublishTest, ThePageIsWrittenWholeOrNotAtAll) {
    const fs::path page = root_ / "page.html";
    { std::ofstream(page) << "earlier page"; }
    const Bytes damaged = Swf(Cat({Place2(1, 9), ShowFrame(), End()}));
    const ExportResult failed =
        ExportCommands::WriteHtml5Page(damaged, "bad.swf", page.string(), false);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message.rfind("bad.swf: cannot be made a web page: ", 0), 0u)
        << failed.message;
    EXPECT_EQ(ReadText(page), "earlier page");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1);

    const Bytes good = Swf(Cat({RedSquare(1), Place2(1, 1), ShowFrame(), End()}));
    const ExportResult written =
        ExportCommands::WriteHtml5Page(good, "good.swf", page.string(), false);
    EXPECT_TRUE(written.ok) << written.message;
    EXPECT_EQ(written.files, std::vector<std::string>{page.string()});
    EXPECT_EQ(ReadText(page).rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(ReadText(page).find("<title>page</title>"), std::string::npos);
}

TEST_F(Html5PublishTest, TheEditorsCommandForcesHtmlAndRemembersItsOwnFolder) {
    MemorySettings settings;
    RecordingShellOpener shell;
    ExportCommands commands(settings, shell, root_.string());
    CDocObj doc;
    doc.SetMovieSize(100, 100);
    doc.NewMovie();
    const fs::path folder = root_ / "site";
    fs::create_directories(folder);
    const ExportResult result = commands.PublishHtml5(doc, (folder / "movie.htm").string());
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(fs::exists(folder / "movie.html"));
    EXPECT_FALSE(fs::exists(folder / "movie.swf"));
    EXPECT_EQ(settings.GetString("PublishHtml5", "Folder"), folder.string() + "/");
    EXPECT_FALSE(settings.Has("Publish", "Folder"));
    EXPECT_EQ(commands.PublishHtml5Folder(), folder.string() + "/");
    EXPECT_FALSE(commands.PublishHtml5(doc, "").ok);
}

} // namespace
} // namespace tavro::html5
