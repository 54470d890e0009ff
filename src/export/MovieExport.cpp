#include "export/MovieExport.h"

#include "model/CDocObj.h"
#include "swf/CSwfShape.h"

namespace tavro {

CSwfWriter WriteMovie(CDocObj& doc, std::string fileName) {
    CSwfWriter writer(std::move(fileName));
    const CDoublePoint size = doc.GetMovieSize();
    CSwfShape stageRectangle = MakeStageRectangle(size.x, size.y);
    doc.WriteSwf(writer, stageRectangle);
    writer.Finish();
    return writer;
}

std::vector<uint8_t> ExportMovieToMemory(CDocObj& doc) {
    const CSwfWriter writer = WriteMovie(doc);
    const auto image = writer.GetImageBytes();
    return {image.begin(), image.end()};
}

bool ExportMovieToFile(CDocObj& doc, const std::string& fileName, std::string* error) {
    return WriteMovie(doc, fileName).SaveImage(error);
}

} // namespace tavro
