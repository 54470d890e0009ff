// Export of a whole movie to an SWF image: one writer, a fresh stage rectangle shape, the
// document's own records, the End tag; then the image is kept in memory or saved to a file.
#pragma once

#include "swf/CSwfWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavro {

class CDocObj;

// Writes the movie into a finished writer. With a file name the writer remembers it for
// SaveImage; nothing is saved here.
CSwfWriter WriteMovie(CDocObj& doc, std::string fileName = {});

// The finished SWF image of the movie.
std::vector<uint8_t> ExportMovieToMemory(CDocObj& doc);

// Writes the movie to `fileName` as a whole (CSwfWriter::SaveImage). False when the file cannot
// be written, with the file and the reason in `*error` when given; a previous file is then left
// as it was.
bool ExportMovieToFile(CDocObj& doc, const std::string& fileName, std::string* error = nullptr);

} // namespace tavro
