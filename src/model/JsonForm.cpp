// The JSON form of movies: the transcoder (JsonDecoder.cpp, JsonEncoder.cpp) with the registered
// tables, as text, and documents on disk in that form. Both directions walk the same class level
// tables (JsonFormTables.cpp), so a table that matches a class's Serialize gives byte-exact round
// trips, and the tests check every registered class against its table with real objects.
#include "model/JsonForm.h"

#include "base/AtomicFile.h"
#include "model/Archive.h"
#include "model/CDocObj.h"

namespace tavro {

namespace {

using Json = nlohmann::ordered_json;

} // namespace

std::string MovieArchiveToJsonText(std::span<const uint8_t> swiBytes) {
    return ArchiveToJson(swiBytes, ArchiveLevelTables::Registered()).dump(2) + "\n";
}

std::vector<uint8_t> MovieJsonTextToArchive(std::string_view jsonText) {
    Json json;
    try {
        json = Json::parse(jsonText);
    } catch (const Json::parse_error& e) {
        // The library's message starts with its own error code in brackets.
        std::string what = e.what();
        if (const size_t end = what.find("] ");
            !what.empty() && what[0] == '[' && end != std::string::npos)
            what.erase(0, end + 2);
        throw JsonFormError("not valid JSON: " + what);
    }
    return JsonToArchive(json, ArchiveLevelTables::Registered());
}

void LoadDocumentJson(const std::filesystem::path& path, CDocObj& doc) {
    std::string text;
    {
        Archive file(path, Archive::Mode::Load);
        text.resize(static_cast<size_t>(file.GetRemaining()));
        file.ReadBytes(text.data(), text.size());
    }
    const std::vector<uint8_t> bytes = MovieJsonTextToArchive(text);
    CDocObj loaded;
    LoadObjectFromMemory(bytes, loaded);
    doc.TakeContentFrom(loaded);
}

void SaveDocumentJson(const std::filesystem::path& path, const CDocObj& doc) {
    SaveTextFileAtomically(path, MovieArchiveToJsonText(SaveObjectToMemory(doc)));
}

void SaveTextFileAtomically(const std::filesystem::path& path, std::string_view text) {
    std::string error;
    if (!SaveFileAtomically(path, text, error))
        throw ArchiveError(ArchiveError::Cause::FileError, error);
}

} // namespace tavro
