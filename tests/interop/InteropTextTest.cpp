// Exports the still-text movies (examples/hello.swi and tests/interop/texts.json, which has
// several texts in three faces and a text in letter form) into the interop folder, where the
// interop stage decodes them with an independent SWF parser and compares them with the
// hand-written expectations beside each movie (hello.expected.json, texts.expected.json).
#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/JsonForm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro {
namespace {

namespace fs = std::filesystem;

fs::path OutputDir() {
    if (const char* dir = std::getenv("TAVRO_INTEROP_DIR"))
        return dir;
    return fs::path(TAVRO_BINARY_DIR) / "interop" / "out";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Loads a .swi or .json document and writes its export as `name`.swf in the interop folder.
void ExportDocument(const fs::path& document, const std::string& name) {
    const std::string text = ReadAll(document);
    ASSERT_FALSE(text.empty()) << document;
    std::vector<uint8_t> archive(text.begin(), text.end());
    if (document.extension() == ".json")
        archive = MovieJsonTextToArchive(text);
    CDocObj doc;
    LoadObjectFromMemory(archive, doc);
    const std::vector<uint8_t> movie = ExportMovieToMemory(doc);
    ASSERT_GT(movie.size(), 21u);
    const fs::path dir = OutputDir();
    fs::create_directories(dir);
    std::ofstream out(dir / (name + ".swf"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(movie.data()),
              static_cast<std::streamsize>(movie.size()));
    ASSERT_TRUE(out.good());
}

TEST(InteropText, ExportsStillTextMovies) {
    ExportDocument(fs::path(TAVRO_SOURCE_DIR) / "examples" / "hello.swi", "hello");
    ExportDocument(fs::path(TAVRO_SOURCE_DIR) / "tests" / "interop" / "texts.json", "texts");
}

} // namespace
} // namespace tavro
