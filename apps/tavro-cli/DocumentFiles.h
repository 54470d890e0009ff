// Movie documents on disk for tavro-cli: a .swi archive or its .json form, chosen by the file's
// extension. Every failure is a CliError "FILE: reason".
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavro {
class CDocObj;
}

namespace tavro::cli {

enum class DocumentForm { Swi, Json };

// By the extension, in any letter case; CliError for any other extension.
DocumentForm DocumentFormOf(const std::string& path);

// The archive bytes of a document file: the bytes of a .swi file, or those a .json file
// describes. Either way they have been read back with the document classes, so they are a movie
// the editor can open.
std::vector<uint8_t> ReadDocumentArchive(const std::string& path);

// The movie of a .swi or .json file. Its name is the one the file stores.
std::unique_ptr<CDocObj> LoadDocumentFile(const std::string& path);

// The SWF bytes of a movie file: a .swi or .json document (by extension, any letter case) is
// loaded and exported in memory, exactly as the editor's Play does; any other file is read as a
// movie file (a compressed movie is inflated, and the size limits of the player's hosts apply).
// Whether the bytes are a playable movie is the player's to say.
std::vector<uint8_t> ReadMovieBytes(const std::string& path);

// Writes archive bytes as a .swi file or in the .json form, by the extension of `path`. The file
// is written beside its final name and renamed over it when complete.
void WriteDocumentArchive(const std::string& path, std::span<const uint8_t> bytes);

} // namespace tavro::cli
