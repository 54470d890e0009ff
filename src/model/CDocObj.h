// The root of a movie: stage size, frame rate, background colour and the ordered list of scenes
// (the children). A .swi file is exactly this object's archive form, from the first byte to the
// last; the document also writes the movie-level part of an SWF export.
#pragma once

#include "base/CDoublePoint.h"
#include "model/CColor.h"
#include "model/CTavroObj.h"

#include <filesystem>
#include <string_view>

namespace tavro {

class CSceneObj;
class CSwfShape;
class CSwfWriter;

class CDocObj : public CTavroObj {
    TAVRO_DECLARE_CLASS(CDocObj)
public:
    // The frame count of an SWF header is 16 bits; a longer movie states this many frames.
    static constexpr int kMaxFrameCount = 65535;

    // Defaults: size (0, 0), opaque white background, 20 frames per second, no scenes.
    explicit CDocObj(CTavroObj* parent = nullptr);
    // Copies name, parent pointer, size, background colour and frame rate; not the scenes.
    CDocObj(const CDocObj& other);
    ~CDocObj() override;

    void Serialize(Archive& ar) override;

    // IsEqualBase, sizes within 1e-10 per coordinate, equal colours, exactly equal frame rates.
    bool IsEqualDoc(const CDocObj& other) const;

    CDoublePoint GetMovieSize() const { return movieSize_; }
    void SetMovieSize(double width, double height) { movieSize_ = {width, height}; }
    double GetFrameRate() const { return frameRate_; }
    void SetFrameRate(double framesPerSecond) { frameRate_ = framesPerSecond; }
    const CColor& GetBackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(int32_t red, int32_t green, int32_t blue, int32_t alpha = 255) {
        backgroundColor_ = CColor(red, green, blue, alpha);
    }

    // The scene at the selected position, or null.
    CSceneObj* GetSelectedScene() const;

    // File New: every scene is destroyed, one scene "Scene 1" is added and selected, and the name
    // becomes empty. Size, frame rate and background colour stay.
    CSceneObj& NewMovie();
    // Appends a scene named "Scene N" (N = number of children + 1) and selects it.
    CSceneObj& InsertScene();
    // The name a new scene gets when `sceneCount` scenes exist already.
    static std::string SceneName(size_t sceneCount);

    // Frames the movie header states: the frames of every scene (at least 1 each), at least 1 in
    // all, at most kMaxFrameCount.
    int GetFrameCount() const;

    // The movie part of an SWF export, after the writer's signature and version: header (frame
    // size, rate, frame count), background colour, then every scene in order. `stageRectangle`
    // is the export's fresh stage rectangle shape, defined by the first linked scene.
    void WriteSwf(CSwfWriter& writer, CSwfShape& stageRectangle);

    // Reads a .swi file. The document is only changed when the whole file has been read: on an
    // ArchiveError it is left as it was. Afterwards the name is the file's absolute path.
    void LoadFile(const std::filesystem::path& path);
    // Writes a .swi file (atomically: a failed save leaves a previous file untouched). The file
    // holds the name the document had when the save began; the name becomes the file's absolute
    // path only once the file is written. Throws ArchiveError.
    void SaveFile(const std::filesystem::path& path);
    // Replaces this document's fields, scenes, selection and name by those of `other`, which is
    // left empty. The parent pointer stays.
    void TakeContentFrom(CDocObj& other);

private:
    CDoublePoint movieSize_;
    CColor backgroundColor_{255, 255, 255, 255};
    double frameRate_ = 20.0;
};

} // namespace tavro
