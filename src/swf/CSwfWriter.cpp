#include "swf/CSwfWriter.h"

#include "base/AtomicFile.h"
#include "base/CColorTransform.h"
#include "base/Rounding.h"
#include "model/CColor.h"
#include "model/CMatrix3.h"
#include "swfformat/TagCodes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace tavro {
namespace {

// Widest values a 5-bit bit count (at most 31 bits) and a 4-bit one (at most 15 bits) describe.
constexpr int32_t kMax31 = (int32_t{1} << 30) - 1;
constexpr int32_t kMin31 = -(int32_t{1} << 30);
constexpr int32_t kMax15 = (int32_t{1} << 14) - 1;
constexpr int32_t kMin15 = -(int32_t{1} << 14);

int32_t Clamp31(int32_t v) {
    return std::clamp(v, kMin31, kMax31);
}
int32_t Clamp15(int32_t v) {
    return std::clamp(v, kMin15, kMax15);
}
int32_t ClampByte(int32_t v) {
    return std::clamp(v, 0, 255);
}

} // namespace

CSwfWriter::CSwfWriter(std::string fileName)
    : BitWriter(kInitialCapacity), fileName_(std::move(fileName)) {
    image_[0] = 0x46; // F
    image_[1] = 0x57; // W
    image_[2] = 0x53; // S
    image_[3] = kVersion;
    position_ = 8;
}

uint16_t CSwfWriter::NextCharacterId() {
    return ++nextCharacterId_;
}

void CSwfWriter::BeginTag(uint16_t code) {
    if (code > 1023)
        throw std::invalid_argument("tag code beyond 10 bits");
    WriteUI16(uint32_t{code} * 64);
    tagStart_ = position_ - 2;
}

void CSwfWriter::EndTag() {
    Align();
    if (uint64_t{position_} < uint64_t{tagStart_} + 2)
        throw std::logic_error("EndTag before the end of its tag header");
    const uint32_t length = position_ - tagStart_ - 2;
    Reserve(uint64_t{position_} + (length < 63 ? 0 : 4));
    if (length < 63) {
        image_[tagStart_] |= static_cast<uint8_t>(length);
        return;
    }
    // Long form: a UI32 length follows the header, so the body moves four bytes up.
    image_[tagStart_] |= 0x3F;
    std::memmove(&image_[tagStart_ + 6], &image_[tagStart_ + 2], length);
    position_ = tagStart_ + 2;
    WriteUI32(length);
    position_ += length;
}

void CSwfWriter::WriteRect(int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax) {
    const int32_t values[4] = {Clamp31(xmin), Clamp31(xmax), Clamp31(ymin), Clamp31(ymax)};
    int n = 1;
    for (int32_t v : values)
        n = std::max(n, SignedBitCount(v));
    WriteBits(n, 5);
    for (int32_t v : values)
        WriteBits(v, n);
}

void CSwfWriter::WriteRGB(int32_t red, int32_t green, int32_t blue) {
    WriteUI8(static_cast<uint32_t>(ClampByte(red)));
    WriteUI8(static_cast<uint32_t>(ClampByte(green)));
    WriteUI8(static_cast<uint32_t>(ClampByte(blue)));
}

void CSwfWriter::WriteRGB(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    WriteRGB(red, green, blue);
    WriteUI8(static_cast<uint32_t>(ClampByte(alpha)));
}

void CSwfWriter::WriteRGB(const CColor& color, bool withAlpha) {
    if (withAlpha)
        WriteRGB(color.red, color.green, color.blue, color.alpha);
    else
        WriteRGB(color.red, color.green, color.blue);
}

void CSwfWriter::WriteMatrix(const CMatrix3& matrix) {
    const double* m = matrix.m;
    WriteMatrix(RoundToInt(m[0] * 65536.0), RoundToInt(m[1] * 65536.0), RoundToInt(m[3] * 65536.0),
                RoundToInt(m[4] * 65536.0), RoundToInt(m[6]), RoundToInt(m[7]));
}

void CSwfWriter::WriteCxform(const CColorTransform& c) {
    WriteCxform(c.redMult, c.greenMult, c.blueMult, c.alphaMult, c.redAdd, c.greenAdd, c.blueAdd,
                c.alphaAdd);
}

void CSwfWriter::WriteMatrix(int32_t scaleX, int32_t rotateSkew0, int32_t rotateSkew1,
                             int32_t scaleY, int32_t translateX, int32_t translateY) {
    Align();
    if (scaleX == 65536 && scaleY == 65536) {
        WriteBits(0, 1);
    } else {
        scaleX = Clamp31(scaleX);
        scaleY = Clamp31(scaleY);
        const int n = std::max(SignedBitCount(scaleX), SignedBitCount(scaleY));
        WriteBits(1, 1);
        WriteBits(n, 5);
        WriteBits(scaleX, n);
        WriteBits(scaleY, n);
    }
    if (rotateSkew0 == 0 && rotateSkew1 == 0) {
        WriteBits(0, 1);
    } else {
        rotateSkew0 = Clamp31(rotateSkew0);
        rotateSkew1 = Clamp31(rotateSkew1);
        const int n = std::max(SignedBitCount(rotateSkew0), SignedBitCount(rotateSkew1));
        WriteBits(1, 1);
        WriteBits(n, 5);
        WriteBits(rotateSkew0, n);
        WriteBits(rotateSkew1, n);
    }
    translateX = Clamp31(translateX);
    translateY = Clamp31(translateY);
    const int n = std::max(SignedBitCount(translateX), SignedBitCount(translateY));
    WriteBits(n, 5);
    WriteBits(translateX, n);
    WriteBits(translateY, n);
}

void CSwfWriter::WriteCxform(int32_t redMult, int32_t greenMult, int32_t blueMult,
                             int32_t alphaMult, int32_t redAdd, int32_t greenAdd, int32_t blueAdd,
                             int32_t alphaAdd) {
    Align();
    const int32_t mult[4] = {Clamp15(redMult), Clamp15(greenMult), Clamp15(blueMult),
                             Clamp15(alphaMult)};
    const int32_t add[4] = {Clamp15(redAdd), Clamp15(greenAdd), Clamp15(blueAdd),
                            Clamp15(alphaAdd)};
    const bool hasMult = std::any_of(mult, mult + 4, [](int32_t v) { return v != 256; });
    const bool hasAdd = std::any_of(add, add + 4, [](int32_t v) { return v != 0; });
    WriteBits(hasAdd ? 1 : 0, 1);
    WriteBits(hasMult ? 1 : 0, 1);
    if (!hasMult && !hasAdd) {
        WriteBits(0, 4);
        return;
    }
    // One width for both groups, even when only one of them is written.
    int n = 0;
    for (int i = 0; i < 4; ++i)
        n = std::max({n, SignedBitCount(mult[i]), SignedBitCount(add[i])});
    WriteBits(n, 4);
    if (hasMult)
        for (int32_t v : mult)
            WriteBits(v, n);
    if (hasAdd)
        for (int32_t v : add)
            WriteBits(v, n);
}

void CSwfWriter::WriteString(std::string_view text, bool lengthPrefix) {
    if (lengthPrefix) {
        // The prefix counts the terminator in a UI16; a longer text is cut rather than let the
        // prefix wrap and disagree with the bytes that follow.
        text = text.substr(0, 0xFFFE);
        WriteUI16(static_cast<uint32_t>(text.size() + 1));
    }
    for (char c : text)
        WriteUI8(static_cast<uint8_t>(c));
    WriteUI8(0);
}

void CSwfWriter::WriteShowFrame() {
    BeginTag(swfformat::kTagShowFrame);
    EndTag();
}

void CSwfWriter::WriteEnd() {
    BeginTag(swfformat::kTagEnd);
}

void CSwfWriter::WriteSetBackgroundColor(int32_t red, int32_t green, int32_t blue) {
    BeginTag(swfformat::kTagSetBackgroundColor);
    WriteRGB(red, green, blue);
    EndTag();
}

void CSwfWriter::WriteSetBackgroundColor(const CColor& color) {
    WriteSetBackgroundColor(color.red, color.green, color.blue);
}

void CSwfWriter::WritePlaceObject2(uint16_t characterId, const CMatrix3* matrix,
                                   const CColorTransform* cxform, uint16_t depth, bool move) {
    BeginTag(swfformat::kTagPlaceObject2);
    WriteUI8((cxform ? 8 : 0) + (matrix ? 4 : 0) + (move ? 1 : 2));
    WriteUI16(depth);
    if (!move)
        WriteUI16(characterId);
    if (matrix)
        WriteMatrix(*matrix);
    if (cxform)
        WriteCxform(*cxform);
    EndTag();
}

void CSwfWriter::WriteRemoveObject2(uint16_t depth) {
    BeginTag(swfformat::kTagRemoveObject2);
    WriteUI16(depth);
    EndTag();
}

void CSwfWriter::WriteHeader(double widthPixels, double heightPixels, double framesPerSecond,
                             uint16_t frameCount) {
    WriteRect(0, 0, RoundToInt(widthPixels * 20.0), RoundToInt(heightPixels * 20.0));
    // 8.8 fixed point; a rate beyond the field stays at its largest (or smallest) value.
    WriteUI16(static_cast<uint32_t>(std::clamp(RoundToInt(framesPerSecond * 256.0), 0, 0xFFFF)));
    WriteUI16(frameCount);
}

void CSwfWriter::Finish() {
    if (finished_)
        return;
    WriteEnd();
    Reserve(uint64_t{position_} + 1); // the trailing zero byte counted by the length
    fileLength_ = position_ + 1;
    for (int i = 0; i < 4; ++i)
        WriteByteAt(4 + i, static_cast<uint8_t>(fileLength_ >> (8 * i)));
    finished_ = true;
}

bool CSwfWriter::SaveImage(const std::string& fileName, std::string* error) const {
    if (fileName.empty())
        return true;
    std::string message;
    if (!finished_)
        message = fileName + ": cannot write the file (the movie is not finished)";
    else if (SaveFileAtomically(fileName, GetImageBytes(), message))
        return true;
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

} // namespace tavro
