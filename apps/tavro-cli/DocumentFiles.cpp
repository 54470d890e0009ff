#include "DocumentFiles.h"

#include "CliCommand.h"

#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/JsonForm.h"
#include "player/host/MovieFileReader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace tavro::cli {

namespace {

std::string ArchiveReason(const ArchiveError& e) {
    return std::string(ArchiveCauseName(e.GetCause())) + ": " + e.what();
}

// The system's words for the last failure, or a plain phrase when there are none.
std::string SystemReason(int err, const char* fallback) {
    return err != 0 ? std::string(std::strerror(err)) : std::string(fallback);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw CliError(path + ": is a directory, not a file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CliError(path + ": cannot open the file (" + SystemReason(errno, "unknown") + ")");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad())
        throw CliError(path + ": cannot read the file (" + SystemReason(errno, "unknown") + ")");
    return bytes;
}

void CheckReadable(const std::string& path, std::span<const uint8_t> bytes, const char* what) {
    try {
        CDocObj doc;
        LoadObjectFromMemory(bytes, doc);
    } catch (const ArchiveError& e) {
        throw CliError(path + ": " + what + " (" + ArchiveReason(e) + ")");
    }
}

} // namespace

DocumentForm DocumentFormOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".swi")
        return DocumentForm::Swi;
    if (ext == ".json")
        return DocumentForm::Json;
    throw CliError(path + ": not a movie document name (expected a .swi or .json file)");
}

std::vector<uint8_t> ReadDocumentArchive(const std::string& path) {
    const DocumentForm form = DocumentFormOf(path);
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (form == DocumentForm::Swi) {
        CheckReadable(path, bytes, "not a readable movie document");
        return bytes;
    }
    try {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        bytes = MovieJsonTextToArchive(text);
    } catch (const JsonFormError& e) {
        throw CliError(path + ": " + e.what());
    }
    CheckReadable(path, bytes, "the JSON describes a movie that cannot be read");
    return bytes;
}

std::unique_ptr<CDocObj> LoadDocumentFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadDocumentArchive(path);
    auto doc = std::make_unique<CDocObj>();
    try {
        LoadObjectFromMemory(bytes, *doc);
    } catch (const ArchiveError& e) {
        throw CliError(path + ": " + ArchiveReason(e));
    }
    return doc;
}

void WriteDocumentArchive(const std::string& path, std::span<const uint8_t> bytes) {
    const DocumentForm form = DocumentFormOf(path);
    std::string text;
    if (form == DocumentForm::Json) {
        try {
            text = MovieArchiveToJsonText(bytes);
        } catch (const ArchiveError& e) {
            throw CliError(path + ": cannot write the JSON form (" + ArchiveReason(e) + ")");
        }
    } else {
        text.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    try {
        SaveTextFileAtomically(path, text);
    } catch (const ArchiveError& e) {
        // Already "<path>: cannot write the file (<reason>)".
        throw CliError(e.what());
    }
}

std::vector<uint8_t> ReadMovieBytes(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".swi" || ext == ".json")
        return ExportMovieToMemory(*LoadDocumentFile(path));
    std::vector<uint8_t> bytes;
    std::string error;
    if (!player::ReadMovieFile(path, bytes, error))
        throw CliError(path + ": " + error);
    return bytes;
}

} // namespace tavro::cli
