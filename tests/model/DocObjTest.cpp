// The movie document: its archive bytes, scene list operations, equality, the movie part of an
// SWF export, and .swi loading and saving.
#include "effects/CEventAtFrame.h"
#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "swf/SwfTagReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace tavro {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A scene whose last frame event stands at `lastFrame`, so that it lasts lastFrame + 1 frames.
void AddFrameEvent(CSceneObj& scene, int lastFrame) {
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, lastFrame));
}

// Codes of the movie's top-level tags, in order.
std::vector<uint16_t> TagCodes(const Bytes& swf) {
    const auto header = SwfTagReader::ReadHeader(swf);
    SwfTagReader reader = SwfTagReader::ForMovie(swf, header);
    std::vector<uint16_t> codes;
    SwfTagReader::Tag tag;
    while (reader.Next(tag))
        codes.push_back(tag.code);
    return codes;
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("tavro-docobj-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

TEST(DocObj, NewMovieOfFiveHundredFiftyByFourHundredSavesAsTheseBytes) {
    CDocObj doc;
    doc.SetMovieSize(550, 400);
    doc.NewMovie();
    const Bytes zero8(8, 0x00), one = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    const Bytes expected = Cat({
        {0x01, 0x00, 0x01, 0x00},
        {0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00, 'C', 'S', 'c', 'e', 'n', 'e', 'O', 'b', 'j'},
        {0x01, 0x07, 'S', 'c', 'e', 'n', 'e', ' ', '1', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x01, 0x01},
        one,
        zero8,
        zero8,
        zero8,
        one,
        zero8,
        zero8,
        zero8,
        one,
        {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0xC8, 0, 0, 0, 0x00, 0x00},
        {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x01},
        {0, 0, 0, 0, 0, 0x30, 0x81, 0x40},
        {0, 0, 0, 0, 0, 0, 0x79, 0x40},
        {0, 0, 0, 0, 0, 0, 0x34, 0x40},
        {0x01, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0},
    });
    EXPECT_EQ(SaveObjectToMemory(doc), expected);

    CDocObj loaded;
    LoadObjectFromMemory(expected, loaded);
    EXPECT_TRUE(loaded.IsEqualDoc(doc));
    ASSERT_NE(loaded.GetSelectedScene(), nullptr);
    EXPECT_EQ(loaded.GetSelectedScene()->GetName(), "Scene 1");
    EXPECT_EQ(loaded.GetSelectedScene()->GetParent(), &loaded);
}

TEST(DocObj, VersionZeroLevelKeepsTheDefaults) {
    const Bytes bytes = {0x01, 0x02, 'm', 'v', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    CDocObj doc;
    LoadObjectFromMemory(bytes, doc);
    EXPECT_EQ(doc.GetName(), "mv");
    EXPECT_EQ(doc.GetMovieSize(), CDoublePoint(0, 0));
    EXPECT_EQ(doc.GetFrameRate(), 20.0);
    EXPECT_EQ(doc.GetBackgroundColor(), CColor(255, 255, 255, 255));
}

TEST(DocObj, SceneListOperationsNameAndSelectScenes) {
    CDocObj doc;
    doc.SetName("/movies/a.swi");
    doc.SetMovieSize(300, 200);
    doc.SetFrameRate(12);
    doc.InsertScene();
    doc.InsertScene();
    EXPECT_EQ(doc.GetSelectedScene()->GetName(), "Scene 2");
    CSceneObj& third = doc.InsertScene();
    EXPECT_EQ(third.GetName(), "Scene 3");
    EXPECT_EQ(doc.GetSelectedScene(), &third);
    EXPECT_EQ(third.GetParent(), &doc);

    CSceneObj& first = doc.NewMovie();
    EXPECT_EQ(doc.GetChildCount(), 1u);
    EXPECT_EQ(first.GetName(), "Scene 1");
    EXPECT_EQ(doc.GetSelectedScene(), &first);
    EXPECT_EQ(doc.GetName(), "");
    EXPECT_EQ(doc.GetMovieSize(), CDoublePoint(300, 200));
    EXPECT_EQ(doc.GetFrameRate(), 12.0);
}

TEST(DocObj, CopyAndEqualityRules) {
    CDocObj doc;
    doc.SetMovieSize(550, 400);
    doc.InsertScene();
    const CDocObj copy(doc);
    EXPECT_EQ(copy.GetChildCount(), 0u);
    EXPECT_TRUE(copy.IsEqualDoc(doc));

    const auto equalAfter = [&doc](auto change) {
        CDocObj other(doc);
        change(other);
        return other.IsEqualDoc(doc);
    };
    EXPECT_TRUE(equalAfter([](CDocObj& d) { d.SetMovieSize(550 + 1e-12, 400); }))
        << "widths within 1e-10 are equal";
    EXPECT_FALSE(equalAfter([](CDocObj& d) { d.SetMovieSize(550, 400 + 1e-9); }));
    EXPECT_FALSE(equalAfter([](CDocObj& d) { d.SetFrameRate(20.0 + 1e-12); }))
        << "frame rates compare exactly";
    EXPECT_FALSE(equalAfter([](CDocObj& d) { d.SetBackgroundColor(255, 255, 255, 254); }));
    EXPECT_FALSE(equalAfter([](CDocObj& d) { d.SetName("x"); }));
}

TEST(DocObj, ExportWritesHeaderBackgroundAndOneFramePerEmptyScene) {
    CDocObj doc;
    doc.SetMovieSize(550.4, 400);
    doc.SetFrameRate(12.5);
    doc.SetBackgroundColor(1, 2, 3);
    doc.NewMovie();
    const Bytes expected = {0x46, 0x57, 0x53, 0x03, 0x1F, 0x00, 0x00, 0x00, // FWS 3, length 31
                            0x78, 0x00, 0x05, 0x60, 0x00, 0x00, 0x0F, 0xA0,
                            0x00,                          // 0..11008, 0..8000
                            0x80, 0x0C, 0x01, 0x00,        // 12.5 fps, 1 frame
                            0x43, 0x02, 0x01, 0x02, 0x03,  // background
                            0x40, 0x00, 0x00, 0x00, 0x00}; // ShowFrame, End, pad
    EXPECT_EQ(ExportMovieToMemory(doc), expected);

    doc.SetFrameRate(20.0);
    EXPECT_EQ(SwfTagReader::ReadHeader(ExportMovieToMemory(doc)).frameRate, 0x1400);
}

TEST(DocObj, FrameCountSumsScenesAndIsClampedToSixteenBits) {
    CDocObj doc;
    EXPECT_EQ(doc.GetFrameCount(), 1) << "no scenes still states one frame";
    doc.InsertScene();
    AddFrameEvent(doc.InsertScene(), 9);
    EXPECT_EQ(doc.GetFrameCount(), 11);
    const Bytes swf = ExportMovieToMemory(doc);
    EXPECT_EQ(SwfTagReader::ReadHeader(swf).frameCount, 11);
    const auto codes = TagCodes(swf);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), uint16_t{1}), 11);

    AddFrameEvent(doc.InsertScene(), 40000);
    AddFrameEvent(doc.InsertScene(), 40000);
    EXPECT_EQ(doc.GetFrameCount(), 65535);
    EXPECT_EQ(SwfTagReader::ReadHeader(ExportMovieToMemory(doc)).frameCount, 65535);
}

TEST(DocObj, LinkedScenesShareOneStageRectangle) {
    CDocObj doc;
    doc.SetMovieSize(100, 50);
    doc.NewMovie().SetLink("http://example.org/a");
    doc.InsertScene().SetLink("http://example.org/b");
    const auto codes = TagCodes(ExportMovieToMemory(doc));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), uint16_t{2}), 1) << "one DefineShape";
    EXPECT_EQ(std::count(codes.begin(), codes.end(), uint16_t{34}), 2) << "two URL buttons";
}

TEST(DocObj, SaveStoresTheOldNameAndTakesThePathAfterwards) {
    TempDir dir;
    CDocObj doc;
    doc.NewMovie();
    const fs::path file = dir.path / "movie.swi";
    doc.SaveFile(file);
    EXPECT_EQ(ReadAll(file)[1], 0x00) << "a never-saved movie stores an empty name";
    EXPECT_EQ(doc.GetName(), fs::absolute(file).string());

    const Bytes expected = SaveObjectToMemory(doc);
    doc.SaveFile(dir.path / "second.swi");
    EXPECT_EQ(ReadAll(dir.path / "second.swi"), expected) << "the first path is stored";

    const std::string before = doc.GetName();
    EXPECT_THROW(doc.SaveFile(dir.path / "missing" / "x.swi"), ArchiveError);
    EXPECT_EQ(doc.GetName(), before) << "a failed save keeps the name";
}

TEST(DocObj, LoadReplacesTheMovieOnlyWhenTheWholeFileReads) {
    TempDir dir;
    CDocObj source;
    source.SetMovieSize(640, 480);
    source.InsertScene();
    source.InsertScene().SetLink("http://example.org");
    source.SaveFile(dir.path / "good.swi");
    Bytes damaged = ReadAll(dir.path / "good.swi");
    damaged.resize(damaged.size() - 3);
    std::ofstream(dir.path / "bad.swi", std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), std::streamsize(damaged.size()));

    CDocObj doc;
    doc.NewMovie();
    doc.SetName("kept");
    EXPECT_THROW(doc.LoadFile(dir.path / "bad.swi"), ArchiveError);
    EXPECT_EQ(doc.GetName(), "kept");
    EXPECT_EQ(doc.GetChildCount(), 1u);
    EXPECT_EQ(doc.GetMovieSize(), CDoublePoint(0, 0));

    doc.LoadFile(dir.path / "good.swi");
    EXPECT_EQ(doc.GetName(), fs::absolute(dir.path / "good.swi").string());
    EXPECT_EQ(doc.GetMovieSize(), CDoublePoint(640, 480));
    ASSERT_EQ(doc.GetChildCount(), 2u);
    EXPECT_EQ(doc.GetSelectedScene()->GetLink(), "http://example.org");
    for (const auto& scene : doc.GetChildList())
        EXPECT_EQ(scene->GetParent(), &doc);
}

TEST(DocObj, ExportToFileMatchesMemoryAndReportsUnwritablePaths) {
    TempDir dir;
    CDocObj doc;
    doc.NewMovie();
    ASSERT_TRUE(ExportMovieToFile(doc, (dir.path / "m.swf").string()));
    EXPECT_EQ(ReadAll(dir.path / "m.swf"), ExportMovieToMemory(doc));
    EXPECT_FALSE(ExportMovieToFile(doc, (dir.path / "no" / "m.swf").string()));
}

} // namespace
} // namespace tavro
