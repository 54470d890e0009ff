// Reads the shape records that follow a shape's style arrays: style changes (with an absolute
// move, fill and line indexes, new style arrays) and straight or curved edges (relative).
// Stops at the end record or when the bytes run out.
#pragma once

#include "player/BitReader.h"

#include <cstdint>

namespace tavro::player::render {

struct ShapeRecord {
    enum Type : uint8_t { End, StyleChange, Line, Curve };
    Type type = End;
    // Style change.
    bool hasMove = false, hasFill0 = false, hasFill1 = false, hasLine = false, newStyles = false;
    int32_t moveX = 0, moveY = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    // Edges: control delta (curves) and anchor delta.
    int32_t cdx = 0, cdy = 0, dx = 0, dy = 0;
};

class ShapeRecordReader {
public:
    ShapeRecordReader(BitReader& in, unsigned fillBits, unsigned lineBits)
        : in_(in), fillBits_(fillBits), lineBits_(lineBits) {}

    // The next record; false at the end record or when the data is damaged or exhausted.
    // After a style change with `newStyles`, the caller reads the new style arrays from the
    // reader and calls SetBits before asking for the next record.
    bool Next(ShapeRecord& rec);
    void SetBits(unsigned fillBits, unsigned lineBits) {
        fillBits_ = fillBits;
        lineBits_ = lineBits;
    }
    // Whether new style arrays are read at all (DefineShape2 and later).
    void AllowNewStyles(bool allow) { allowNewStyles_ = allow; }

private:
    BitReader& in_;
    unsigned fillBits_, lineBits_;
    bool allowNewStyles_ = true;
};

} // namespace tavro::player::render
