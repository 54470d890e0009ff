// The sample movie in examples/ is what the document code makes of it, in both forms. Run with
// TAVRO_UPDATE_EXAMPLES=1 to rewrite the files after a deliberate change.
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TAVRO_SOURCE_DIR) / "examples";

// A still text in the first scene; the second scene opens a page when the stage is clicked.
void BuildHelloMovie(CDocObj& doc) {
    doc.SetMovieSize(550, 400);
    doc.SetFrameRate(12);
    doc.SetBackgroundColor(255, 255, 204);
    CSceneObj& first = doc.NewMovie();
    auto text = std::make_unique<CTextObj>("Hello, world!", &first);
    text->SetFontSize(48);
    text->SetBold(1);
    text->SetColor(CColor(0, 51, 153));
    text->SetStagePosition(275, 200);
    first.SelectPosition(first.AddChild(std::move(text)));
    CSceneObj& linked = doc.InsertScene();
    linked.SetLink("https://example.org/");
    linked.SetTargetFrame("_blank");
    doc.SelectPosition(doc.GetHeadPosition());
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DocObjExample, HelloFilesAreWhatTheCodeMakes) {
    CDocObj doc;
    BuildHelloMovie(doc);
    const std::vector<uint8_t> swi = SaveObjectToMemory(doc);
    const std::string json = MovieArchiveToJsonText(swi);
    if (const char* update = std::getenv("TAVRO_UPDATE_EXAMPLES"); update && *update == '1') {
        SaveTextFileAtomically(kExamples / "hello.swi", std::string(swi.begin(), swi.end()));
        SaveTextFileAtomically(kExamples / "hello.json", json);
    }
    const std::string stored = ReadText(kExamples / "hello.swi");
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.end()), swi);
    EXPECT_EQ(ReadText(kExamples / "hello.json"), json);
}

} // namespace
} // namespace tavro
