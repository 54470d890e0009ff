// The SWF output stream of one export. The writer owns the file image (signature, version 3,
// header, tags, End tag and one trailing zero byte), the bit and byte cursor, the tag framing and
// the character-id counter; document objects write their records through its operations.
//
// The bit and byte cursor comes from the format's bit writer. A value too wide for the bit-count
// field of its record is clamped to the widest value the field can describe (see
// docs/swf-writer.md).
#pragma once

#include "swfformat/BitWriter.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

class CColor;
class CMatrix3;
class CColorTransform;

class CSwfWriter : public swfformat::BitWriter {
public:
    static constexpr uint32_t kInitialCapacity = 1048576;
    static constexpr uint8_t kVersion = 3;

    // An empty file name keeps the image in memory only. The signature and version are written
    // at once; the cursor then stands at byte 8.
    explicit CSwfWriter(std::string fileName = {});
    CSwfWriter(const CSwfWriter&) = delete;
    CSwfWriter& operator=(const CSwfWriter&) = delete;
    CSwfWriter(CSwfWriter&&) = default;
    CSwfWriter& operator=(CSwfWriter&&) = default;

    // Increments the 16-bit id counter and returns it: the first id of an export is 1.
    uint16_t NextCharacterId();

    // Tag framing. BeginTag writes a short header; EndTag aligns and patches the length, moving
    // the body four bytes up when it is 63 bytes or longer. A DefineSprite keeps its own tag
    // start across its inner tags and hands it back with SetTagStart before its EndTag.
    void BeginTag(uint16_t code); // code 0..1023
    void EndTag();
    uint32_t GetTagStart() const { return tagStart_; }
    void SetTagStart(uint32_t offset) { tagStart_ = offset; }

    // Value records. Coordinates are twips.
    void WriteRect(int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax);
    void WriteRGB(int32_t red, int32_t green, int32_t blue);
    void WriteRGB(int32_t red, int32_t green, int32_t blue, int32_t alpha);
    void WriteRGB(const CColor& color, bool withAlpha = false);
    // Scale and rotate/skew terms in 16.16 fixed point, translation in twips.
    void WriteMatrix(int32_t scaleX, int32_t rotateSkew0, int32_t rotateSkew1, int32_t scaleY,
                     int32_t translateX, int32_t translateY);
    void WriteMatrix(const CMatrix3& matrix);
    // CXFORMWITHALPHA; values in the order the record stores them. Multiplier 256 means 1.0.
    void WriteCxform(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                     int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd);
    void WriteCxform(const CColorTransform& cxform);
    // The bytes as they are and a 0 byte; with lengthPrefix a UI16 of (length + 1) first.
    void WriteString(std::string_view text, bool lengthPrefix);

    // Tags
    void WriteShowFrame();
    void WriteEnd();
    void WriteSetBackgroundColor(int32_t red, int32_t green, int32_t blue);
    void WriteSetBackgroundColor(const CColor& color);
    // flags: 8 with cxform, 4 with matrix, 1 when moving (the id is then not written), else 2.
    void WritePlaceObject2(uint16_t characterId, const CMatrix3* matrix,
                           const CColorTransform* cxform, uint16_t depth, bool move);
    void WriteRemoveObject2(uint16_t depth);

    // The movie header after the signature: frame RECT (0, 0, width, height) in twips from
    // pixels, the frame rate as 8.8 fixed point, the frame count.
    void WriteHeader(double widthPixels, double heightPixels, double framesPerSecond,
                     uint16_t frameCount);
    // End tag, then the file length (position after End + 1) patched into bytes 4..7. Calling
    // it again does nothing.
    void Finish();
    bool IsFinished() const { return finished_; }

    // Saves the finished image as a whole (AtomicFile: a link stays a link and the file it
    // names is replaced). An empty name saves nothing and succeeds. False when the image is not
    // finished or the file cannot be written, with the file and the reason in `*error` when
    // given; a previous file is then left as it was.
    bool SaveImage(std::string* error = nullptr) const { return SaveImage(fileName_, error); }
    bool SaveImage(const std::string& fileName, std::string* error = nullptr) const;
    const std::string& GetFileName() const { return fileName_; }

    // The finished image: GetFileLength() bytes (0 before Finish).
    const uint8_t* GetImage() const { return image_.data(); }
    uint32_t GetFileLength() const { return fileLength_; }
    std::span<const uint8_t> GetImageBytes() const { return {image_.data(), fileLength_}; }

private:
    std::string fileName_;
    uint16_t nextCharacterId_ = 0;
    uint32_t fileLength_ = 0;
    uint32_t tagStart_ = 0;
    bool finished_ = false;
};

} // namespace tavro
